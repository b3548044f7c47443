// SPDX-License-Identifier: MIT
#include "sim/AxisMath.h"

#include <algorithm>
#include <cmath>

namespace torvex::sim {

namespace {

// Rounded a * 65535 / span for 0 <= a <= span, span > 0.
std::uint16_t Scale(std::uint32_t a, std::uint32_t span) {
  const std::uint64_t scaled = (std::uint64_t{a} * kAxisMax + span / 2) / span;
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(scaled, kAxisMax));
}

std::uint16_t FromUnit(double t) {
  const double v = std::round(std::clamp(t, 0.0, 1.0) * kAxisMax);
  return static_cast<std::uint16_t>(v);
}

// Lower half of the S: 0.5 * (2t)^k for t <= 0.5. k > 1 steepens the
// middle, k < 1 flattens it.
std::uint16_t SCurve(int position, std::uint16_t value) {
  const double k = 1.5 * std::pow(1.25, position);
  // Mirror the upper half so the curve is exactly point-symmetric.
  const bool upper = value > kAxisMax / 2;
  const std::uint16_t v = upper ? static_cast<std::uint16_t>(kAxisMax - value) : value;
  const double t = static_cast<double>(v) / kAxisMax;
  const std::uint16_t lower = FromUnit(0.5 * std::pow(2.0 * t, k));
  return upper ? static_cast<std::uint16_t>(kAxisMax - lower) : lower;
}

std::uint16_t Progressive(int position, std::uint16_t value) {
  if (position == 0) return value;
  const double g = 1.0 + 0.6 * std::abs(position);
  const double t = static_cast<double>(value) / kAxisMax;
  if (position > 0) return FromUnit(std::pow(t, g));
  return FromUnit(1.0 - std::pow(1.0 - t, g));
}

}  // namespace

std::uint16_t ApplyCalibration(std::uint16_t raw, std::uint16_t low, std::uint16_t high) {
  if (low == high) return raw >= high ? kAxisMax : 0;
  if (low < high) {
    if (raw <= low) return 0;
    if (raw >= high) return kAxisMax;
    return Scale(raw - low, high - low);
  }
  if (raw >= low) return 0;
  if (raw <= high) return kAxisMax;
  return Scale(low - raw, low - high);
}

std::uint16_t ApplyDeadZones(std::uint16_t value, std::uint16_t lowRaw, std::uint16_t highRaw) {
  const auto toAxis = [](std::uint16_t raw) {
    return Scale(std::min<std::uint32_t>(raw, kDeadZoneFull), kDeadZoneFull);
  };
  const std::uint32_t lowEdge = toAxis(lowRaw);
  const std::uint32_t highEdge = kAxisMax - toAxis(highRaw);
  if (value < lowEdge) return 0;
  if (highEdge <= lowEdge) return kAxisMax;
  if (value >= highEdge) return kAxisMax;
  return Scale(value - lowEdge, highEdge - lowEdge);
}

std::uint16_t ApplyCurve(std::uint8_t type, std::uint8_t number, std::uint16_t value) {
  const int position = std::min(number, kCurveNumberMax) - int{kCurveNumberCentre};
  switch (static_cast<CurveType>(type)) {
    case CurveType::SCurve:
      return SCurve(position, value);
    case CurveType::ProgressiveDegressive:
      return Progressive(position, value);
    case CurveType::Linear:
      break;
  }
  return value;
}

}  // namespace torvex::sim
