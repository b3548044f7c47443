// SPDX-License-Identifier: MIT
// No pidfd on this system: never valid, so the caller watches by scanning.
#include <utility>

#include "games/ProcessEnd.h"

namespace torvex::games {

ProcessEnd::ProcessEnd(int) {}
ProcessEnd::~ProcessEnd() = default;
ProcessEnd::ProcessEnd(ProcessEnd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

bool ProcessEnd::ended() const {
  return false;
}

}  // namespace torvex::games
