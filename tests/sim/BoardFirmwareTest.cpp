#include "sim/BoardFirmware.h"

#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

using testutil::Hex;
using testutil::kFeatureLength;
using testutil::ToHex;

// The factory SettingsRecord up to byte 34; the rest of the buffer is 0.
const char* kFactorySettings =
    "00 01 40 08 00 00 00 00 00 00 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 05 05";
const char* kFactoryLed = "00 01 60 FF 00";

void Send(BoardFirmware& fw, const std::string& hex) {
  EXPECT_TRUE(fw.receiveFeature(Hex(hex, kFeatureLength))) << hex;
}

TEST(ReadBack, RecordsAlternateAndFollowTheHostBuffer) {
  struct Case {
    std::size_t length;
    std::string first, second, third;
  } cases[] = {
      {64, kFactorySettings, kFactoryLed, kFactorySettings},
      {35, kFactorySettings, kFactoryLed, kFactorySettings},
      {9, "00 01 40 08 00 00 00 00 00", "00 01 60 FF 00 00 00 00 00", "00 01 40 08 00 00 00 00 00"},
      {4, "00 01 40 08", "00 01 60 FF", "00 01 40 08"},
      {2, "00 01", "00 01", "00 01"},
      {1, "00", "00", "00"},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    EXPECT_EQ(ToHex(fw.featureReply(c.length)), ToHex(Hex(c.first, c.length))) << c.length;
    EXPECT_EQ(ToHex(fw.featureReply(c.length)), ToHex(Hex(c.second, c.length))) << c.length;
    EXPECT_EQ(ToHex(fw.featureReply(c.length)), ToHex(Hex(c.third, c.length))) << c.length;
  }
}

TEST(ReadBack, SettingCommandsLandAtTheirRecordBytes) {
  struct Case {
    std::string sent;
    bool ledRecord;
    std::size_t byte;
    std::uint8_t value;
  } cases[] = {
      {"00 01 40 19", false, 3, 0x19},   // pulse width step 25
      {"00 01 45 01", false, 8, 0x01},   // throttle and brake
      {"00 01 46 2C", false, 9, 0x2C},   // bite point low byte
      {"00 01 47 01", false, 10, 0x01},  // bite point high byte
      {"00 01 48 01", false, 11, 0x01}, {"00 01 49 03", false, 12, 0x03},
      {"00 01 4A 04", false, 13, 0x04}, {"00 01 54 96", false, 23, 0x96},
      {"00 01 55 19", false, 24, 0x19}, {"00 01 5B 1A", false, 30, 0x1A},
      {"00 01 5C 02", false, 31, 0x02}, {"00 01 5D 01", false, 32, 0x01},
      {"00 01 5E 00", false, 33, 0x00}, {"00 01 5F 0A", false, 34, 0x0A},
      {"00 01 60 80", true, 3, 0x80},   {"00 01 61 00", true, 4, 0x00},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    Send(fw, c.sent);
    Bytes settings = fw.featureReply(kFeatureLength);
    Bytes led = fw.featureReply(kFeatureLength);
    EXPECT_EQ((c.ledRecord ? led : settings)[c.byte], c.value) << c.sent;
  }
}

TEST(Reset, RestoresEveryFactorySetting) {
  BoardFirmware fw;
  for (const char* s :
       {"00 01 40 03", "00 01 45 01", "00 01 46 11", "00 01 47 22", "00 01 48 01", "00 01 49 02",
        "00 01 4A 02", "00 01 56 10", "00 01 5C 01", "00 01 5F 00", "00 01 60 07"})
    Send(fw, s);
  fw.setPaddle(0, 20000);
  Send(fw, "00 05 0B 03");  // X low end at 20000
  Send(fw, "00 04 0A 01");
  Send(fw, "00 03 04 05");
  EXPECT_EQ(fw.resetCount(), 1);
  EXPECT_EQ(fw.monitorMode(), 0);
  EXPECT_EQ(fw.calibrationLow(0), 0);
  EXPECT_EQ(fw.calibrationHigh(0), 65535);
  EXPECT_EQ(ToHex(fw.featureReply(kFeatureLength)), ToHex(Hex(kFactorySettings, kFeatureLength)));
  EXPECT_EQ(ToHex(fw.featureReply(kFeatureLength)), ToHex(Hex(kFactoryLed, kFeatureLength)));
}

TEST(Reset, OnlyTheExactFrameResets) {
  for (const char* frame : {"00 03 04 04", "00 03 05 05", "00 03 00 00"}) {
    BoardFirmware fw;
    Send(fw, "00 01 45 01");
    EXPECT_FALSE(fw.receiveFeature(Hex(frame, kFeatureLength))) << frame;
    EXPECT_EQ(fw.setting(0x45), 1) << frame;
    EXPECT_EQ(fw.resetCount(), 0) << frame;
  }
}

TEST(Frames, BadSpecialReportsAreIgnored) {
  struct Case {
    const char* frame;
    bool understood;
  } cases[] = {
      {"00 04 0A 03", false},  // monitor mode beyond 2
      {"00 04 0B 01", false},  // wrong sub-code
      {"00 05 0B 00", false},  // calibration step 0
      {"00 05 0B 05", false}, {"00 05 0A 01", false}, {"00 02 40 01", false},  // unknown kind
      {"00 04 0A 02", true},  {"00 05 0B 04", true},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    EXPECT_EQ(fw.receiveFeature(Hex(c.frame, kFeatureLength)), c.understood) << c.frame;
  }
  BoardFirmware fw;
  EXPECT_FALSE(fw.receiveFeature(Hex("00 01 45")));  // too short to carry a value
  EXPECT_EQ(fw.setting(0x45), 0);
}

// Left paddle a quarter in with a strongly progressive X curve, right paddle
// three quarters in with a strongly degressive Y curve, throttle and brake.
// Both rotaries are 12-way switches at their first position: buttons 41 and
// 53 (bytes 6 and 7) are always held.
TEST(InputReport, MonitorModeFieldMapping) {
  struct Case {
    const char* monitor;
    const char* report;
  } cases[] = {
      // X = X after its curve (256), Y = Y after its curve (65279)
      {"00 04 0A 00", "00 00 00 00 00 00 01 10 00 00 01 FF FE"},
      // X monitored: X field 256 (after), Y field 16384 (before)
      {"00 04 0A 01", "00 00 00 00 00 00 01 10 00 00 01 00 40"},
      // Y monitored: X field 49152 (before), Y field 65279 (after)
      {"00 04 0A 02", "00 00 00 00 00 00 01 10 00 00 C0 FF FE"},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    for (const char* s :
         {"00 01 45 01", "00 01 5C 02", "00 01 5E 0A", "00 01 5D 02", "00 01 5F 00"})
      Send(fw, s);
    fw.setPaddle(0, 16384);
    fw.setPaddle(1, 49152);
    Send(fw, c.monitor);
    EXPECT_EQ(ToHex(fw.inputReport()), c.report) << c.monitor;
  }
}

TEST(InputReport, DualClutchCombinesThePaddles) {
  // Bite point 30000 (0x7530). X = the clutch, Y = the master paddle.
  struct Case {
    int master;  // 0 left, 1 right
    std::uint16_t left, right;
    std::uint16_t x, y;
  } cases[] = {
      {0, 0, 20000, 20000, 0},  // the other paddle below the bite point
      {0, 0, 65535, 30000, 0},  // stops at the bite point
      {0, 45000, 65535, 45000, 45000}, {0, 10000, 65535, 30000, 10000},
      {1, 65535, 0, 30000, 0},  // master right: the left paddle stops
      {1, 65535, 50000, 50000, 50000}, {1, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    Send(fw, "00 01 46 30");
    Send(fw, "00 01 47 75");
    Send(fw, c.master ? "00 01 48 01" : "00 01 48 00");
    fw.setPaddle(0, c.left);
    fw.setPaddle(1, c.right);
    EXPECT_EQ(fw.axisX(), c.x) << c.master << " " << c.left << "/" << c.right;
    EXPECT_EQ(fw.axisY(), c.y) << c.master << " " << c.left << "/" << c.right;
  }
  // Throttle and brake reports each paddle on its own axis.
  BoardFirmware fw;
  Send(fw, "00 01 45 01");
  fw.setPaddle(0, 1234);
  fw.setPaddle(1, 65535);
  EXPECT_EQ(ToHex(fw.inputReport()), "00 00 00 00 00 00 01 10 00 D2 04 FF FF");
}

TEST(Calibration, StepsTakeTheCurrentPaddlePosition) {
  // Each row: where the paddle stands for each step, then what a later
  // position reads on its axis (throttle and brake, linear).
  struct Case {
    int axis;
    const char* lowStep;
    const char* highStep;
    std::uint16_t lowAt, highAt, probe, expected;
  } cases[] = {
      {0, "00 05 0B 03", "00 05 0B 04", 10000, 50000, 30000, 32768},
      {0, "00 05 0B 03", "00 05 0B 04", 10000, 50000, 5000, 0},
      {0, "00 05 0B 03", "00 05 0B 04", 10000, 50000, 60000, 65535},
      {1, "00 05 0B 01", "00 05 0B 02", 2000, 62000, 32000, 32768},
      {1, "00 05 0B 01", "00 05 0B 02", 60000, 5535, 5535, 65535},  // mounted reversed
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    Send(fw, "00 01 45 01");
    fw.setPaddle(c.axis, c.lowAt);
    Send(fw, c.lowStep);
    fw.setPaddle(c.axis, c.highAt);
    Send(fw, c.highStep);
    fw.setPaddle(c.axis, c.probe);
    fw.setPaddle(1 - c.axis, 40000);
    EXPECT_EQ(c.axis == 0 ? fw.axisX() : fw.axisY(), c.expected) << c.lowStep;
    EXPECT_EQ(c.axis == 0 ? fw.axisY() : fw.axisX(), 40000) << "the other axis is untouched";
  }
}

TEST(InputReport, DeadZonesApplyBeforeTheCurve) {
  // X low dead zone 10 % (6550), monitor on X: both fields read 0 inside it.
  BoardFirmware fw;
  for (const char* s : {"00 01 45 01", "00 01 54 96", "00 01 55 19", "00 01 5C 01", "00 04 0A 01"})
    Send(fw, s);
  fw.setPaddle(0, 6000);
  EXPECT_EQ(ToHex(fw.inputReport()), "00 00 00 00 00 00 01 10 00 00 00 00 00");
  fw.setPaddle(0, 65535);
  EXPECT_EQ(ToHex(fw.inputReport()), "00 00 00 00 00 00 01 10 00 FF FF FF FF");
}

TEST(InputReport, OnlyRealChangesAreAnnounced) {
  BoardFirmware fw;
  int changes = 0;
  fw.onInputChanged = [&] { ++changes; };
  struct Step {
    std::function<void()> act;
    int expected;
  } steps[] = {
      {[&] { fw.setPaddle(0, 100); }, 1},    {[&] { fw.setPaddle(0, 100); }, 1},  // same position
      {[&] { Send(fw, "00 01 60 10"); }, 1},                   // LED intensity: not in the report
      {[&] { fw.setButton(63, true); }, 2},  {[&] { fw.setButton(63, true); }, 2},
      {[&] { fw.setButton(64, true); }, 2},  // no such button
      {[&] { Send(fw, "00 01 45 01"); }, 3},  // mode changes what Y shows
      {[&] { Send(fw, "00 04 0A 01"); }, 4},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    steps[i].act();
    EXPECT_EQ(changes, steps[i].expected) << "step " << i;
  }
  EXPECT_EQ(fw.ledIntensity(), 0x10);
}

TEST(Platform, SettingsSurviveUnplugButTheMonitorDoesNot) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  BoardFirmware& fw = platform.firmware(board);
  Send(fw, "00 01 5C 02");
  Send(fw, "00 01 60 40");
  Send(fw, "00 04 0A 02");
  fw.setPaddle(0, 30000);
  Send(fw, "00 05 0B 04");
  (void)fw.featureReply(kFeatureLength);  // the next reply would be the LED record

  platform.unplug(board);
  platform.advanceUs(5'000'000);
  platform.plug(board);

  EXPECT_EQ(fw.setting(0x5C), 2);
  EXPECT_EQ(fw.ledIntensity(), 0x40);
  EXPECT_EQ(fw.calibrationHigh(0), 30000);
  EXPECT_EQ(fw.monitorMode(), 0);
  EXPECT_EQ(fw.featureReply(kFeatureLength)[2], 0x40) << "a fresh board answers settings first";
}

TEST(Platform, FirmwareAnswersTheHostThroughThePlatform) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  const auto h = platform.open(platform.device(board).path, hid::OpenMode::Plain);
  ASSERT_NE(h, hid::kNoHandle);
  EXPECT_TRUE(platform.setFeature(h, Hex("00 01 5F 02", kFeatureLength)));
  Bytes reply(kFeatureLength, 0xEE);
  ASSERT_TRUE(platform.getFeature(h, reply));
  Bytes expected = Hex(kFactorySettings, kFeatureLength);
  expected[34] = 0x02;
  EXPECT_EQ(ToHex(reply), ToHex(expected));
  ASSERT_TRUE(platform.getFeature(h, reply));
  EXPECT_EQ(ToHex(reply), ToHex(Hex(kFactoryLed, kFeatureLength)));
  platform.close(h);
}

}  // namespace
}  // namespace torvex::sim
