// SPDX-License-Identifier: MIT
#pragma once
// Waiting for a process to end without polling: a pidfd becomes readable
// when its process exits.

namespace torvex::games {

class ProcessEnd {
 public:
  // Opens a pidfd for `pid`; invalid when the process is gone already or the
  // kernel has no pidfd_open (before Linux 5.3).
  explicit ProcessEnd(int pid);
  ~ProcessEnd();
  ProcessEnd(const ProcessEnd&) = delete;
  ProcessEnd& operator=(const ProcessEnd&) = delete;
  ProcessEnd(ProcessEnd&& other) noexcept;

  bool valid() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }  // for QSocketNotifier or poll()
  // Without waiting: whether the process has ended; false when not valid().
  bool ended() const;

 private:
  int fd_ = -1;
};

}  // namespace torvex::games
