// SPDX-License-Identifier: MIT
#pragma once
// Whether a paddle has come to rest, judged from the board's input readings
// alone. The board measures the paddle itself when it takes a calibration end,
// so an end is worth taking only once the reading holds still, and the high
// end only far enough from the low one. Pure: the caller's clock feeds it.

#include <cstdint>
#include <optional>

namespace torvex::board {

struct AxisFields {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
};

class PaddleRest {
 public:
  // The fields that follow the paddle: one in throttle-and-brake mode; in
  // dual clutch both fields mix both paddles, so both are watched.
  enum class Watch { X, Y, Both };
  enum class State {
    Unknown,   // no reading yet
    Moving,    // not yet steady for kSteadyMs
    TooClose,  // steady, but short of kMinTravel from the low end
    Settled,
  };
  static constexpr int kSteadyMs = 500;
  static constexpr int kTolerance = 655;  // 1 % of the full scale
  static constexpr int kMinTravelPercent = 10;
  static constexpr int kMinTravel = 6554;  // kMinTravelPercent of the full scale

  explicit PaddleRest(Watch watch) : watch_(watch) {}

  // A reading from the board. A quiet board sends none while nothing moves:
  // the last one then stands for the whole time.
  void feed(std::int64_t ms, AxisFields reading);
  // From now on a rest counts only kMinTravel or more from `lowEnd` in a
  // watched field (in either, when both are watched).
  void needTravelFrom(AxisFields lowEnd) { lowEnd_ = lowEnd; }
  State state(std::int64_t nowMs) const;
  // Where the paddle was last seen.
  std::optional<AxisFields> last() const { return last_; }

 private:
  // The largest difference in a watched field.
  int distance(AxisFields a, AxisFields b) const;

  Watch watch_;
  std::optional<AxisFields> last_;
  AxisFields restFrom_;  // the reading the current rest began with
  std::int64_t restSinceMs_ = 0;
  std::optional<AxisFields> lowEnd_;
};

}  // namespace torvex::board
