#include "sim/AxisMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

namespace torvex::sim {
namespace {

struct CurveSetting {
  std::uint8_t type;
  std::uint8_t number;
};

class EveryCurve : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  CurveSetting setting() const {
    return {static_cast<std::uint8_t>(std::get<0>(GetParam())),
            static_cast<std::uint8_t>(std::get<1>(GetParam()))};
  }
  std::uint16_t at(std::uint32_t v) const {
    return ApplyCurve(setting().type, setting().number, static_cast<std::uint16_t>(v));
  }
};

TEST_P(EveryCurve, KeepsEndPointsAndNeverFalls) {
  EXPECT_EQ(at(0), 0);
  EXPECT_EQ(at(65535), 65535);
  std::uint16_t previous = 0;
  for (std::uint32_t v = 0; v <= 65535; ++v) {
    const std::uint16_t out = at(v);
    ASSERT_GE(out, previous) << "falls at input " << v;
    previous = out;
  }
}

INSTANTIATE_TEST_SUITE_P(AllTypesAndNumbers, EveryCurve,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 11)));

class SCurveNumber : public ::testing::TestWithParam<int> {};

TEST_P(SCurveNumber, IsPointSymmetricAboutTheMiddle) {
  const auto n = static_cast<std::uint8_t>(GetParam());
  for (std::uint32_t v = 0; v <= 65535; v += 97)
    ASSERT_EQ(ApplyCurve(1, n, static_cast<std::uint16_t>(65535 - v)),
              65535 - ApplyCurve(1, n, static_cast<std::uint16_t>(v)))
        << "at input " << v;
}

INSTANTIATE_TEST_SUITE_P(AllNumbers, SCurveNumber, ::testing::Range(0, 11));

// Output at a quarter of the travel: below 16384 is an S (flat start, steep
// middle), above it an inverse S.
TEST(SCurve, ShapeFollowsTheNumber) {
  struct Case {
    int position;
    bool isS;
  } cases[] = {{-5, false}, {-3, false}, {-1, true}, {0, true}, {2, true}, {5, true}};
  for (const auto& c : cases) {
    const auto quarter = ApplyCurve(1, static_cast<std::uint8_t>(c.position + 5), 16384);
    EXPECT_EQ(quarter < 16384, c.isS) << "position " << c.position << " gives " << quarter;
  }
  // Steeper with every step: the quarter point sinks as the number rises.
  for (int n = 0; n < 10; ++n)
    EXPECT_GT(ApplyCurve(1, static_cast<std::uint8_t>(n), 16384),
              ApplyCurve(1, static_cast<std::uint8_t>(n + 1), 16384))
        << "byte " << n;
  // Position 0 is a mild S, not a near step.
  const auto mild = ApplyCurve(1, 5, 16384);
  EXPECT_GT(mild, 8000);
  EXPECT_LT(mild, 14000);
  EXPECT_EQ(ApplyCurve(1, 5, 32767) + ApplyCurve(1, 5, 32768), 65535);
}

TEST(ProgressiveDegressive, SignOfTheNumberBendsTheCurve) {
  struct Case {
    int position;
    int sign;  // -1 below the diagonal (progressive), +1 above (degressive)
  } cases[] = {{-5, 1}, {-4, 1}, {-1, 1}, {0, 0}, {1, -1}, {3, -1}, {5, -1}};
  for (const auto& c : cases) {
    const auto n = static_cast<std::uint8_t>(c.position + 5);
    for (std::uint16_t v : {6553, 32768, 58982}) {
      const int diff = int{ApplyCurve(2, n, v)} - int{v};
      EXPECT_EQ((diff > 0) - (diff < 0), c.sign) << "position " << c.position << " input " << v;
    }
  }
  // Stronger with the size of the number.
  for (int n = 5; n < 10; ++n)
    EXPECT_GT(ApplyCurve(2, static_cast<std::uint8_t>(n), 32768),
              ApplyCurve(2, static_cast<std::uint8_t>(n + 1), 32768));
  for (int n = 0; n < 5; ++n)
    EXPECT_GT(ApplyCurve(2, static_cast<std::uint8_t>(n), 32768),
              ApplyCurve(2, static_cast<std::uint8_t>(n + 1), 32768));
}

TEST(Curve, LinearAndOutOfRangeSettings) {
  struct Case {
    std::uint8_t type, number;
    std::uint16_t in, out;
  } cases[] = {
      {0, 0, 12345, 12345},                     // linear ignores the number
      {0, 10, 40000, 40000}, {2, 5, 777, 777},  // progressive at 0 is linear
      {3, 9, 20000, 20000},                     // unknown type: linear
      {255, 0, 1, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApplyCurve(c.type, c.number, c.in), c.out)
        << int{c.type} << "/" << int{c.number} << " at " << c.in;
  // A number beyond 10 acts as 10.
  for (std::uint16_t v : {1000, 30000, 50000}) {
    EXPECT_EQ(ApplyCurve(1, 200, v), ApplyCurve(1, 10, v));
    EXPECT_EQ(ApplyCurve(2, 11, v), ApplyCurve(2, 10, v));
  }
}

TEST(DeadZones, Edges) {
  // 10 % = raw 6550 = 6553.5 axis units, rounded to 6554 at each end.
  struct Case {
    std::uint16_t lowRaw, highRaw, in, out;
  } cases[] = {
      {0, 0, 0, 0},
      {0, 0, 32768, 32768},
      {0, 0, 65535, 65535},
      {6550, 0, 6553, 0},  // just inside the low zone
      {6550, 0, 6554, 0},  // the edge itself
      {6550, 0, 6555, 1},  // first step out of it
      {6550, 0, 65535, 65535},
      {0, 6550, 58981, 65535},  // the high edge: 65535 - 6554
      {0, 6550, 58980, 65534},
      {0, 6550, 0, 0},
      {6550, 6550, 32768, 32768},  // both zones: the middle stays put
      {6550, 6550, 6554, 0},
      {6550, 6550, 58981, 65535},
      {65500, 0, 65534, 0},  // 100 % low zone: only the very end
      {65500, 0, 65535, 65535},
      {40000, 40000, 30000, 0},  // overlapping zones: a switch at the low edge
      {40000, 40000, 40020, 0},
      {40000, 40000, 40021, 65535},
      {65535, 65535, 65534, 0},  // raw beyond 100 % is 100 %
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApplyDeadZones(c.in, c.lowRaw, c.highRaw), c.out)
        << "zones " << c.lowRaw << "/" << c.highRaw << " at " << c.in;
}

TEST(Calibration, MapsTheCalibratedRange) {
  struct Case {
    std::uint16_t low, high, raw, out;
  } cases[] = {
      {0, 65535, 0, 0},  // factory range: identity
      {0, 65535, 12345, 12345},
      {0, 65535, 65535, 65535},
      {10000, 50000, 9999, 0},  // clipped below
      {10000, 50000, 10000, 0},
      {10000, 50000, 30000, 32768},  // the middle: 20000/40000 x 65535, rounded
      {10000, 50000, 50000, 65535},
      {10000, 50000, 60000, 65535},  // clipped above
      {10000, 50000, 10001, 2},      // 1.638 rounds to 2
      {50000, 10000, 50000, 0},      // ends swapped: a reversed paddle
      {50000, 10000, 30000, 32768},
      {50000, 10000, 10000, 65535},
      {50000, 10000, 0, 65535},
      {30000, 30000, 29999, 0},  // both ends at one spot: a switch, no division by zero
      {30000, 30000, 30000, 65535},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApplyCalibration(c.raw, c.low, c.high), c.out)
        << c.low << ".." << c.high << " at " << c.raw;
}

TEST(DualClutch, OtherPaddleStopsAtTheBitePoint) {
  struct Case {
    std::uint16_t master, other, bite, out;
  } cases[] = {
      {0, 0, 32768, 0},
      {0, 20000, 32768, 20000},      // below the bite point the other paddle counts
      {0, 32768, 32768, 32768},      // at it
      {0, 65535, 32768, 32768},      // and no further
      {50000, 65535, 32768, 50000},  // the master takes over above it
      {10000, 65535, 32768, 32768},
      {65535, 0, 32768, 65535},
      {0, 65535, 0, 0},          // bite point 0: the other paddle does nothing
      {0, 65535, 65535, 65535},  // bite point at the end: both full range
  };
  for (const auto& c : cases)
    EXPECT_EQ(CombineDualClutch(c.master, c.other, c.bite), c.out)
        << c.master << "," << c.other << " bite " << c.bite;
}

}  // namespace
}  // namespace torvex::sim
