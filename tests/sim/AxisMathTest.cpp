// SPDX-License-Identifier: MIT
#include "sim/AxisMath.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace torvex::sim {
namespace {

int Curve(int type, int number, int value) {
  return ApplyCurve(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(number),
                    static_cast<std::uint16_t>(value));
}

// Every curve keeps its ends, never falls, and the S is symmetric; each step
// of the number bends it further down at a quarter of the travel.
TEST(Curve, ShapeOfEverySetting) {
  for (int type = 0; type < 3; ++type)
    for (int n = 0; n <= 10; ++n) {
      SCOPED_TRACE(testing::Message() << type << "/" << n);
      EXPECT_EQ(std::pair(Curve(type, n, 0), Curve(type, n, 65535)), std::pair(0, 65535));
      for (int v = 1, prev = 0; v <= 65535; prev = Curve(type, n, v), ++v) {
        ASSERT_GE(Curve(type, n, v), prev) << v;
        if (type == 1) {
          ASSERT_EQ(Curve(1, n, 65535 - v), 65535 - Curve(1, n, v)) << v;
        }
      }
      if (type > 0 && n < 10) {
        EXPECT_GT(Curve(type, n, 16384), Curve(type, n + 1, 16384));
      }
    }
  // Against the diagonal at a quarter: S position -2 an inverse S, -1 already
  // an S; progressive 4 degressive, 5 linear, 6 progressive; position 0 a mild S.
  // clang-format off
  for (auto [type, number, sign] :
       {std::array{1, 3, 1}, {1, 4, -1}, {2, 4, 1}, {2, 5, 0}, {2, 6, -1}, {2, 0, 1}, {2, 10, -1}}) {
    // clang-format on
    const int diff = Curve(type, number, 16384) - 16384;
    EXPECT_EQ((diff > 0) - (diff < 0), sign) << type << "/" << number;
  }
  // Linear ignores the number; an unknown type is linear; numbers past 10 are 10.
  EXPECT_EQ(std::tuple(Curve(0, 10, 40000), Curve(3, 9, 20000), Curve(1, 200, 30000)),
            std::tuple(40000, 20000, Curve(1, 10, 30000)));
}

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
