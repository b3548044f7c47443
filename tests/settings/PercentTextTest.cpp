#include "settings/PercentText.h"

#include <gtest/gtest.h>

namespace torvex::settings {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct PercentCase {
  double p;
  char separator;
  const char* text;
};

TEST(PercentText, TruncatesAfterFifteenDigitRounding) {
  const PercentCase cases[] = {
      {32768.0 / 65535.0 * 100.0, '.', "50.0"},  // 50.000762...
      {12.99, '.', "12.9"},
      {100.0, '.', "100.0"},
      {0.5, '.', "0.5"},
      {19.999999999999996, '.', "20.0"},
      {1.0 / 65535.0 * 100.0, '.', "0.0"},  // 0.0015..., never an exponent
      {0.0, '.', "0.0"},
      {-0.0, '.', "0.0"},
      {128.0 / 255.0 * 100.0, '.', "50.1"},
      {6550.0 / 655.0, '.', "10.0"},
      {4782.0 / 655.0, '.', "7.3"},
      {65535.0 / 655.0, '.', "100.0"},  // 100.053...
      {-12.99, '.', "-12.9"},
      {-0.04, '.', "-0.0"},
      {1e-20, '.', "0.0"},
      {123456789012.75, '.', "123456789012.7"},
      {1e20, '.', "100000000000000000000.0"},
      {12.99, ',', "12,9"},
      {100.0, ',', "100,0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PercentText(c.p, QChar(c.separator)).toStdString(), c.text) << c.p;
}

TEST(SliderPercent, PositionOverMaximum) {
  EXPECT_DOUBLE_EQ(SliderPercent(255, 255), 100.0);
  EXPECT_DOUBLE_EQ(SliderPercent(0, 65535), 0.0);
  EXPECT_DOUBLE_EQ(SliderPercent(5, 0), 0.0);
}

TEST(FormatOneDecimal, HalvesAwayFromZero) {
  const PercentCase cases[] = {
      {5.0, '.', "5.0"},   {2.25, '.', "2.3"},   {2.24, '.', "2.2"},    {1.05, '.', "1.1"},
      {10.5, '.', "10.5"}, {9.96, '.', "10.0"},  {99.95, '.', "100.0"}, {0.04, '.', "0.0"},
      {0.05, '.', "0.1"},  {-2.25, '.', "-2.3"}, {0.0, '.', "0.0"},     {7.3, ',', "7,3"},
      {10.0, ',', "10,0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatOneDecimal(c.p, QChar(c.separator)).toStdString(), c.text) << c.p;
}

struct ParseCase {
  const QLocale* locale;
  const char* text;
  std::optional<double> value;
};

TEST(ParseLocaleNumber, AcceptsOnlyFiniteLocaleNumbers) {
  const ParseCase cases[] = {
      {&kEnglish, "50", 50.0},          {&kEnglish, " 7.3 ", 7.3},
      {&kEnglish, "7.3\r", 7.3},        {&kEnglish, "-4", -4.0},
      {&kEnglish, "1e2", 100.0},        {&kEnglish, "", std::nullopt},
      {&kEnglish, "  ", std::nullopt},  {&kEnglish, "abc", std::nullopt},
      {&kEnglish, "7,3", std::nullopt}, {&kEnglish, "inf", std::nullopt},
      {&kEnglish, "nan", std::nullopt}, {&kEnglish, "1e400", std::nullopt},
      {&kGerman, "7,3", 7.3},           {&kGerman, "7.3", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto got = ParseLocaleNumber(QString::fromLatin1(c.text), *c.locale);
    ASSERT_EQ(got.has_value(), c.value.has_value()) << c.text;
    if (got) {
      EXPECT_DOUBLE_EQ(*got, *c.value) << c.text;
    }
  }
}

struct SliderCase {
  double percent;
  double factor;
  int minimum, maximum;
  int position;
};

TEST(SliderPositionFromPercent, FloorsAndLimitsToRange) {
  const SliderCase cases[] = {
      {50.0, kClutchBiteFactor, 0, 65535, 32800},
      {99.9, kClutchBiteFactor, 0, 65535, 65534},
      {99.91, kClutchBiteFactor, 0, 65535, 65535},  // 65540.96 is past the end
      {100.0, kClutchBiteFactor, 0, 65535, 65535},
      {0.0015, kClutchBiteFactor, 0, 65535, 0},
      {50.0, kLedFactor, 0, 255, 128},
      {99.9, kLedFactor, 0, 255, 255},
      {100.0, kLedFactor, 0, 255, 255},
      {-1.0, kLedFactor, 0, 255, 0},
      {-0.1, kClutchBiteFactor, 0, 65535, 0},
      {1e300, kClutchBiteFactor, 0, 65535, 65535},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SliderPositionFromPercent(c.percent, c.factor, c.minimum, c.maximum), c.position)
        << c.percent << " x " << c.factor;
}

struct ClampCase {
  const QLocale* locale;
  const char* text;
  const char* shown;
  std::int32_t raw;  // of the shown text
};

TEST(DeadZone, ClampFormatAndRaw) {
  const ClampCase cases[] = {
      {&kEnglish, "5", "5.0", 3275},      {&kEnglish, "15", "10.0", 6550},
      {&kEnglish, "10.5", "10.5", 6878},  // whole number 10 is within the limit
      {&kEnglish, "10.6", "10.0", 6550},  // whole number 11 is not
      {&kEnglish, "7.3", "7.3", 4782},    // 4781.5, halves to even
      {&kEnglish, "2.25", "2.3", 1506},   {&kEnglish, "abc", "0.0", 0},
      {&kEnglish, "", "0.0", 0},          {&kEnglish, "-3", "0.0", 0},
      {&kEnglish, "-0.4", "0.0", 0},      {&kEnglish, "99999999999999999999", "10.0", 6550},
      {&kEnglish, "1e300", "10.0", 6550}, {&kEnglish, " 4 ", "4.0", 2620},
      {&kGerman, "7,3", "7,3", 4782},     {&kGerman, "2,25", "2,3", 1506},
      {&kGerman, "15", "10,0", 6550},
  };
  for (const auto& c : cases) {
    const QChar sep = c.locale->decimalPoint().at(0);
    const QString shown =
        ClampDeadZone(QString::fromLatin1(c.text), kDeadZoneLimit, *c.locale, sep);
    EXPECT_EQ(shown.toStdString(), c.shown) << c.text;
    EXPECT_EQ(PercentToRaw(*ParseLocaleNumber(shown, *c.locale)), c.raw) << c.text;
  }
}

TEST(DeadZone, RawStaysWithinTwoBytes) {
  EXPECT_EQ(PercentToRaw(-5.0), 0);
  EXPECT_EQ(PercentToRaw(1e12), 65535);
  EXPECT_EQ(PercentToRaw(100.0), 65500);
  // A stored raw value shows truncated, as the user typed it.
  EXPECT_EQ(PercentText(RawToPercent(4782), '.').toStdString(), "7.3");
  EXPECT_EQ(PercentText(RawToPercent(32768), '.').toStdString(), "50.0");
}

TEST(CurveNumber, WireByteIsPositionPlusFive) {
  const std::pair<int, int> cases[] = {{-5, 0}, {0, 5}, {5, 10}};
  for (auto [position, byte] : cases) {
    EXPECT_EQ(EncodeCurveNumber(position), byte);
    EXPECT_EQ(DecodeCurveNumber(static_cast<std::uint8_t>(byte)), position);
  }
  EXPECT_EQ(DecodeCurveNumber(255), 250);
}

TEST(TwoByteSetting, LowThenFlooredHigh) {
  const struct {
    long long v, low, high;
  } cases[] = {{300, 0x2C, 0x01}, {6550, 150, 25}, {65535, 255, 255}, {0, 0, 0}, {-1, -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(LowByte(c.v), c.low) << c.v;
    EXPECT_EQ(HighByte(c.v), c.high) << c.v;
  }
}

}  // namespace
}  // namespace torvex::settings
