// torvex-ctl set: arguments checked before anything is sent, the window's
// frames and pauses on the wire, and no partial write reported as success.
#include <gtest/gtest.h>

#include "CliRig.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

// Each: exit 64, nothing opened or sent, the message says what is allowed.
const struct {
  const char* args;
  const char* says;
} kBadArguments[] = {
    {"set", "at least one NAME=VALUE"},
    {"set led", "not NAME=VALUE"},
    {"set =5", "not NAME=VALUE"},
    {"set brightness=5", "names: analog-mode, master-clutch"},
    {"set LED=50", "not NAME=VALUE"},
    {"set led=", "a percentage from 0 to 100"},
    {"set led=101", "a percentage from 0 to 100"},
    {"set led=-1", "a percentage from 0 to 100"},
    {"set led=5,5", "a percentage"},
    {"set clutch-bite=nan", "a percentage"},
    {"set clutch-bite=1e999", "a percentage"},
    {"set analog-mode=throttle", "dual-clutch, throttle-and-brake"},
    {"set analog-mode=Dual-Clutch", "dual-clutch, throttle-and-brake"},
    {"set master-clutch=centre", "left, right"},
    {"set rotary-left=shift-l-encoder",
     "12-way-rotary, 12-way-rotary-pulsed, encoder, shift-r-encoder, encoder-r-shifted"},
    {"set rotary-right=3", "encoder-l-shifted, shift-l-encoder"},
    {"set pulse-width=0", "a multiple of 8 from 8 to 200"},
    {"set pulse-width=60", "a multiple of 8"},
    {"set pulse-width=208", "a multiple of 8"},
    {"set pulse-width=8.0001", "a multiple of 8"},
    {"set x-curve=progressive-degressive", "linear, s-curve, progressive"},
    {"set y-curve=", "linear, s-curve, progressive"},
    {"set x-curve-number=6", "a whole number from -5 to 5"},
    {"set y-curve-number=1.5", "a whole number from -5 to 5"},
    {"set x-dead-low=10.1", "a percentage from 0 to 10"},
    {"set y-dead-high=-0.5", "a percentage from 0 to 10"},
    {"set led=5 led=6", "led is given twice"},
    {"set rotary-left=shift-r-encoder rotary-right=encoder", "needs the same pairing"},
    {"set led=50 x-curve=bent", "linear, s-curve"},
    {"set led=50 --yes", "Unknown option 'yes'"},
    {"set led=50 --board", "Missing value after '--board'"},
    {"frobnicate", "unknown command"},
    {"", "Usage: torvex-ctl"},
};

TEST(SetArguments, BadOnesExit64AndSendNothing) {
  for (const auto& c : kBadArguments) {
    SCOPED_TRACE(c.args);
    CliRig rig;
    EXPECT_EQ(rig.run(c.args), cli::kUsage);
    EXPECT_TRUE(rig.err.contains(QString::fromUtf8(c.says))) << rig.err.toStdString();
    EXPECT_EQ(rig.board.enumerateCount(), 0);
    EXPECT_EQ(rig.sent(), "");
    EXPECT_EQ(rig.out, "");
  }
}

// The frames and their virtual times (the read-back ends at 100 ms).
const struct {
  const char* name;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> before;
  const char* args;
  const char* sent;
  const char* out;
} kChanges[] = {
    {"clutch bite low byte first", {}, "clutch-bite=50", "46:20@100 47:80@110",
     "clutch-bite=50.0\n"},
    {"led clamped to 255", {{code::SetLedIntensityLsb, 0}}, "led=100", "60:FF@100 61:00@110",
     "led=100.0\n"},
    {"pulse width: no pause", {}, "pulse-width=200 x-curve=s-curve", "40:19@100 5C:01@100",
     "pulse-width=200\nx-curve=s-curve\n"},
    {"dead zones: 20 ms a byte, one decimal first", {}, "y-dead-high=10 x-dead-low=2.35",
     "54:24@100 55:06@120 5A:96@140 5B:19@160", "x-dead-low=2.4\ny-dead-high=10.0\n"},
    {"table order, curve number +5", {},
     "x-curve-number=-5 y-curve=progressive analog-mode=throttle-and-brake",
     "45:01@100 5D:02@110 5E:00@120",
     "analog-mode=throttle-and-brake\ny-curve=progressive\nx-curve-number=-5\n"},
    {"left pairs", {}, "rotary-left=shift-r-encoder", "49:03@100 4A:03@110 49:03@120 4A:03@130",
     "rotary-left=shift-r-encoder\nrotary-right=encoder-l-shifted\n"},
    {"left pairs, right already", {{code::SetRotarySwitchRightMode, 4}},
     "rotary-left=encoder-r-shifted", "49:04@100 4A:04@110",
     "rotary-left=encoder-r-shifted\nrotary-right=shift-l-encoder\n"},
    {"left leaves pairing",
     {{code::SetRotarySwitchLeftMode, 3}, {code::SetRotarySwitchRightMode, 3}},
     "rotary-left=encoder", "49:02@100 4A:00@110 4A:00@120",
     "rotary-left=encoder\nrotary-right=12-way-rotary\n"},
    {"left leaves, then right", {{code::SetRotarySwitchLeftMode, 3}, {code::SetRotarySwitchRightMode, 3}},
     "rotary-right=encoder rotary-left=12-way-rotary", "49:00@100 4A:00@110 4A:00@120 4A:02@130",
     "rotary-left=12-way-rotary\nrotary-right=encoder\n"},
    {"right pairs", {}, "rotary-right=shift-l-encoder", "4A:04@100 49:04@110 4A:04@120 49:04@130",
     "rotary-left=encoder-r-shifted\nrotary-right=shift-l-encoder\n"},
    {"held value not sent", {{code::SetLedIntensityLsb, 128}}, "led=50", "", "led=50.1\n"},
};

TEST(SetOnTheWire, WindowFramesAndPauses) {
  for (const auto& c : kChanges) {
    SCOPED_TRACE(c.name);
    CliRig rig;
    for (auto [at, value] : c.before) rig.board.firmware(0).setSetting(at, value);
    EXPECT_EQ(rig.run(QStringLiteral("set ") + c.args), cli::kDone) << rig.err.toStdString();
    EXPECT_EQ(rig.sent(true), c.sent);
    EXPECT_EQ(rig.out, QString::fromUtf8(c.out));
  }
}

TEST(SetOnTheWire, RightCannotBreakTheLeftPairing) {
  CliRig rig;
  rig.board.firmware(0).setSetting(code::SetRotarySwitchLeftMode, 3);
  EXPECT_EQ(rig.run("set rotary-right=encoder"), cli::kUsage);
  EXPECT_TRUE(rig.err.contains("change rotary-left instead"));
  EXPECT_EQ(rig.sent(), "");
}

TEST(SetOnTheWire, DryRunPrintsFramesAndSendsNothing) {
  CliRig rig;
  EXPECT_EQ(rig.run("set --dry-run led=20 pulse-width=200"), cli::kDone);
  const QString zeros = QStringLiteral(" 00").repeated(60) + "\n";
  EXPECT_EQ(rig.out, "00 01 40 19" + zeros + "00 01 60 33" + zeros + "00 01 61 00" + zeros);
  EXPECT_EQ(rig.sent(), "");
}

// After the frames: the board lost, a value not taken, a read-back of garbage.
TEST(SetFaults, ExitFourSayingWhatReachedTheBoard) {
  const struct {
    const char* name;
    int unplugAtFrame;  // 0: never
    int recordByte;     // a read-back byte to spoil, 0: none
    std::uint8_t spoilTo;
    const char* says;
  } cases[] = {
      {"unplugged at the third frame", 3, 0, 0,
       "was lost or refused led.\nReached the board: clutch-bite\nNot set: led, x-curve"},
      {"unplugged at the first", 1, 0, 0, "Reached the board: none\nNot set: clutch-bite"},
      {"x-curve not taken", 0, 3 + code::SetXCurveType - 0x40, 0,
       "did not take:\n  x-curve: asked S-Curve, holds Linear"},
      {"garbage read-back", 0, 1, 9, "did not answer the read-back; sent but not verified: "
                                     "clutch-bite, led, x-curve"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CliRig rig;
    int setFeatures = 0;
    rig.platform.before = [&](Call call, hid::Handle) {
      if (call == Call::SetFeature && ++setFeatures == c.unplugAtFrame) rig.board.unplug(0);
      return false;
    };
    rig.platform.reply = [&](hid::Handle, std::span<std::uint8_t> r) {
      if (setFeatures > 0 && c.recordByte && r[2] == 0x40) r[c.recordByte] = c.spoilTo;
    };
    EXPECT_EQ(rig.run("set x-curve=s-curve clutch-bite=50 led=20"), cli::kNotTaken);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.out, "");
  }
}

}  // namespace
}  // namespace torvex::test
