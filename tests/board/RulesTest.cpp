// Pure rules at their edges: percent texts and typed entries, input reports,
// identity strings, and the names listed for each stored value.
#include <gmock/gmock.h>

#include "board/Identity.h"
#include "board/InputReport.h"
#include "board/Percent.h"
#include "board/Settings.h"
#include "support/Wire.h"

namespace torvex::board {
namespace {

using test::kEnglish;
using test::kGerman;

// What `f` gives for each input, space separated; "-" for nothing.
template <typename T, typename F>
std::string Each(std::initializer_list<T> inputs, F f) {
  QStringList out;
  for (const auto& x : inputs) {
    const auto v = f(x);
    if constexpr (std::is_same_v<decltype(v), const QString>)
      out << v;
    else
      out << (v ? QString::number(*v) : "-");
  }
  return out.join(' ').toStdString();
}

TEST(Rules, PercentTexts) {
  const auto p = [](double x) { return PercentText(x, u'.'); };
  EXPECT_EQ(Each({32768.0 / 65535.0 * 100.0, 12.99, 19.999999999999996, 1.0 / 65535.0 * 100.0, -0.0,
                  -12.99, -0.04, 123456789012.75, 1e20},
                 p),
            "50.0 12.9 20.0 0.0 0.0 -12.9 -0.0 123456789012.7 100000000000000000000.0");
  const auto f = [](double x) { return FormatOneDecimal(x, u'.'); };
  EXPECT_EQ(Each({2.25, 2.24, 1.05, 99.95, -2.25}, f), "2.3 2.2 1.1 100.0 -2.3");
  const auto clamp = [](const char* t) { return ClampDeadZone(t, kDeadZoneLimit, kEnglish, u'.'); };
  EXPECT_EQ(Each({"10.5", "10.6", "-0.4", "x", "1e300"}, clamp), "10.5 10.0 0.0 0.0 10.0");
  const auto axis = [](int v) { return AxisPercentText(v, kEnglish); };
  EXPECT_EQ(Each({33, 32767, 65534}, axis), "0.1 % 50.0 % 100.0 %");
  // The locale's separator.
  EXPECT_EQ(PercentText(12.99, u',') + FormatOneDecimal(7.3, u','), "12,97,3");
  EXPECT_EQ(ClampDeadZone("2,25", kDeadZoneLimit, kGerman, u','), "2,3");
  EXPECT_EQ(AxisPercentText(32767, kGerman), "50,0 %");
}

TEST(Rules, TypedNumbers) {
  const auto en = [](const char* t) { return ParseLocaleNumber(t, kEnglish); };
  EXPECT_EQ(Each({" 7.3 ", "7.3\r", "1e2", "7,3", "inf", "1e400"}, en), "7.3 7.3 100 - - -");
  const auto de = [](const char* t) { return ParseLocaleNumber(t, kGerman); };
  EXPECT_EQ(Each({"7,3", "7.3"}, de), "7.3 -");
  const auto bite = [](double x) {
    return std::optional(SliderPositionFromPercent(x, kClutchBiteFactor, 0, 65535));
  };
  EXPECT_EQ(Each({50.0, 99.9, 99.91, -0.1, 1e300}, bite), "32800 65534 65535 0 65535");
  EXPECT_EQ(SliderPositionFromPercent(50, kLedFactor, 0, 255), 128);
  const auto raw = [](double x) { return std::optional(PercentToRaw(x)); };
  // Halves to even: 7.3 % is 4781.5.
  EXPECT_EQ(Each({7.3, 10.5, -5.0, 1e12}, raw), "4782 6878 0 65535");
  EXPECT_EQ(SliderPercent(5, 0), 0.0);
  EXPECT_EQ(EncodeCurveNumber(-5) + DecodeCurveNumber(10), 5);
}

TEST(Rules, IdentityVersionAndNames) {
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
  // Index = the stored value.
  EXPECT_EQ(PulseWidthNames().first() + PulseWidthNames().last(), "8 ms200 ms");
  EXPECT_EQ(AnalogInputModeNames().join(',') + MasterClutchNames().join(','),
            "Dual Clutch,Throttle and BrakeLeft,Right");
  EXPECT_EQ(CurveTypeNames().join(','), "Linear,S-Curve,Progressive/Degressive");
  EXPECT_EQ(RotaryLeftNames().mid(3).join(','), "Shift (R-Encoder),Encoder (R-Shifted)");
  EXPECT_EQ(RotaryRightNames().mid(3).join(','), "Encoder (L-Shifted),Shift (L-Encoder)");
}

// The last whole report of those read; bytes past the fields are not examined.
TEST(Rules, InputReports) {
  const test::Bytes two{0, 2, 3, 4, 5, 6, 7, 8, 9,    1,    2,    3,    4,    9, 9,
                        0, 1, 0, 0, 0, 0, 0, 0, 0x80, 0x34, 0x12, 0xCD, 0xAB, 9, 9};
  const auto s = DecodeNewestReport(two, 15);
  ASSERT_TRUE(s);
  EXPECT_THAT(s->buttons, testing::ElementsAre(1, 0, 0, 0, 0, 0, 0, 0x80));
  EXPECT_TRUE(s->x == 0x1234 && s->y == 0xABCD);
  for (auto [bytes, length] : {std::pair<int, int>{0, 13}, {12, 13}, {24, 12}, {13, 0}})
    EXPECT_FALSE(DecodeNewestReport(test::Bytes(bytes, 7), length)) << bytes << "/" << length;
  // Input across, output up; a line joins only a point with both coordinates.
  const auto at = [](int x, int y, bool onX) {
    return ChartPointFor({{}, std::uint16_t(x), std::uint16_t(y)}, onX);
  };
  EXPECT_EQ(at(1000, 2000, false), (ChartPoint{1000, 63535}));
  EXPECT_EQ(at(1000, 2000, true), (ChartPoint{2000, 64535}));
  EXPECT_FALSE(JoinsPrevious(at(0, 30000, false)) || JoinsPrevious(at(30000, 65535, false)));
  EXPECT_TRUE(JoinsPrevious(at(1, 65534, false)));
}

}  // namespace
}  // namespace torvex::board
