// Pure rules at their edges: percent texts and typed entries, input reports,
// identity strings.
#include <gmock/gmock.h>

#include "board/Identity.h"
#include "board/InputReport.h"
#include "board/Percent.h"
#include "support/Wire.h"

namespace torvex::board {
namespace {

using test::kEnglish, test::kGerman;

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

// Each entry truncated (PercentText) and rounded (FormatOneDecimal) to one decimal.
TEST(Rules, PercentTexts) {
  EXPECT_EQ(Each({32768.0 / 65535.0 * 100.0, 12.99, 19.999999999999996, 1.0 / 65535.0 * 100.0, -0.0,
                  -0.04, 123456789012.75, 1e20, 2.25, 1.05, 99.95, -2.25},
                 [](double x) { return PercentText(x, u'.') + "|" + FormatOneDecimal(x, u','); }),
            "50.0|50,0 12.9|13,0 20.0|20,0 0.0|0,0 0.0|0,0 -0.0|-0,0 123456789012.7|123456789012,8 "
            "100000000000000000000.0|100000000000000000000,0 2.2|2,3 1.0|1,1 99.9|100,0 -2.2|-2,3");
  EXPECT_EQ(Each({"10.5", "10.6", "-0.4", "x", "1e300"},
                 [](auto t) { return ClampDeadZone(t, kDeadZoneLimit, kEnglish, u'.'); }),
            "10.5 10.0 0.0 0.0 10.0");
  EXPECT_EQ(ClampDeadZone("2,25", kDeadZoneLimit, kGerman, u','), "2,3");
  EXPECT_EQ(Each({33, 32767, 65534},
                 [](int v) { return AxisPercentText(v, kEnglish) + AxisPercentText(v, kGerman); }),
            "0.1 %0,1 % 50.0 %50,0 % 100.0 %100,0 %");
}

TEST(Rules, TypedNumbers) {
  EXPECT_EQ(Each({" 7.3 ", "7.3\r", "1e2", "7,3", "inf", "1e400"},
                 [](auto t) { return Num(ParseLocaleNumber(t, kEnglish)); }),
            "7.3 7.3 100 - - -");
  EXPECT_EQ(
      Each({50.0, 99.9, 99.91, -0.1, 1e300},
           [](double x) { return Num(SliderPositionFromPercent(x, kClutchBiteFactor, 0, 65535)); }),
      "32800 65534 65535 0 65535");
  // Halves to even: 0.3 % is 196.5.
  EXPECT_EQ(Each({7.3, 0.3, -5.0, 1e12}, [](double x) { return Num(PercentToRaw(x)); }),
            "4782 196 0 65535");
  EXPECT_EQ(SliderPositionFromPercent(50, kLedFactor, 0, 255) + SliderPercent(5, 0), 128);
}

TEST(Rules, IdentityAndVersion) {
  const std::pair<std::u16string, QString> cases[] = {
      {u"", ""},
      {u"A\u0100B", "A\u0100B"},  // a zero low byte is no end
      {std::u16string(u"AB\0CD", 5), "AB"},
      {std::u16string(48, u'x') + u"\U0001D11Ez", QString(48, u'x') + "\U0001D11E"},
      {std::u16string(49, u'x') + u"\U0001D11E", QString(49, u'x')}};
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
