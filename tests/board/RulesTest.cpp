// Pure rules: percent texts and typed entries, input reports, identity
// strings, and the names listed for each stored value.
#include <gtest/gtest.h>

#include "board/Identity.h"
#include "board/InputReport.h"
#include "board/Percent.h"
#include "board/Settings.h"
#include "support/Wire.h"

namespace torvex::board {
namespace {

using test::kEnglish;
using test::kGerman;

TEST(Rules, Texts) {
  const std::u16string x48(48, u'x'), x49(49, u'x');
  const std::pair<QString, std::string> cases[] = {
      {PercentText(32768.0 / 65535.0 * 100.0, u'.'), "50.0"},
      {PercentText(12.99, u'.'), "12.9"},
      {PercentText(19.999999999999996, u'.'), "20.0"},  // 15 digits first
      {PercentText(1.0 / 65535.0 * 100.0, u'.'), "0.0"},  // never an exponent
      {PercentText(-0.0, u'.'), "0.0"},
      {PercentText(-12.99, u'.'), "-12.9"},
      {PercentText(-0.04, u'.'), "-0.0"},
      {PercentText(123456789012.75, u'.'), "123456789012.7"},
      {PercentText(1e20, u'.'), "100000000000000000000.0"},
      {PercentText(12.99, u','), "12,9"},
      {FormatOneDecimal(2.25, u'.'), "2.3"},
      {FormatOneDecimal(2.24, u'.'), "2.2"},
      {FormatOneDecimal(1.05, u'.'), "1.1"},
      {FormatOneDecimal(99.95, u'.'), "100.0"},
      {FormatOneDecimal(-2.25, u'.'), "-2.3"},
      {FormatOneDecimal(7.3, u','), "7,3"},
      {ClampDeadZone("10.5", kDeadZoneLimit, kEnglish, u'.'), "10.5"},  // whole number 10
      {ClampDeadZone("10.6", kDeadZoneLimit, kEnglish, u'.'), "10.0"},
      {ClampDeadZone("-0.4", kDeadZoneLimit, kEnglish, u'.'), "0.0"},
      {ClampDeadZone("x", kDeadZoneLimit, kEnglish, u'.'), "0.0"},
      {ClampDeadZone("1e300", kDeadZoneLimit, kEnglish, u'.'), "10.0"},
      {ClampDeadZone("2,25", kDeadZoneLimit, kGerman, u','), "2,3"},
      {AxisPercentText(33, kEnglish), "0.1 %"},
      {AxisPercentText(6520, kEnglish), "9.9 %"},
      {AxisPercentText(65534, kEnglish), "100.0 %"},
      {AxisPercentText(32767, kGerman), "50,0 %"},
      {IdentityText(u""), ""},
      {IdentityText(u"A\u0100B\u4E00"), "A\u0100B\u4E00"},  // a zero low byte is no end
      {IdentityText(std::u16string(u"AB\0CD", 5)), "AB"},
      {IdentityText(std::u16string(51, u'x')), std::string(50, 'x')},
      {IdentityText(x48 + u"\U0001D11Ez"), std::string(48, 'x') + "\U0001D11E"},
      {IdentityText(x49 + u"\U0001D11Etail"), std::string(49, 'x')},
      {VersionLabel(0x0210), " 2.10"},
      {VersionLabel(0xFFAB), " 255.AB"},
      {PulseWidthNames().first() + "," + PulseWidthNames().last(), "8 ms,200 ms"},
      {AnalogInputModeNames().join(','), "Dual Clutch,Throttle and Brake"},
      {MasterClutchNames().join(','), "Left,Right"},
      {CurveTypeNames().join(','), "Linear,S-Curve,Progressive/Degressive"},
      {RotaryLeftNames().mid(3).join(','), "Shift (R-Encoder),Encoder (R-Shifted)"},
      {RotaryRightNames().mid(3).join(','), "Encoder (L-Shifted),Shift (L-Encoder)"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cases[i].first.toStdString(), cases[i].second) << "case " << i;
}

TEST(Rules, Numbers) {
  const std::pair<std::optional<double>, std::optional<double>> cases[] = {
      {ParseLocaleNumber(" 7.3 ", kEnglish), 7.3},
      {ParseLocaleNumber("7.3\r", kEnglish), 7.3},
      {ParseLocaleNumber("1e2", kEnglish), 100},
      {ParseLocaleNumber("7,3", kEnglish), std::nullopt},
      {ParseLocaleNumber("inf", kEnglish), std::nullopt},
      {ParseLocaleNumber("1e400", kEnglish), std::nullopt},
      {ParseLocaleNumber("7,3", kGerman), 7.3},
      {ParseLocaleNumber("7.3", kGerman), std::nullopt},
      {SliderPositionFromPercent(50, kClutchBiteFactor, 0, 65535), 32800},
      {SliderPositionFromPercent(99.9, kClutchBiteFactor, 0, 65535), 65534},
      {SliderPositionFromPercent(-0.1, kClutchBiteFactor, 0, 65535), 0},
      {SliderPositionFromPercent(1e300, kClutchBiteFactor, 0, 65535), 65535},
      {SliderPositionFromPercent(50, kLedFactor, 0, 255), 128},
      {SliderPercent(5, 0), 0},
      {PercentToRaw(7.3), 4782},  // 4781.5 halves to even
      {PercentToRaw(10.5), 6878},
      {PercentToRaw(-5), 0},
      {PercentToRaw(1e12), 65535},
      {EncodeCurveNumber(-5), 0},
      {DecodeCurveNumber(10), 5},
      {HighByte(0x1234) * 256 + LowByte(0x1234), 0x1234},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(Rules, NewestWholeInputReport) {
  const test::Bytes a{0, 1, 0, 0, 0, 0, 0, 0, 0x80, 0x34, 0x12, 0xCD, 0xAB};
  const test::Bytes b{0, 0xFF, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0xFF, 0xFF};
  auto cat = [](std::initializer_list<test::Bytes> parts) {
    test::Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const struct {
    test::Bytes bytes;
    std::size_t reportLength;
    const char* expected;  // buttons, x, y in hex
  } cases[] = {
      {a, 13, "0100000000000080 1234 ABCD"},
      {cat({b, b, a}), 13, "0100000000000080 1234 ABCD"},
      {cat({a, {9, 9}, b, {9, 9}}), 15, "FF02030405060708 0 FFFF"},  // tails not examined
      {{}, 13, "-"},
      {test::Bytes(12, 7), 13, "-"},
      {test::Bytes(24, 7), 12, "-"},  // too short for the fields
      {test::Bytes(13, 7), 0, "-"},
  };
  for (const auto& c : cases) {
    const auto s = DecodeNewestReport(c.bytes, c.reportLength);
    QString got = "-";
    if (s)
      got = QByteArray(reinterpret_cast<const char*>(s->buttons.data()), 8).toHex().toUpper() +
            QString(" %1 %2").arg(s->x, 0, 16).arg(s->y, 0, 16).toUpper();
    EXPECT_EQ(got.toStdString(), c.expected) << c.bytes.size() << "/" << c.reportLength;
  }
}

// Input across, output up; a line joins only a point with both coordinates.
TEST(Rules, ChartPoints) {
  const struct {
    std::uint16_t x, y;
    bool onX;
    ChartPoint point;
    bool joins;
  } cases[] = {
      {1000, 2000, false, {1000, 63535}, true}, {1000, 2000, true, {2000, 64535}, true},
      {0, 30000, false, {0, 35535}, false},     {30000, 65535, false, {30000, 0}, false},
  };
  for (const auto& c : cases) {
    const ChartPoint p = ChartPointFor(InputState{{}, c.x, c.y}, c.onX);
    EXPECT_EQ(p, c.point) << c.x << "," << c.y << "," << c.onX;
    EXPECT_EQ(JoinsPrevious(p), c.joins) << c.x << "," << c.y << "," << c.onX;
  }
}

}  // namespace
}  // namespace torvex::board
