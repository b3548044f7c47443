// Frame builders and record parsers: bytes in, bytes out. Where each setting
// sits in a record is shown end to end by the board tests.
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include "support/Wire.h"

namespace torvex::protocol {
namespace {

using test::Frame;

TEST(Builders, FramesAndRefusals) {
  const struct {
    const char* name;
    std::optional<Bytes> built, expected;
  } cases[] = {
      {"setting", BuildSettingCommand(8, 0x47, 0x80), Frame({0, 1, 0x47, 0x80}, 8)},
      {"setting min length", BuildSettingCommand(4, 0x45, 1), Frame({0, 1, 0x45, 1}, 4)},
      {"setting too short", BuildSettingCommand(3, 0x45, 1), std::nullopt},
      {"code 256", BuildSettingCommand(64, 256, 1), std::nullopt},
      {"value -1", BuildSettingCommand(64, 0x45, -1), std::nullopt},
      {"reset", BuildResetReport(4), Frame({0, 3, 4, 5}, 4)},
      {"reset too short", BuildResetReport(3), std::nullopt},
      {"monitor", BuildMonitorReport(5, 1), Frame({0, 4, 0x0A, 1}, 5)},
      {"monitor too short", BuildMonitorReport(4, 1), std::nullopt},
      {"calibration", BuildCalibrationReport(64, 4), Frame({0, 5, 0x0B, 4}, 64)},
      {"calibration too short", BuildCalibrationReport(4, 4), std::nullopt},
      {"pulse width", BuildPulseWidthReport(4, 25), Frame({0, 1, 0x40, 25}, 4)},
      {"pulse width too short", BuildPulseWidthReport(3, 25), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(c.built, c.expected) << c.name;
}

TEST(Records, TellApartAndNeedTheirLength) {
  const struct {
    Bytes reply;
    bool settings, led;
  } cases[] = {
      {Frame({0, 1, 0x40}, 35), true, false},  {Frame({0, 1, 0x40}, 34), false, false},
      {Frame({0, 1, 0x60}, 5), false, true},   {Frame({0, 1, 0x60}, 4), false, false},
      {Frame({0, 2, 0x40}, 64), false, false}, {Frame({0, 1, 0x41}, 64), false, false},
      {Frame({0, 1, 0x61}, 64), false, false}, {Bytes{}, false, false},
      {Bytes{0, 1}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseSettingsRecord(c.reply).has_value(), c.settings) << c.reply.size();
    EXPECT_EQ(ParseLedRecord(c.reply).has_value(), c.led) << c.reply.size();
  }
  EXPECT_EQ(ParseLedRecord(Frame({0, 1, 0x60, 0x34, 0x12}, 5))->ledIntensity, 0x1234);
}

}  // namespace
}  // namespace torvex::protocol
