#include <gtest/gtest.h>

#include <vector>

#include "monitor/InputReport.h"

namespace torvex::monitor {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Report(std::array<std::uint8_t, 8> buttons, std::uint16_t x, std::uint16_t y) {
  Bytes r{0};
  r.insert(r.end(), buttons.begin(), buttons.end());
  r.insert(r.end(), {std::uint8_t(x & 0xFF), std::uint8_t(x >> 8), std::uint8_t(y & 0xFF),
                     std::uint8_t(y >> 8)});
  return r;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct DecodeCase {
  const char* name;
  Bytes bytes;
  std::size_t reportLength;
  bool decoded;
  std::array<std::uint8_t, 8> buttons;
  std::uint16_t x, y;
};

class DecodeNewest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeNewest, TakesTheLastWholeReport) {
  const auto& c = GetParam();
  const auto s = DecodeNewestReport(c.bytes, c.reportLength);
  ASSERT_EQ(s.has_value(), c.decoded);
  if (!c.decoded) return;
  EXPECT_EQ(s->buttons, c.buttons);
  EXPECT_EQ(s->x, c.x);
  EXPECT_EQ(s->y, c.y);
}

const Bytes kA = Report({1, 0, 0, 0, 0, 0, 0, 0x80}, 0x1234, 0xABCD);
const Bytes kB = Report({0xFF, 2, 3, 4, 5, 6, 7, 8}, 0, 65535);

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeNewest,
    ::testing::Values(
        DecodeCase{"OneReport", kA, 13, true, {1, 0, 0, 0, 0, 0, 0, 0x80}, 0x1234, 0xABCD},
        DecodeCase{"TwoReportsNewestWins",
                   Concat({kA, kB}),
                   13,
                   true,
                   {0xFF, 2, 3, 4, 5, 6, 7, 8},
                   0,
                   65535},
        DecodeCase{"ThreeReports",
                   Concat({kB, kB, kA}),
                   13,
                   true,
                   {1, 0, 0, 0, 0, 0, 0, 0x80},
                   0x1234,
                   0xABCD},
        DecodeCase{"Nothing", {}, 13, false, {}, 0, 0},
        DecodeCase{"LessThanOneReport", Bytes(12, 7), 13, false, {}, 0, 0},
        DecodeCase{"ShortReportLength", Bytes(24, 7), 12, false, {}, 0, 0},
        DecodeCase{"ZeroReportLength", Bytes(13, 7), 0, false, {}, 0, 0},
        // A longer report: offsets 13 onward are not examined.
        DecodeCase{"LongerReports",
                   Concat({kA, {9, 9}, kB, {9, 9}}),
                   15,
                   true,
                   {0xFF, 2, 3, 4, 5, 6, 7, 8},
                   0,
                   65535}),
    [](const auto& info) { return std::string(info.param.name); });

struct PercentCase {
  int value;
  const char* english;
  const char* german;
};

TEST(AxisPercentText, OneDecimalInTheGivenLocale) {
  const PercentCase cases[] = {
      {0, "0.0 %", "0,0 %"},         {1, "0.0 %", "0,0 %"},       {33, "0.1 %", "0,1 %"},
      {32768, "50.0 %", "50,0 %"},   {32767, "50.0 %", "50,0 %"}, {65535, "100.0 %", "100,0 %"},
      {65534, "100.0 %", "100,0 %"}, {6553, "10.0 %", "10,0 %"},  {6520, "9.9 %", "9,9 %"},
      {655, "1.0 %", "1,0 %"},
  };
  const QLocale en(QLocale::English, QLocale::UnitedStates);
  const QLocale de(QLocale::German, QLocale::Germany);
  for (const auto& c : cases) {
    EXPECT_EQ(AxisPercentText(c.value, en), QString::fromLatin1(c.english)) << c.value;
    EXPECT_EQ(AxisPercentText(c.value, de), QString::fromLatin1(c.german)) << c.value;
  }
}

TEST(ChartPointFor, InputAcrossOutputUp) {
  struct Case {
    std::uint16_t x, y;
    bool onX;
    ChartPoint expected;
  };
  const Case cases[] = {
      {1000, 2000, false, {1000, 63535}}, {1000, 2000, true, {2000, 64535}},
      {0, 0, false, {0, 65535}},          {65535, 65535, false, {65535, 0}},
      {65535, 0, true, {0, 0}},
  };
  for (const auto& c : cases) {
    InputState s;
    s.x = c.x;
    s.y = c.y;
    EXPECT_EQ(ChartPointFor(s, c.onX), c.expected) << c.x << "," << c.y << "," << c.onX;
  }
}

}  // namespace
}  // namespace torvex::monitor
