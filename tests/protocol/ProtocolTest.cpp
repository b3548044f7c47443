// Frame builders and record parsers: bytes in, bytes out.
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

namespace torvex::protocol {
namespace {

Bytes Hex(std::initializer_list<int> head, std::size_t length) {
  Bytes b(length, 0);
  std::size_t i = 0;
  for (int v : head) b[i++] = static_cast<std::uint8_t>(v);
  return b;
}

TEST(Builders, FramesAndRefusals) {
  struct Case {
    const char* name;
    std::optional<Bytes> built;
    std::optional<Bytes> expected;
  } cases[] = {
      {"setting", BuildSettingCommand(8, 0x47, 0x80), Hex({0, 1, 0x47, 0x80}, 8)},
      {"setting min length", BuildSettingCommand(4, 0x45, 1), Hex({0, 1, 0x45, 1}, 4)},
      {"setting too short", BuildSettingCommand(3, 0x45, 1), std::nullopt},
      {"code 256", BuildSettingCommand(64, 256, 1), std::nullopt},
      {"value -1", BuildSettingCommand(64, 0x45, -1), std::nullopt},
      {"reset", BuildResetReport(6), Hex({0, 3, 4, 5}, 6)},
      {"monitor", BuildMonitorReport(5, 1), Hex({0, 4, 0x0A, 1}, 5)},
      {"monitor too short", BuildMonitorReport(4, 1), std::nullopt},
      {"calibration", BuildCalibrationReport(64, 4), Hex({0, 5, 0x0B, 4}, 64)},
      {"calibration too short", BuildCalibrationReport(4, 4), std::nullopt},
      {"pulse width", BuildPulseWidthReport(64, 25), Hex({0, 1, 0x40, 25}, 64)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.built, c.expected) << c.name;
}

TEST(Records, EachSettingAtItsByte) {
  Bytes r(64, 0);
  r[1] = 0x01;
  r[2] = 0x40;
  for (std::size_t i = 3; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(i);
  r[24] = 0x80;  // high bytes read unsigned
  SettingsRecord expected;
  expected.pulseWidthStep = 3;
  expected.analogInputMode = 8;
  expected.clutchBite = 10 * 256 + 9;
  expected.masterClutch = 11;
  expected.rotaryLeft = 12;
  expected.rotaryRight = 13;
  expected.xDeadLow = 0x80 * 256 + 23;
  expected.xDeadHigh = 26 * 256 + 25;
  expected.yDeadLow = 28 * 256 + 27;
  expected.yDeadHigh = 30 * 256 + 29;
  expected.xCurveType = 31;
  expected.yCurveType = 32;
  expected.xCurveNumber = 33;
  expected.yCurveNumber = 34;
  EXPECT_EQ(ParseSettingsRecord(r), expected);
  EXPECT_FALSE(ParseLedRecord(r));
}

TEST(Records, TellApartAndNeedTheirLength) {
  struct Case {
    Bytes reply;
    bool settings, led;
  } cases[] = {
      {Hex({0, 1, 0x40}, 35), true, false},
      {Hex({0, 1, 0x40}, 34), false, false},
      {Hex({0, 1, 0x60, 0x34, 0x12}, 5), false, true},
      {Hex({0, 1, 0x60}, 4), false, false},
      {Hex({0, 2, 0x40}, 64), false, false},
      {Hex({0, 1, 0x41}, 64), false, false},
      {Hex({0, 1, 0x61}, 64), false, false},
      {Bytes{}, false, false},
      {Bytes{0, 1}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseSettingsRecord(c.reply).has_value(), c.settings) << c.reply.size();
    EXPECT_EQ(ParseLedRecord(c.reply).has_value(), c.led) << c.reply.size();
  }
  EXPECT_EQ(ParseLedRecord(Hex({0, 1, 0x60, 0x34, 0x12}, 5))->ledIntensity, 0x1234);
}

}  // namespace
}  // namespace torvex::protocol
