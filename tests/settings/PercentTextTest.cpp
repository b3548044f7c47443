// Pure percentage rules; the window's typed-entry tables (tests/reliability)
// cover the common entries, these keep the edges the window cannot reach.
#include "settings/PercentText.h"

#include <gtest/gtest.h>

namespace torvex::settings {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct TextCase {
  double x;
  char separator;
  const char* text;
};

TEST(PercentText, TruncatesAfterFifteenDigitRounding) {
  const TextCase cases[] = {
      {32768.0 / 65535.0 * 100.0, '.', "50.0"},
      {12.99, '.', "12.9"},
      {19.999999999999996, '.', "20.0"},
      {1.0 / 65535.0 * 100.0, '.', "0.0"},  // never an exponent
      {-0.0, '.', "0.0"},
      {65535.0 / 655.0, '.', "100.0"},
      {-12.99, '.', "-12.9"},
      {-0.04, '.', "-0.0"},
      {123456789012.75, '.', "123456789012.7"},
      {1e20, '.', "100000000000000000000.0"},
      {12.99, ',', "12,9"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PercentText(c.x, QChar(c.separator)).toStdString(), c.text) << c.x;
  EXPECT_DOUBLE_EQ(SliderPercent(5, 0), 0.0);
}

TEST(FormatOneDecimal, HalvesAwayFromZero) {
  const TextCase cases[] = {
      {2.25, '.', "2.3"},    {2.24, '.', "2.2"}, {1.05, '.', "1.1"},   {9.96, '.', "10.0"},
      {99.95, '.', "100.0"}, {0.04, '.', "0.0"}, {-2.25, '.', "-2.3"}, {7.3, ',', "7,3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatOneDecimal(c.x, QChar(c.separator)).toStdString(), c.text) << c.x;
}

TEST(ParseLocaleNumber, AcceptsOnlyFiniteLocaleNumbers) {
  const struct {
    const QLocale* locale;
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {&kEnglish, " 7.3 ", 7.3},        {&kEnglish, "7.3\r", 7.3},
      {&kEnglish, "1e2", 100.0},        {&kEnglish, "7,3", std::nullopt},
      {&kEnglish, "inf", std::nullopt}, {&kEnglish, "1e400", std::nullopt},
      {&kGerman, "7,3", 7.3},           {&kGerman, "7.3", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseLocaleNumber(c.text, *c.locale), c.value) << c.text;
}

TEST(SliderPositionFromPercent, FloorsAndLimitsToRange) {
  const struct {
    double percent, factor;
    int maximum, position;
  } cases[] = {
      {50.0, kClutchBiteFactor, 65535, 32800},  {99.9, kClutchBiteFactor, 65535, 65534},
      {99.91, kClutchBiteFactor, 65535, 65535}, {-0.1, kClutchBiteFactor, 65535, 0},
      {1e300, kClutchBiteFactor, 65535, 65535}, {50.0, kLedFactor, 255, 128},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SliderPositionFromPercent(c.percent, c.factor, 0, c.maximum), c.position)
        << c.percent;
}

TEST(DeadZone, ClampFormatAndRaw) {
  const struct {
    const QLocale* locale;
    const char* text;
    const char* shown;
    std::int32_t raw;  // of the shown text
  } cases[] = {
      {&kEnglish, "10.5", "10.5", 6878},  // whole number 10 is within the limit
      {&kEnglish, "10.6", "10.0", 6550},  // whole number 11 is not
      {&kEnglish, "7.3", "7.3", 4782},    // 4781.5 halves to even
      {&kEnglish, "-0.4", "0.0", 0},     {&kEnglish, "1e300", "10.0", 6550},
      {&kGerman, "2,25", "2,3", 1506},
  };
  for (const auto& c : cases) {
    const QString shown =
        ClampDeadZone(c.text, kDeadZoneLimit, *c.locale, c.locale->decimalPoint().at(0));
    EXPECT_EQ(shown.toStdString(), c.shown) << c.text;
    EXPECT_EQ(PercentToRaw(*ParseLocaleNumber(shown, *c.locale)), c.raw) << c.text;
  }
  // Beyond the limit only from code: still within two bytes.
  EXPECT_EQ(PercentToRaw(-5.0), 0);
  EXPECT_EQ(PercentToRaw(1e12), 65535);
}

}  // namespace
}  // namespace torvex::settings
