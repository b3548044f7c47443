// SPDX-License-Identifier: MIT
// A pidfd: readable once its process has exited (Linux 5.3 and later).
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <utility>

#include "games/ProcessEnd.h"

#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434  // the same number on every architecture
#endif

namespace torvex::games {

ProcessEnd::ProcessEnd(int pid) {
  if (pid > 0) fd_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

ProcessEnd::~ProcessEnd() {
  if (fd_ >= 0) close(fd_);
}

ProcessEnd::ProcessEnd(ProcessEnd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

bool ProcessEnd::ended() const {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

}  // namespace torvex::games
