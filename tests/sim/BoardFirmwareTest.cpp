// SPDX-License-Identifier: MIT
#include "sim/BoardFirmware.h"

#include <gtest/gtest.h>

#include "support/Wire.h"

namespace torvex::sim {
namespace {

using test::Hex;

// Sends "kind code value" frames separated by '|'; each must be understood.
void Send(BoardFirmware& fw, const std::string& frames) {
  for (const QString& f : QString::fromStdString(frames).split('|', Qt::SkipEmptyParts))
    EXPECT_TRUE(fw.receiveFeature(Hex("00 " + f.toStdString(), 64))) << f.toStdString();
}

// The factory records up to their last setting; the rest of the buffer is 0.
const char* kFactorySettings =
    "00 01 40 08 00 00 00 00 00 00 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 05 05";
const char* kFactoryLed = "00 01 60 FF 00";

// Records alternate, settings first, cut to the host's buffer; a reset
// restores every factory setting and forgets calibration and the monitor.
TEST(ReadBack, ResetRecordsAlternateAndFollowTheHostBuffer) {
  for (std::size_t length : {64, 9, 1}) {
    BoardFirmware fw;
    for (int code = 0x40; code <= 0x61; ++code)
      fw.setSetting(static_cast<std::uint8_t>(code), 0x77);
    fw.setPaddle(0, 20000);
    Send(fw, "05 0B 03|04 0A 01|03 04 05");
    EXPECT_EQ(std::tuple(fw.resetCount(), fw.monitorMode(), fw.calibrationLow(0)),
              std::tuple(1, 0, 0));
    for (const char* record : {kFactorySettings, kFactoryLed, kFactorySettings})
      EXPECT_EQ(fw.featureReply(length), Hex(record, length)) << length;
  }
}

// Not resets, a monitor mode beyond 2, wrong sub-codes, calibration steps beyond
// 1..4, an unknown kind, a frame too short to carry a value: ignored. The
// well-formed ones Send proves.
TEST(Frames, MalformedSpecialReportsAreIgnored) {
  for (const char* frame : {"03 04 04", "03 05 05", "03 00 00", "04 0A 03", "04 0B 01", "05 0A 01",
                            "05 0B 00", "05 0B 05", "02 40 01", "01 45"}) {
    BoardFirmware fw;
    Send(fw, "01 45 01");
    EXPECT_FALSE(fw.receiveFeature(Hex(std::string("00 ") + frame))) << frame;
    EXPECT_EQ(fw.setting(0x45), 1) << frame;
  }
}

TEST(InputReport, AxisFields) {
  // Throttle and brake; X progressive, Y degressive.
  const std::string curves = "01 45 01|01 5C 02|01 5E 0A|01 5D 02|01 5F 00|";
  const std::string bite = "01 46 30|01 47 75|";                             // 30000
  const std::string deadX = "01 45 01|01 54 96|01 55 19|01 5C 01|04 0A 01";  // 10 %, S, monitor
  // Frames, the left and right paddles, then X lo/hi, Y lo/hi.
  const std::tuple<std::string, std::uint16_t, std::uint16_t, const char*> cases[] = {
      {curves, 16384, 49152, "00 01 FF FE"},
      {curves + "04 0A 01", 16384, 0, "00 01 00 40"},  // monitor on X: after, before
      {curves + "04 0A 02", 0, 49152, "00 C0 FF FE"},  // monitor on Y: before, after
      {bite, 0, 65535, "30 75 00 00"},      // dual clutch: the other paddle stops at the bite
      {bite, 45000, 65535, "C8 AF C8 AF"},  // X the clutch, Y the master
      {bite + "01 48 01", 65535, 0, "30 75 00 00"},  // master right
      {deadX, 6000, 0, "00 00 00 00"},
      // Calibration steps take the paddle where it stands: 3 the X low end, 2 the Y high end.
      {"01 45 01|05 0B 03|05 0B 02", 10000, 50000, "00 00 FF FF"},
  };
  // Both rotaries are 12-way switches at position 0: buttons 41 and 53 held.
  const std::string held = "00 00 00 00 00 00 01 10 00 ";
  for (const auto& [frames, left, right, axes] : cases) {
    BoardFirmware fw;
    fw.setPaddle(0, left);
    fw.setPaddle(1, right);
    Send(fw, frames);
    EXPECT_EQ(fw.inputReport(), Hex(held + axes)) << frames << " " << left << "/" << right;
  }
}

TEST(Platform, SettingsSurviveUnplugButTheMonitorAndPulsesDoNot) {
  VirtualPlatform platform;
  BoardFirmware& fw = platform.firmware(platform.addBoard({}));
  fw.setPaddle(0, 30000);
  Send(fw, "01 60 40|04 0A 02|05 0B 04|01 40 19|01 49 02");  // left encoder, 200 ms pulses
  (void)fw.featureReply(64);  // the next reply would be the LED record
  fw.turnRotary(RotaryInputs::Left, 3);
  platform.advanceUs(100'000);
  platform.unplug(0);
  platform.plug(0);
  EXPECT_EQ(std::tuple(fw.ledIntensity(), fw.calibrationHigh(0), fw.monitorMode()),
            std::tuple(0x40, 30000, 0));
  EXPECT_EQ(fw.featureReply(64)[2], 0x40) << "a fresh board answers settings first";
  for (int ms = 0; ms < 1000; ms += 100, platform.advanceUs(100'000))
    EXPECT_EQ(fw.reportedButtons()[5], 0x00) << ms << " ms after plugging in";
}

}  // namespace
}  // namespace torvex::sim
