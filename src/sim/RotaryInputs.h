// SPDX-License-Identifier: MIT
#pragma once
// The board's two rotary inputs and the buttons they press.
//
// Each input is a 12-detent knob (position 0..11, wrapping). Its mode (codes
// 0x49 left, 0x4A right) says how the firmware reads it. Button numbers are
// the 1-based numbers the tool shows:
//
//   mode                      left input            right input
//   0 12 Way Rotary           41..52 held           53..64 held
//   1 12 Way Rotary Pulsed    41..52 one pulse      53..64 one pulse
//   2 Encoder                 CW 41, CCW 42         CW 53, CCW 54
//   3 left "Shift (R-Encoder)", right "Encoder (L-Shifted)":
//                             shift, no buttons     CW 53, CCW 54;
//                                                   shifted CW 55, CCW 56
//   4 left "Encoder (R-Shifted)", right "Shift (L-Encoder)":
//                             CW 41, CCW 42;        shift, no buttons
//                             shifted CW 43, CCW 44
//
// A shift input is engaged while its knob is away from position 0; it only
// shifts an encoder whose partner is in the matching shift mode. Encoder
// detents each give one pulse of the pulse width, with a release of the same
// width between pulses so the host sees each one; detents turned faster wait
// their turn. A pulsed 12-way input pulses the new position once per change.
// Unknown modes press nothing.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>

namespace torvex::sim {

class RotaryInputs {
 public:
  enum Side { Left = 0, Right = 1 };
  enum Mode : std::uint8_t {
    TwelveWay = 0,
    TwelveWayPulsed = 1,
    Encoder = 2,
    PairingThree = 3,  // left: shift, right: shifted encoder
    PairingFour = 4,   // left: shifted encoder, right: shift
  };
  static constexpr int kPositions = 12;
  // 0-based button index of each side's first button (button 41 and 53).
  static constexpr std::array<int, 2> kFirstButton = {40, 52};
  // Pulses waiting beyond this are dropped, like a firmware's small buffer.
  static constexpr std::size_t kMaxPending = 32;

  // Applies the modes; a side whose mode changes drops its pulses.
  void setModes(std::uint8_t left, std::uint8_t right);
  std::uint8_t mode(Side side) const { return sides_[side].mode; }
  void setPulseWidthUs(std::int64_t us) { pulseUs_ = us; }
  std::int64_t pulseWidthUs() const { return pulseUs_; }

  // Turns a knob by `detents` (positive clockwise) at time `nowUs`.
  void turn(Side side, int detents, std::int64_t nowUs);
  int position(Side side) const { return sides_[side].position; }

  // Time of the next timed change (a pulse ending or a waiting one starting).
  std::optional<std::int64_t> nextEventUs() const;
  // Runs the earliest timed change if it is due by `limitUs`; returns its time.
  std::optional<std::int64_t> runNext(std::int64_t limitUs);
  // Runs every timed change due at or before `nowUs`.
  void runUntil(std::int64_t nowUs);
  // Drops every pulse (power loss).
  void cancelPulses();

  // The pressed buttons as eight input report bytes.
  std::array<std::uint8_t, 8> buttons() const;

 private:
  struct State {
    std::uint8_t mode = TwelveWay;
    int position = 0;
    int activeButton = -1;  // button of the pulse being held
    std::int64_t activeEndUs = 0;
    std::deque<int> pending;       // buttons of encoder pulses still to give
    std::int64_t nextStartUs = 0;  // earliest start of the next pulse
  };

  bool isShift(Side side) const;
  bool isEncoder(Side side) const;
  bool shifted(Side side) const;
  void startPulse(State& s, int button, std::int64_t atUs);

  std::array<State, 2> sides_{};
  std::int64_t pulseUs_ = 64000;
};

}  // namespace torvex::sim
