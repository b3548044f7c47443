#include "sim/BoardFirmware.h"

#include <gtest/gtest.h>

#include <sstream>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

constexpr std::size_t kFeatureLength = 64;

// "00 01 40" -> bytes, padded with zeros to `length` when given.
Bytes Hex(const std::string& text, std::size_t length = 0) {
  Bytes out;
  std::istringstream in(text);
  for (std::string t; in >> t;)
    out.push_back(static_cast<std::uint8_t>(std::stoul(t, nullptr, 16)));
  if (out.size() < length) out.resize(length, 0);
  return out;
}

// The factory SettingsRecord up to byte 34; the rest of the buffer is 0.
const char* kFactorySettings =
    "00 01 40 08 00 00 00 00 00 00 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 05 05";
const char* kFactoryLed = "00 01 60 FF 00";

void Send(BoardFirmware& fw, const std::vector<const char*>& frames) {
  for (const char* f : frames) EXPECT_TRUE(fw.receiveFeature(Hex(f, kFeatureLength))) << f;
}

TEST(ReadBack, RecordsAlternateAndFollowTheHostBuffer) {
  struct Case {
    std::size_t length;
    const char *settings, *led;
  } cases[] = {
      {64, kFactorySettings, kFactoryLed},
      {9, "00 01 40 08 00 00 00 00 00", "00 01 60 FF 00 00 00 00 00"},
      {2, "00 01", "00 01"},
      {1, "00", "00"},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    EXPECT_EQ(fw.featureReply(c.length), Hex(c.settings, c.length));
    EXPECT_EQ(fw.featureReply(c.length), Hex(c.led, c.length));
    EXPECT_EQ(fw.featureReply(c.length), Hex(c.settings, c.length));
  }
}

TEST(Reset, RestoresEveryFactorySetting) {
  BoardFirmware fw;
  for (int code = 0x40; code <= 0x61; ++code) fw.setSetting(static_cast<std::uint8_t>(code), 0x77);
  fw.setPaddle(0, 20000);
  Send(fw, {"00 05 0B 03", "00 04 0A 01", "00 03 04 05"});
  EXPECT_EQ(fw.resetCount(), 1);
  EXPECT_EQ(fw.monitorMode(), 0);
  EXPECT_EQ(fw.calibrationLow(0), 0);
  EXPECT_EQ(fw.calibrationHigh(0), 65535);
  EXPECT_EQ(fw.featureReply(kFeatureLength), Hex(kFactorySettings, kFeatureLength));
  EXPECT_EQ(fw.featureReply(kFeatureLength), Hex(kFactoryLed, kFeatureLength));
}

TEST(Frames, OnlyWellFormedSpecialReportsAreUnderstood) {
  struct Case {
    const char* frame;
    bool understood;
  } cases[] = {
      {"00 03 04 04", false}, {"00 03 05 05", false}, {"00 03 00 00", false},  // not a reset
      {"00 04 0A 03", false},                          // monitor mode beyond 2
      {"00 04 0B 01", false}, {"00 05 0A 01", false},  // wrong sub-code
      {"00 05 0B 00", false}, {"00 05 0B 05", false},  // calibration steps are 1..4
      {"00 02 40 01", false},                          // unknown kind
      {"00 04 0A 02", true},  {"00 05 0B 04", true},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    Send(fw, {"00 01 45 01"});
    EXPECT_EQ(fw.receiveFeature(Hex(c.frame, kFeatureLength)), c.understood) << c.frame;
    EXPECT_EQ(fw.setting(0x45), 1) << c.frame;
    EXPECT_EQ(fw.resetCount(), 0) << c.frame;
  }
  BoardFirmware fw;
  EXPECT_FALSE(fw.receiveFeature(Hex("00 01 45")));  // too short to carry a value
  EXPECT_EQ(fw.setting(0x45), 0);
}

// Both rotaries are 12-way switches at position 0: buttons 41 and 53 always held.
TEST(InputReport, AxisFields) {
  const char* kTb = "00 01 45 01";  // throttle and brake
  const std::vector<const char*> kCurves = {kTb, "00 01 5C 02", "00 01 5E 0A", "00 01 5D 02",
                                            "00 01 5F 00"};  // X progressive, Y degressive
  const char* kBite = "00 01 46 30";                         // with 47 75: bite point 30000
  const char* kDead = "00 01 54 96";                         // with 55 19: X low zone 10 %
  struct Case {
    std::vector<const char*> frames;
    std::uint16_t left, right;
    const char* axes;  // X lo/hi, Y lo/hi
  } cases[] = {
      {kCurves, 16384, 49152, "00 01 FF FE"},  // both after their curves
      {{kCurves[0], kCurves[1], kCurves[2], "00 04 0A 01"},
       16384,
       0,
       "00 01 00 40"},  // on X: after, before
      {{kTb, kCurves[3], kCurves[4], "00 04 0A 02"},
       0,
       49152,
       "00 C0 FF FE"},                                    // on Y: before, after
      {{kBite, "00 01 47 75"}, 0, 20000, "20 4E 00 00"},  // dual clutch: X clutch, Y master
      {{kBite, "00 01 47 75"}, 0, 65535, "30 75 00 00"},  // the other paddle stops at the bite
      {{kBite, "00 01 47 75"}, 45000, 65535, "C8 AF C8 AF"},
      {{kBite, "00 01 47 75", "00 01 48 01"}, 65535, 0, "30 75 00 00"},  // master right
      {{kBite, "00 01 47 75", "00 01 48 01"}, 65535, 50000, "50 C3 50 C3"},
      {{kTb, kDead, "00 01 55 19", "00 01 5C 01", "00 04 0A 01"}, 6000, 0, "00 00 00 00"},
      {{kTb, kDead, "00 01 55 19", "00 01 5C 01", "00 04 0A 01"}, 65535, 0, "FF FF FF FF"},
  };
  for (const auto& c : cases) {
    BoardFirmware fw;
    Send(fw, c.frames);
    fw.setPaddle(0, c.left);
    fw.setPaddle(1, c.right);
    EXPECT_EQ(fw.inputReport(), Hex(std::string("00 00 00 00 00 00 01 10 00 ") + c.axes))
        << c.frames.back() << " " << c.left << "/" << c.right;
  }
  // Calibration steps take the paddle where it stands: X low end, Y high end.
  BoardFirmware fw;
  fw.setPaddle(0, 10000);
  fw.setPaddle(1, 50000);
  Send(fw, {kTb, "00 05 0B 03", "00 05 0B 02"});
  fw.setPaddle(0, 30000);
  fw.setPaddle(1, 25000);
  EXPECT_EQ(fw.inputReport(), Hex("00 00 00 00 00 00 01 10 00 31 5C 00 80"));
}

TEST(InputReport, OnlyRealChangesAreAnnounced) {
  BoardFirmware fw;
  int changes = 0;
  fw.onInputChanged = [&] { ++changes; };
  fw.setPaddle(0, 100);
  fw.setPaddle(0, 100);
  Send(fw, {"00 01 60 10"});  // LED intensity: not in the report
  EXPECT_EQ(changes, 1);
  fw.setButton(63, true);
  fw.setButton(63, true);
  fw.setButton(64, true);  // no such button
  EXPECT_EQ(changes, 2);
  Send(fw, {"00 01 45 01"});  // the mode changes what Y shows
  EXPECT_EQ(changes, 3);
  Send(fw, {"00 04 0A 01"});
  EXPECT_EQ(changes, 4);
}

TEST(Platform, SettingsSurviveUnplugButTheMonitorAndPulsesDoNot) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  BoardFirmware& fw = platform.firmware(board);
  fw.setPaddle(0, 30000);
  Send(fw, {"00 01 5C 02", "00 01 60 40", "00 04 0A 02", "00 05 0B 04", "00 01 40 19",
            "00 01 49 02"});              // left encoder, 200 ms pulses
  (void)fw.featureReply(kFeatureLength);  // the next reply would be the LED record
  fw.turnRotary(RotaryInputs::Left, 3);
  platform.advanceUs(100'000);
  ASSERT_EQ(fw.reportedButtons()[5], 0x01);

  platform.unplug(board);
  platform.plug(board);

  EXPECT_EQ(fw.setting(0x5C), 2);
  EXPECT_EQ(fw.ledIntensity(), 0x40);
  EXPECT_EQ(fw.calibrationHigh(0), 30000);
  EXPECT_EQ(fw.monitorMode(), 0);
  EXPECT_EQ(fw.featureReply(kFeatureLength)[2], 0x40) << "a fresh board answers settings first";
  for (int ms = 0; ms < 1000; ms += 100, platform.advanceUs(100'000))
    EXPECT_EQ(fw.reportedButtons()[5], 0x00) << ms << " ms after plugging in";
}

}  // namespace
}  // namespace torvex::sim
