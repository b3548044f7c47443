// SPDX-License-Identifier: MIT
#pragma once
// An emulated board that behaves like its firmware: it stores its settings by
// command code, answers read-backs from that memory, applies calibration,
// dead zones and response curves to its paddles and produces input reports.
// Pure: no I/O, no clock of its own; the virtual platform feeds it time.
//
// Paddle 0 (left) feeds axis X, paddle 1 (right) axis Y; each goes through
// its calibration, dead zones and curve (AxisMath.h). Reported axes:
//   "Throttle and Brake": X = left paddle, Y = right paddle.
//   "Dual Clutch": X = the clutch, max(master, min(other, bite point));
//     Y = the master paddle alone, so the host can tell the two apart.
//   Curve monitor on X: X field = X after its curve, Y field = X before it.
//   Curve monitor on Y: X field = Y before its curve, Y field = Y after it.
// Settings and calibration survive unplugging; the monitor mode, pulses in
// flight and the read-back alternation start afresh at power-on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "sim/RotaryInputs.h"

namespace torvex::sim {

using Bytes = std::vector<std::uint8_t>;

class BoardFirmware {
 public:
  // Input report: ID 0, 8 button bytes, X low/high, Y low/high.
  static constexpr std::size_t kInputReportLength = 13;
  static constexpr int kButtonCount = 64;

  BoardFirmware();

  // ---- Feature reports (the host's side) ----
  // Takes one feature report as the host sent it; false when the board
  // does not understand it (it is then ignored, as real firmware would).
  bool receiveFeature(std::span<const std::uint8_t> report);
  // The next read-back record: SettingsRecord and LedRecord alternate.
  // `length` is the host's buffer length (report ID included).
  Bytes featureReply(std::size_t length);

  // ---- Settings memory ----
  std::uint8_t setting(std::uint8_t code) const { return memory_[code]; }
  void setSetting(std::uint8_t code, std::uint8_t value);
  std::uint16_t settingWord(std::uint8_t lowCode) const;
  void setSettingWord(std::uint8_t lowCode, std::uint16_t value);
  void factoryReset();
  static const std::array<std::uint8_t, 256>& FactoryDefaults();

  std::uint16_t ledIntensity() const;
  // Calibrated ends of an axis (0 = X, 1 = Y) in raw sensor units.
  std::uint16_t calibrationLow(int axis) const { return calLow_[axis & 1]; }
  std::uint16_t calibrationHigh(int axis) const { return calHigh_[axis & 1]; }
  void setCalibration(int axis, std::uint16_t low, std::uint16_t high);

  // Plugged in: volatile state starts afresh, stored settings stay.
  void powerOn();

  int monitorMode() const { return monitorMode_; }
  // Every calibration step received, in order (1..4).
  const std::vector<int>& calibrationSteps() const { return calibrationSteps_; }
  int resetCount() const { return resetCount_; }

  // ---- The user's hands ----
  void setButton(int index, bool pressed);  // index 0..63
  bool button(int index) const;
  // Raw paddle sensor positions, 0..65535 (0 = left paddle / X, 1 = right / Y).
  void setPaddle(int paddle, std::uint16_t raw);
  std::uint16_t paddle(int paddle) const { return paddles_[paddle & 1]; }
  // Turns a rotary knob by detents (positive clockwise) at the firmware's time.
  void turnRotary(RotaryInputs::Side side, int detents);
  const RotaryInputs& rotary() const { return rotary_; }

  // ---- Time and input ----
  // Moves the firmware's clock (microseconds since plug-in); timed behaviour
  // such as encoder pulses happens here.
  void advanceTo(std::int64_t nowUs);
  std::int64_t now() const { return nowUs_; }
  Bytes inputReport() const;
  // Called whenever what the input report would show changes.
  std::function<void()> onInputChanged;

  // Axis values as reported outside the curve monitor (after calibration,
  // dead zones, curve and analog input mode).
  std::uint16_t axisX() const;
  std::uint16_t axisY() const;
  // One axis before its curve (calibrated, dead zones applied) and after it.
  struct AxisTrace {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
  };
  AxisTrace trace(int axis) const;
  // Buttons as reported: the hands' buttons and those the rotaries press.
  std::array<std::uint8_t, 8> reportedButtons() const;

 private:
  void inputChanged();
  void syncRotary();

  std::array<std::uint8_t, 256> memory_{};
  std::array<std::uint8_t, 8> buttons_{};
  std::array<std::uint16_t, 2> paddles_{};
  int monitorMode_ = 0;
  std::vector<int> calibrationSteps_;
  int resetCount_ = 0;
  bool nextIsLed_ = false;
  std::int64_t nowUs_ = 0;
  std::array<std::uint16_t, 2> calLow_{};
  std::array<std::uint16_t, 2> calHigh_{};
  RotaryInputs rotary_;
  Bytes lastReport_;
};

}  // namespace torvex::sim
