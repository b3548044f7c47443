// SPDX-License-Identifier: MIT
#pragma once
// The board's paddle maths, as pure functions on 16-bit axis values
// (0..65535). One paddle goes through calibration, then its dead zones, then
// its response curve; in dual clutch mode the two results are combined.

#include <cstdint>

namespace torvex::sim {

inline constexpr std::uint16_t kAxisMax = 65535;

enum class CurveType : std::uint8_t { Linear = 0, SCurve = 1, ProgressiveDegressive = 2 };

// Curve number bytes run 0..10 for slider positions -5..5.
inline constexpr std::uint8_t kCurveNumberCentre = 5;
inline constexpr std::uint8_t kCurveNumberMax = 10;

// Dead zones are stored as percent x 655; 100 % is therefore 65500.
inline constexpr std::uint32_t kDeadZoneFull = 65500;

// Scales a raw sensor position from the calibrated range [low, high] to
// 0..65535, clipped. A low end above the high end reverses the paddle; equal
// ends make a switch at that position instead of dividing by zero.
std::uint16_t ApplyCalibration(std::uint16_t raw, std::uint16_t low, std::uint16_t high);

// Values inside the low dead zone read 0, values inside the high one read
// 65535, linear between. Zones that overlap leave a switch at the low edge.
std::uint16_t ApplyDeadZones(std::uint16_t value, std::uint16_t lowRaw, std::uint16_t highRaw);

// Response curve `type` (0..2) with curve number byte `number` (0..10).
//   Linear: the number is ignored.
//   S-Curve: point-symmetric about the middle; position 0 is a mild S,
//     5 the steepest middle, negative positions flatten the middle into an
//     inverse S (-5 the strongest).
//   Progressive/Degressive: 0 linear, positive positions start slowly
//     (progressive, 5 strongest), negative ones start fast (degressive).
// Every setting is monotonic and keeps 0 -> 0 and 65535 -> 65535. Unknown
// types act as linear; numbers above 10 act as 10.
std::uint16_t ApplyCurve(std::uint8_t type, std::uint8_t number, std::uint16_t value);

// Dual clutch: the master paddle has the full range, the other paddle stops
// at the bite point; the clutch follows whichever is pressed further.
constexpr std::uint16_t CombineDualClutch(std::uint16_t master, std::uint16_t other,
                                          std::uint16_t bite) {
  const std::uint16_t capped = other < bite ? other : bite;
  return master > capped ? master : capped;
}

}  // namespace torvex::sim
