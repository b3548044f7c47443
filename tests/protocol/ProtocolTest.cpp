// Frame builders and record parsers: bytes in, bytes out. The frames the
// board receives, and where each setting sits in a record, are shown end to
// end by the board tests.
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include "support/Wire.h"

namespace torvex::protocol {
namespace {

using test::Frame;

TEST(Builders, FitTheFeatureReport) {
  EXPECT_EQ(BuildSettingCommand(4, 0x47, 0x80), Frame({0, 1, 0x47, 0x80}, 4));
  EXPECT_EQ(BuildMonitorReport(5, 1), Frame({0, 4, 0x0A, 1}, 5));
  EXPECT_FALSE(BuildSettingCommand(3, 0x45, 1) || BuildResetReport(3) ||
               BuildPulseWidthReport(3, 1));
  EXPECT_FALSE(BuildMonitorReport(4, 1) || BuildCalibrationReport(4, 4));
}

TEST(Records, TellApartAndNeedTheirLength) {
  // A reply, and whether it is a settings record and an LED record.
  const std::tuple<Bytes, bool, bool> cases[] = {
      {Frame({0, 1, 0x40}, 35), true, false},
      {Frame({7, 1, 0x40}, 35), true, false},
      {Frame({0, 1, 0x40}, 34), false, false},
      {Frame({0, 1, 0x60}, 5), false, true},
      {Frame({0, 1, 0x60}, 4), false, false},
      {Frame({0, 2, 0x40}, 64), false, false},
      {Frame({0, 1, 0x41}, 64), false, false},
      {Frame({0, 1, 0x61}, 64), false, false},
      {Bytes{}, false, false},
      {Bytes{0, 1}, false, false},
  };
  for (const auto& [reply, settings, led] : cases) {
    EXPECT_EQ(ParseSettingsRecord(reply).has_value(), settings) << reply.size();
    EXPECT_EQ(ParseLedRecord(reply).has_value(), led) << reply.size();
  }
  EXPECT_EQ(ParseLedRecord(Frame({0, 1, 0x60, 0x34, 0x12}, 5))->ledIntensity, 0x1234);
}

}  // namespace
}  // namespace torvex::protocol
