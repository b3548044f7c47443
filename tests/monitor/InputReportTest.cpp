#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "monitor/InputReport.h"

namespace torvex::monitor {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kA{0, 1, 0, 0, 0, 0, 0, 0, 0x80, 0x34, 0x12, 0xCD, 0xAB};
const Bytes kB{0, 0xFF, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0xFF, 0xFF};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(DecodeNewestReport, TakesTheLastWholeReport) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::size_t reportLength;
    std::optional<InputState> expected;
  };
  const InputState a{{1, 0, 0, 0, 0, 0, 0, 0x80}, 0x1234, 0xABCD};
  const InputState b{{0xFF, 2, 3, 4, 5, 6, 7, 8}, 0, 65535};
  const Case cases[] = {
      {"one", kA, 13, a},
      {"newest of three", Concat({kB, kB, kA}), 13, a},
      // Bytes past the fields of a longer report are not examined.
      {"longer reports", Concat({kA, {9, 9}, kB, {9, 9}}), 15, b},
      {"nothing", {}, 13, std::nullopt},
      {"less than one report", Bytes(12, 7), 13, std::nullopt},
      {"reports too short for the fields", Bytes(24, 7), 12, std::nullopt},
      {"zero report length", Bytes(13, 7), 0, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto s = DecodeNewestReport(c.bytes, c.reportLength);
    ASSERT_EQ(s.has_value(), c.expected.has_value()) << c.name;
    if (!s) continue;
    EXPECT_EQ(std::tie(s->buttons, s->x, s->y),
              std::tie(c.expected->buttons, c.expected->x, c.expected->y))
        << c.name;
  }
}

TEST(AxisPercentText, OneDecimalInTheGivenLocale) {
  struct Case {
    int value;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {0, "0.0 %", "0,0 %"},       {33, "0.1 %", "0,1 %"},        {6520, "9.9 %", "9,9 %"},
      {32767, "50.0 %", "50,0 %"}, {65534, "100.0 %", "100,0 %"}, {65535, "100.0 %", "100,0 %"},
  };
  const QLocale en(QLocale::English, QLocale::UnitedStates);
  const QLocale de(QLocale::German, QLocale::Germany);
  for (const auto& c : cases) {
    EXPECT_EQ(AxisPercentText(c.value, en), QString::fromLatin1(c.english)) << c.value;
    EXPECT_EQ(AxisPercentText(c.value, de), QString::fromLatin1(c.german)) << c.value;
  }
}

TEST(ChartPoint, InputAcrossOutputUpAndJoinOnlyFromARealPoint) {
  struct Case {
    std::uint16_t x, y;
    bool onX;
    ChartPoint expected;
    bool joins;
  };
  const Case cases[] = {
      {1000, 2000, false, {1000, 63535}, true}, {1000, 2000, true, {2000, 64535}, true},
      {0, 30000, false, {0, 35535}, false},     {30000, 65535, false, {30000, 0}, false},
      {65535, 0, true, {0, 0}, false},
  };
  for (const auto& c : cases) {
    const ChartPoint p = ChartPointFor(InputState{{}, c.x, c.y}, c.onX);
    EXPECT_EQ(p, c.expected) << c.x << "," << c.y << "," << c.onX;
    EXPECT_EQ(JoinsPrevious(p), c.joins) << c.x << "," << c.y << "," << c.onX;
  }
}

}  // namespace
}  // namespace torvex::monitor
