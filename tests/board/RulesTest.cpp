// Pure rules at their edges: percent texts and typed entries, input reports,
// identity strings.
#include <gmock/gmock.h>

#include "board/Identity.h"
#include "board/InputReport.h"
#include "board/Percent.h"
#include "support/Wire.h"

namespace torvex::board {
namespace {

using test::kEnglish;
using test::kGerman;

// What `f` gives for each input, space separated.
template <typename T, typename F>
std::string Each(std::initializer_list<T> inputs, F f) {
  QStringList out;
  for (const auto& x : inputs) out << f(x);
  return out.join(' ').toStdString();
}
QString Num(std::optional<double> v) {
  return v ? QString::number(*v) : "-";
}

TEST(Rules, PercentTexts) {
  EXPECT_EQ(Each({32768.0 / 65535.0 * 100.0, 12.99, 19.999999999999996, 1.0 / 65535.0 * 100.0, -0.0,
                  -12.99, -0.04, 123456789012.75, 1e20},
                 [](double x) { return PercentText(x, u'.'); }),
            "50.0 12.9 20.0 0.0 0.0 -12.9 -0.0 123456789012.7 100000000000000000000.0");
  EXPECT_EQ(
      Each({2.25, 2.24, 1.05, 99.95, -2.25}, [](double x) { return FormatOneDecimal(x, u'.'); }),
      "2.3 2.2 1.1 100.0 -2.3");
  EXPECT_EQ(Each({"10.5", "10.6", "-0.4", "x", "1e300"},
                 [](auto t) { return ClampDeadZone(t, kDeadZoneLimit, kEnglish, u'.'); }),
            "10.5 10.0 0.0 0.0 10.0");
  EXPECT_EQ(Each({33, 32767, 65534}, [](int v) { return AxisPercentText(v, kEnglish); }),
            "0.1 % 50.0 % 100.0 %");
  EXPECT_EQ(PercentText(12.99, u',') + " " + FormatOneDecimal(7.3, u',') + " " +
                ClampDeadZone("2,25", kDeadZoneLimit, kGerman, u',') + " " +
                AxisPercentText(32767, kGerman),
            "12,9 7,3 2,3 50,0 %");
}

TEST(Rules, TypedNumbers) {
  EXPECT_EQ(Each({" 7.3 ", "7.3\r", "1e2", "7,3", "inf", "1e400"},
                 [](auto t) { return Num(ParseLocaleNumber(t, kEnglish)); }),
            "7.3 7.3 100 - - -");
  EXPECT_EQ(Num(ParseLocaleNumber("7,3", kGerman)) + Num(ParseLocaleNumber("7.3", kGerman)),
            "7.3-");
  EXPECT_EQ(
      Each({50.0, 99.9, 99.91, -0.1, 1e300},
           [](double x) { return Num(SliderPositionFromPercent(x, kClutchBiteFactor, 0, 65535)); }),
      "32800 65534 65535 0 65535");
  // Halves to even: 7.3 % is 4781.5.
  EXPECT_EQ(Each({7.3, 10.5, -5.0, 1e12}, [](double x) { return Num(PercentToRaw(x)); }),
            "4782 6878 0 65535");
  EXPECT_EQ(SliderPositionFromPercent(50, kLedFactor, 0, 255), 128);
  EXPECT_EQ(SliderPercent(5, 0) + EncodeCurveNumber(-5) + DecodeCurveNumber(10), 5);
}

TEST(Rules, IdentityAndVersion) {
  const std::u16string x48(48, u'x'), x49(49, u'x');
  const std::pair<std::u16string, QString> cases[] = {
      {u"", ""},
      {u"A\u0100B", "A\u0100B"},  // a zero low byte is no end
      {std::u16string(u"AB\0CD", 5), "AB"},
      {std::u16string(51, u'x'), QString(50, u'x')},
      {x48 + u"\U0001D11Ez", QString(48, u'x') + "\U0001D11E"},
      {x49 + u"\U0001D11E", QString(49, u'x')}};
  for (const auto& [units, text] : cases) EXPECT_EQ(IdentityText(units), text);
  EXPECT_EQ(VersionLabel(0x0210) + VersionLabel(0xFFAB), " 2.10 255.AB");
}

// Bytes past the fields of a longer report are not examined. On the chart
// input goes across, output up; a line joins only a point with both coordinates.
TEST(Rules, InputReports) {
  const auto s = DecodeNewestReport(
      test::Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0x80, 0x34, 0x12, 0xCD, 0xAB, 9, 9}, 15);
  ASSERT_TRUE(s);
  EXPECT_THAT(s->buttons, testing::ElementsAre(1, 0, 0, 0, 0, 0, 0, 0x80));
  EXPECT_EQ(ChartPointFor(*s, false), (ChartPoint{0x1234, 65535 - 0xABCD}));
  EXPECT_EQ(ChartPointFor(*s, true), (ChartPoint{0xABCD, 65535 - 0x1234}));
  EXPECT_FALSE(JoinsPrevious({0, 1}) || JoinsPrevious({1, 0}) || !JoinsPrevious({1, 1}));
  EXPECT_FALSE(DecodeNewestReport(test::Bytes(24, 7), 12));  // too short for the fields
}

}  // namespace
}  // namespace torvex::board
