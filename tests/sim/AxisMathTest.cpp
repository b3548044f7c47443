#include "sim/AxisMath.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace torvex::sim {
namespace {

std::uint16_t Curve(int type, int number, int value) {
  return ApplyCurve(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(number),
                    static_cast<std::uint16_t>(value));
}

TEST(Curve, EverySettingKeepsEndsNeverFallsAndTheSIsSymmetric) {
  for (int type = 0; type < 3; ++type)
    for (int n = 0; n <= 10; ++n) {
      EXPECT_EQ(Curve(type, n, 0), 0) << type << "/" << n;
      EXPECT_EQ(Curve(type, n, 65535), 65535) << type << "/" << n;
      for (int v = 1, prev = 0; v <= 65535; ++v) {
        const int out = Curve(type, n, v);
        ASSERT_GE(out, prev) << type << "/" << n << " at " << v;
        prev = out;
        if (type == 1) {
          ASSERT_EQ(Curve(1, n, 65535 - v), 65535 - out) << n << " at " << v;
        }
      }
    }
}

// At a quarter of the travel every step of the number bends the curve further
// down; the sign against the diagonal tells the shape.
TEST(Curve, NumberBendsTheCurve) {
  for (int type : {1, 2})
    for (int n = 0; n < 10; ++n)
      EXPECT_GT(Curve(type, n, 16384), Curve(type, n + 1, 16384)) << type << "/" << n;
  struct Case {
    int type, number, sign;  // -1 below the diagonal, +1 above
  } cases[] = {
      {1, 3, 1}, {1, 4, -1},               // S position -2 is an inverse S, -1 already an S
      {2, 4, 1}, {2, 5, 0},   {2, 6, -1},  // degressive, linear, progressive
      {2, 0, 1}, {2, 10, -1},
  };
  for (const auto& c : cases)
    for (int v : {6553, 16384, 32768, 58982}) {
      if (c.type == 1 && v >= 32768) continue;  // the S crosses the diagonal in the middle
      const int diff = Curve(c.type, c.number, v) - v;
      EXPECT_EQ((diff > 0) - (diff < 0), c.sign) << c.type << "/" << c.number << " at " << v;
    }
  // Position 0 is a mild S, not a near step.
  EXPECT_GT(Curve(1, 5, 16384), 8000);
  EXPECT_LT(Curve(1, 5, 16384), 14000);
}

TEST(Curve, LinearUnknownTypesAndNumbersBeyondTen) {
  EXPECT_EQ(Curve(0, 10, 40000), 40000);  // linear ignores the number
  EXPECT_EQ(Curve(3, 9, 20000), 20000);   // unknown type: linear
  EXPECT_EQ(Curve(255, 0, 1), 1);
  for (int v : {1000, 30000, 50000}) {
    EXPECT_EQ(Curve(1, 200, v), Curve(1, 10, v));
    EXPECT_EQ(Curve(2, 11, v), Curve(2, 10, v));
  }
}

TEST(DeadZones, Edges) {
  // 10 % = raw 6550 = 6553.5 axis units, rounded to 6554 at each end.
  struct Case {
    std::uint16_t lowRaw, highRaw, in, out;
  } cases[] = {
      {0, 0, 32768, 32768},     {6550, 0, 6554, 0},           {6550, 0, 6555, 1},
      {0, 6550, 58981, 65535},  {0, 6550, 58980, 65534},      {6550, 6550, 32768, 32768},
      {65500, 0, 65534, 0},     {65500, 0, 65535, 65535},      // 100 %: only the very end
      {40000, 40000, 40020, 0}, {40000, 40000, 40021, 65535},  // overlapping: a switch
      {65535, 65535, 65534, 0},                                // raw beyond 100 % is 100 %
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApplyDeadZones(c.in, c.lowRaw, c.highRaw), c.out)
        << "zones " << c.lowRaw << "/" << c.highRaw << " at " << c.in;
}

TEST(Calibration, MapsTheCalibratedRange) {
  struct Case {
    std::uint16_t low, high, raw, out;
  } cases[] = {
      {0, 65535, 12345, 12345},     {10000, 50000, 9999, 0},      {10000, 50000, 30000, 32768},
      {10000, 50000, 60000, 65535}, {10000, 50000, 10001, 2},      // 1.638 rounds to 2
      {50000, 10000, 50000, 0},     {50000, 10000, 30000, 32768},  // ends swapped: reversed
      {50000, 10000, 0, 65535},     {30000, 30000, 29999, 0},      // one spot: a switch, no /0
      {30000, 30000, 30000, 65535},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApplyCalibration(c.raw, c.low, c.high), c.out)
        << c.low << ".." << c.high << " at " << c.raw;
}

}  // namespace
}  // namespace torvex::sim
