// SPDX-License-Identifier: MIT
#include "board/PaddleRest.h"

#include <algorithm>
#include <cstdlib>

namespace torvex::board {

int PaddleRest::distance(AxisFields a, AxisFields b) const {
  const int dx = std::abs(a.x - b.x);
  const int dy = std::abs(a.y - b.y);
  switch (watch_) {
    case Watch::X:
      return dx;
    case Watch::Y:
      return dy;
    case Watch::Both:
      break;
  }
  return std::max(dx, dy);
}

void PaddleRest::feed(std::int64_t ms, AxisFields reading) {
  // Measured from where the rest began, so a slow creep cannot pass as still.
  if (!last_ || distance(reading, restFrom_) > kTolerance) {
    restFrom_ = reading;
    restSinceMs_ = ms;
  }
  last_ = reading;
}

PaddleRest::State PaddleRest::state(std::int64_t nowMs) const {
  if (!last_) return State::Unknown;
  if (nowMs - restSinceMs_ < kSteadyMs) return State::Moving;
  if (lowEnd_ && distance(*last_, *lowEnd_) < kMinTravel) return State::TooClose;
  return State::Settled;
}

}  // namespace torvex::board
