// SPDX-License-Identifier: MIT
#include "sim/AxisMath.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace torvex::sim {
namespace {

TEST(DeadZonesAndCalibration, Edges) {
  // 10 % = raw 6550 = 6553.5 axis units, rounded to 6554 at each end; 100 % leaves
  // only the very end; overlapping zones make a switch; raw beyond 100 % is 100 %.
  // Low and high zones raw, the axis value in and out.
  const std::array<std::uint16_t, 4> zones[] = {
      {0, 0, 32768, 32768},         {6550, 0, 6554, 0},       {6550, 0, 6555, 1},
      {0, 6550, 58981, 65535},      {0, 6550, 58980, 65534},  {6550, 6550, 32768, 32768},
      {65500, 0, 65534, 0},         {65500, 0, 65535, 65535}, {40000, 40000, 40020, 0},
      {40000, 40000, 40021, 65535}, {65535, 65535, 65534, 0}};
  for (auto [lowRaw, highRaw, in, out] : zones)
    EXPECT_EQ(ApplyDeadZones(in, lowRaw, highRaw), out) << lowRaw << "/" << highRaw << " at " << in;
  // 1.638 rounds to 2; swapped ends reverse the paddle; one spot is a switch, no /0.
  // Calibrated ends, the raw value and the axis value.
  const std::array<std::uint16_t, 4> ends[] = {
      {0, 65535, 12345, 12345},     {10000, 50000, 9999, 0},  {10000, 50000, 30000, 32768},
      {10000, 50000, 60000, 65535}, {10000, 50000, 10001, 2}, {50000, 10000, 50000, 0},
      {50000, 10000, 30000, 32768}, {30000, 30000, 29999, 0}, {30000, 30000, 30000, 65535}};
  for (auto [low, high, raw, out] : ends)
    EXPECT_EQ(ApplyCalibration(raw, low, high), out) << low << ".." << high << " at " << raw;
}

}  // namespace
}  // namespace torvex::sim
