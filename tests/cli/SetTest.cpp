// SPDX-License-Identifier: MIT
// torvex-ctl set: the window's frames and pauses on the wire, and no partial
// write reported as success.
#include <gtest/gtest.h>

#include "CliRig.h"

namespace torvex::test {
namespace {

// The frames at their virtual times (the read-back ends at 100 ms), and the values read back.
const struct {
  const char* args;
  const char* sent;
  const char* out;  // nullptr: not compared
  Holds holds = {};
} kChanges[] = {
    // clang-format off
    {"clutch-bite=50", "46:20@100 47:80@110", "clutch-bite=50.0\n"},
    {"led=100", "60:FF@100 61:00@110", "led=100.0\n", {{0x60, 0}}},       // clamped to 255
    {"pulse-width=200 x-curve=s-curve", "40:19@100 5C:01@110", nullptr},  // 10 ms after either
    // Dead zones to 10.5 % as the window lets through, every decimal kept.
    {"y-dead-high=10.5 x-dead-low=2.35", "54:03@100 55:06@120 5A:DE@140 5B:1A@160", nullptr},
    {"x-curve-number=-5 y-curve=progressive analog-mode=throttle-and-brake", "45:01@100 5D:02@110 5E:00@120", nullptr},
    {"rotary-left=shift-r-encoder", "49:03@100 4A:03@110 49:03@120 4A:03@130",
     "rotary-left=shift-r-encoder\nrotary-right=encoder-l-shifted\n"},
    {"rotary-left=encoder", "49:02@100 4A:00@110 4A:00@120", nullptr, {{0x49, 3}, {0x4A, 3}}},
    {"rotary-right=encoder rotary-left=12-way-rotary", "49:00@100 4A:00@110 4A:00@120 4A:02@130", nullptr, {{0x49, 3}, {0x4A, 3}}},
    {"led=50", "", "led=50.1\n", {{0x60, 128}}},  // already held: nothing sent
    // clang-format on
};

TEST(Set, WindowFramesAndPauses) {
  for (const auto& c : kChanges) {
    SCOPED_TRACE(c.args);
    CliRig rig(1, c.holds);
    EXPECT_EQ(rig.run(QStringLiteral("set ") + c.args), cli::kDone) << rig.err.toStdString();
    EXPECT_EQ(rig.sent(), c.sent);
    EXPECT_EQ(c.out ? rig.out : QString(), QString::fromUtf8(c.out));
    EXPECT_EQ(rig.told, *c.sent ? "TVXA" : "");
  }
}

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
