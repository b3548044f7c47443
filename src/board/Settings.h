// SPDX-License-Identifier: MIT
#pragma once
// Every setting a board stores, in the board's own units, and what a person
// reads for each: the names the window lists and the command line accepts,
// percentages, milliseconds. Both front ends take their words from here.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "protocol/Protocol.h"

namespace torvex::board {

struct Settings {
  std::uint8_t pulseWidthStep = 0;   // 1..25: pulse width = step x 8 ms
  std::uint8_t analogInputMode = 0;  // index into AnalogInputModeNames()
  std::uint16_t clutchBite = 0;      // 0..65535 (kClutchBiteMax)
  std::uint8_t masterClutch = 0;     // index into MasterClutchNames()
  std::uint8_t rotaryLeft = 0;       // index into RotaryLeftNames()
  std::uint8_t rotaryRight = 0;      // index into RotaryRightNames()
  std::uint16_t xDeadLow = 0;        // raw = percent x 655
  std::uint16_t xDeadHigh = 0;
  std::uint16_t yDeadLow = 0;
  std::uint16_t yDeadHigh = 0;
  std::uint8_t xCurveType = 0;  // index into CurveTypeNames()
  std::uint8_t yCurveType = 0;
  std::uint8_t xCurveNumber = 5;  // curve number + 5: -5..5 travels as 0..10
  std::uint8_t yCurveNumber = 5;
  std::uint16_t ledIntensity = 0;  // 0..255 (kLedMax)

  void take(const protocol::SettingsRecord& r);
  void take(const protocol::LedRecord& r) { ledIntensity = r.ledIntensity; }
  bool operator==(const Settings&) const = default;
};

inline constexpr int kClutchBiteMax = 65535;
inline constexpr int kLedMax = 255;
inline constexpr int kPulseWidthSteps = 25;
inline constexpr int kPulseWidthMsPerStep = 8;
inline constexpr int kCurveNumberMin = -5;
inline constexpr int kCurveNumberMax = 5;
// What the editor shows before a board is read: 64 ms.
inline constexpr int kDefaultPulseWidthStep = 8;

// List entries, by the value the board stores (index = value; pulse widths
// by step - 1).
QStringList AnalogInputModeNames();
QStringList MasterClutchNames();
QStringList RotaryLeftNames();
QStringList RotaryRightNames();
QStringList PulseWidthNames();
QStringList CurveTypeNames();

inline constexpr int kThrottleAndBrake = 1;
inline constexpr int kLinearCurve = 0;

// Rotary modes 3 and 4 pair the two inputs (one is the shift of the other's
// encoder); a pairing has the same value in both lists.
constexpr bool IsRotaryPairing(int mode) {
  return mode == 3 || mode == 4;
}

// The X axis calibrates only as a throttle: as a clutch paddle the board
// derives it from the other paddle.
constexpr bool CanCalibrateX(int analogInputMode) {
  return analogInputMode == kThrottleAndBrake;
}
inline const char* const kCalibrateXRefusal =
    "Unable to calibrate in Dual clutch mode, switch to 'Brake and Throttle' mode";

}  // namespace torvex::board
