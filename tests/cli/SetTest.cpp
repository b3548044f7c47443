// SPDX-License-Identifier: MIT
// torvex-ctl set: what --dry-run prints, and no partial write reported as
// success.
#include <gtest/gtest.h>

#include "CliRig.h"

namespace torvex::test {
namespace {

TEST(Set, DryRunPrintsFramesAndSendsNothing) {
  CliRig rig;
  EXPECT_EQ(rig.run("set --dry-run led=20 pulse-width=200"), cli::kDone);
  const QString zeros = QStringLiteral(" 00").repeated(60) + "\n";
  EXPECT_EQ(rig.out, "00 01 40 19" + zeros + "00 01 60 33" + zeros + "00 01 61 00" + zeros);
  EXPECT_EQ(rig.sent() + rig.told.toStdString(), "");
}

// After the frames: the board lost or refusing, a value not taken, a read-back of garbage.
TEST(Set, FaultsExitFourSayingWhatReachedTheBoard) {
  const struct {
    int lostAtFrame, refusedFrame, spoiltByte;  // 0: none; a read-back byte spoilt to 9
    const char* says;
  } cases[] = {
      {3, 0, 0, "was lost or refused led.\nReached the board: clutch-bite\nNot set: led, x-curve"},
      {1, 0, 0, "Reached the board: none\nNot set: clutch-bite"},
      {0, 2, 0,
       "refused clutch-bite.\nReached the board: none\nPartly sent: clutch-bite\nNot set: led"},
      {0, 0, 3 + 0x5C - 0x40, "did not take:\n  x-curve: asked S-Curve, holds unknown (9)"},
      {0, 0, 1, "did not answer the read-back; sent but not verified: clutch-bite, led, x-curve"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    CliRig rig;
    int frames = 0;
    rig.platform.before = [&](Call call, hid::Handle) {
      if (call != Call::SetFeature) return false;
      if (++frames == c.lostAtFrame) rig.board.unplug(0);
      return frames == c.refusedFrame;
    };
    rig.platform.reply = [&](hid::Handle, std::span<std::uint8_t> r) {
      if (frames > 0 && c.spoiltByte && r[2] == 0x40) r[c.spoiltByte] = 9;
    };
    EXPECT_EQ(rig.run("set x-curve=s-curve clutch-bite=50 led=20"), cli::kNotTaken);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.out, "");
    EXPECT_EQ(rig.told, "TVXA");
  }
}

}  // namespace
}  // namespace torvex::test
