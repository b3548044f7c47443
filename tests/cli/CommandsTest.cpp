// SPDX-License-Identifier: MIT
// The subcommands: which board, what is printed or asked, what reaches the
// board, whether the window would be told, and no partial write reported as
// success.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "CliRig.h"
#include "board/Settings.h"

namespace torvex::test {
namespace {

// A command line: its exit code, what it says and prints, what reaches the board
// and whether the window is told. Every exit code has one meaning.
TEST(Commands, ExitMessageAndWire) {
  const struct {
    const char* args;
    int exit;
    const char* says;  // in the error stream
    const char* sent;
    const char* out = nullptr;  // nullptr: not compared
    int boards = 1;
    const char* first = "";  // commands run before, ';' between
    Holds holds = {};        // after `first`
    const char* answers = "";
    bool terminal = false;
    hid::OpenError firstFails = hid::OpenError::None;
  } cases[] = {
      // clang-format off
      {"show", cli::kNoBoard, "no board found", "", nullptr, 0},
      {"show", cli::kUsage, "--board SERIAL:\n  TVXA\n  TVXB\n", "", nullptr, 2},
      {"run p -- false", 1, "holds what it held before", "45:00@200 45:01@410", nullptr, 1, "save p", {{0x45, 1}}},
      {"run p -- true", cli::kDone, "starting true anyway", "", nullptr, 0},
      {"run p -- /nonexistent/game", 127, "holds what it held before", "", nullptr, 1, "save p"},
      {"link nope --steam 1", cli::kBadProfile, "no profile named nope", "", nullptr, 0},
      {"link p", cli::kUsage, "give --steam ID or --exe NAME", "", nullptr, 1, "save p"},
      {"link p --steam 0x10", cli::kUsage, "--steam takes a Steam app ID", "", nullptr, 1, "save p"},
      {"link p --exe C:\\g\\x.exe", cli::kUsage, "--exe takes an executable's file name", "", nullptr, 1, "save p"},
      {"link p --exe Game.EXE", cli::kDone, "was linked to q", "", nullptr, 1, "save p;save q;link q --exe game.exe"},
      {"save HOME/gone/p.toml", cli::kCannotWrite, "gone does not exist", ""},
      // A file where the profile folder goes.
      {"reset --yes", cli::kCannotWrite, "no backup could be saved", "", nullptr, 1, "save HOME/torvex-config"},
      {"show --board TVXC", cli::kNoBoard, "no board with serial number TVXC", "", nullptr, 2},
      {"show", cli::kNotAccessible, "udevadm trigger --subsystem-match=hidraw", "", nullptr, 1, "", {}, "", false, hid::OpenError::AccessDenied},
      {"show --board TVXA", cli::kNotAccessible, "another program", "", nullptr, 2, "", {}, "", false, hid::OpenError::Busy},
      {"list", cli::kNotAccessible, "sudo cmake --install", "", "SERIAL  MANUFACTURER  PRODUCT       VERSION  ACCESS\n"
                                                               "-       -             -             -        not accessible: permission denied\n"
                                                               "TVXB    Corvane       Torvex Wheel  1.0      ok\n", 2, "", {}, "", false, hid::OpenError::AccessDenied},
      {"reset", cli::kUsage, "pass --yes", "", nullptr, 1, "", {}, "y\n"},
      {"reset", cli::kDone, "as profile backup-TVXA-", "3/04:05@100", nullptr, 1, "", {}, "y\n", true},
      {"reset", cli::kDone, "? [y/N] Nothing changed.", "", nullptr, 1, "", {}, "\n", true},
      {"calibrate y --yes", cli::kNotTaken, "no paddle position within 30 s: nothing sent", ""},
      {"calibrate x --yes", cli::kUsage, board::kCalibrateXRefusal, ""},
      {"calibrate y", cli::kUsage, "pass --yes", "", nullptr, 1, "", {}, "\n"},
      {"calibrate y", cli::kUsage, "input ended: nothing sent", "", nullptr, 1, "", {}, "", true},
      {"calibrate z --yes", cli::kUsage, "x or y", ""},
      {"set rotary-right=encoder", cli::kUsage, "rotary-left instead", "", nullptr, 1, "", {{0x49, 3}}},
      // The window's frames at their virtual times (the read-back ends at 100 ms),
      // and the values read back.
      {"set clutch-bite=50", cli::kDone, "", "46:20@100 47:80@110", "clutch-bite=50.0\n"},
      // Dead zones to 10.5 % as the window lets through, every decimal kept.
      {"set y-dead-high=10.5 x-dead-low=2.35", cli::kDone, "", "54:03@100 55:06@120 5A:DE@140 5B:1A@160"},
      {"set x-curve-number=-5 y-curve=progressive analog-mode=throttle-and-brake", cli::kDone, "", "45:01@100 5D:02@110 5E:00@120"},
      {"set rotary-left=shift-r-encoder", cli::kDone, "", "49:03@100 4A:03@110 49:03@120 4A:03@130",
       "rotary-left=shift-r-encoder\nrotary-right=encoder-l-shifted\n"},
      {"set led=50", cli::kDone, "", "", "led=50.1\n", 1, "", {{0x60, 128}}},  // already held: nothing sent
      // Arguments are checked before a board is opened.
      {"set", cli::kUsage, "at least one NAME=VALUE", "", ""},
      {"set LED=50", cli::kUsage, "names: analog-mode, master-clutch", "", ""},
      {"set led=101", cli::kUsage, "a percentage from 0 to 100", "", ""},
      {"set clutch-bite=nan", cli::kUsage, "a percentage", "", ""},
      {"set rotary-left=shift-l-encoder", cli::kUsage, "encoder, shift-r-encoder, encoder-r-shifted", "", ""},
      {"set pulse-width=60", cli::kUsage, "a multiple of 8 from 8 to 200", "", ""},
      {"set y-curve-number=1.5", cli::kUsage, "a whole number from -5 to 5", "", ""},
      {"set x-dead-low=10.51", cli::kUsage, "a percentage from 0 to 10.5", "", ""},
      {"set led=5 led=6", cli::kUsage, "led is given twice", "", ""},
      {"set rotary-left=shift-r-encoder rotary-right=encoder", cli::kUsage, "needs the same pairing", "", ""},
      {"set led=50 x-curve=bent", cli::kUsage, "linear, s-curve", "", ""},
      {"set led=50 --yes", cli::kUsage, "Unknown option 'yes'", "", ""},
      {"frobnicate", cli::kUsage, "unknown command", "", ""},
      {"", cli::kUsage, "Usage: torvex-ctl", "", ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + std::string(" on boards: ") + std::to_string(c.boards));
    CliRig rig(c.boards);
    const auto home = [&](const char* s) { return QString(s).replace("HOME", rig.home.path()); };
    for (const QString& first : home(c.first).split(u';', Qt::SkipEmptyParts)) rig.run(first);
    for (auto [at, value] : c.holds) rig.board.firmware(0).setSetting(at, value);
    rig.err.clear();
    if (c.boards) rig.board.device(0).openError = c.firstFails;
    rig.terminal = c.terminal;
    rig.in = c.answers;
    EXPECT_EQ(rig.run(home(c.args)), c.exit);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.sent(), c.sent);
    EXPECT_EQ(c.out ? rig.out : QString(), QString::fromUtf8(c.out));
    const QString told = *c.sent ? "TVXA" : "";  // the wrapper tells twice: profile, then back
    EXPECT_EQ(rig.told, QString(c.args).startsWith("run ") ? told + told : told);
  }
}

// Each end goes out once the paddle has rested there for half a second of
// virtual time; the high end only 10 % from where the board read the low end
// once it had taken it. Without --yes the command runs on a terminal and
// Enter begins.
TEST(Calibrate, EachEndOnceThePaddleRestsThere) {
  enum { Left, Right, Unplug };
  // clang-format off
  const struct {
    const char* args;
    Holds holds;
    std::vector<std::array<int, 3>> moves;  // at ms: a paddle to raw, or Unplug
    int exit;
    const char* says;
    const char* sent;
  } cases[] = {
      // {{0x45, 1}}: throttle and brake, an axis for each paddle.
      {"calibrate y --yes", {{0x45, 1}}, {{0, Right, 3000}, {1500, Right, 30000}, {1700, Right, 62000}}, cli::kDone, "Low end taken at Y 4.6 %.\n", "5/0B:01@600 5/0B:02@2250"},
      // Once taken, the low end reads 0: no travel for a paddle left at rest.
      {"calibrate y --yes", {{0x45, 1}}, {{0, Right, 20000}}, cli::kNotTaken, "far enough from where the low end was taken (at least 10 % of the range) within 30 s: the low end is taken, the high end not", "5/0B:01@600"},
      // Dual clutch: the right paddle shows only in the clutch field, X.
      {"calibrate y", {}, {{0, Right, 2000}, {1500, Right, 60000}}, cli::kDone, "Axis Y calibrated.", "5/0B:01@600 5/0B:02@2050"},
      {"calibrate x --yes", {{0x45, 1}}, {{0, Left, 1000}, {1000, Unplug}}, cli::kNotTaken, "lost during the calibration: the low end is taken, the high end not", "5/0B:03@600"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    CliRig rig(1, c.holds);
    rig.terminal = !QString(c.args).contains("--yes");
    rig.in = rig.terminal ? "\n" : "";  // --yes asks nothing
    auto& fw = rig.board.firmware(0);
    auto next = c.moves.begin();
    rig.platform.before = [&](Call call, hid::Handle) {
      for (; call == Call::Sleep && next != c.moves.end() && rig.board.nowUs() >= (*next)[0] * 1000;
           ++next)
        (*next)[1] == Unplug ? rig.board.unplug(0) : fw.setPaddle((*next)[1], (*next)[2]);
      return false;
    };
    EXPECT_EQ(rig.run(c.args), c.exit);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.sent(), c.sent);
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
      // clang-format off
      {3, 0, 0, "was lost or refused led.\nReached the board: clutch-bite\nNot set: led, x-curve"},
      {0, 2, 0, "refused clutch-bite.\nReached the board: none\nPartly sent: clutch-bite\nNot set: led"},
      {0, 0, 3 + 0x5C - 0x40, "did not take:\n  x-curve: asked S-Curve, holds unknown (9)"},
      {0, 0, 1, "did not answer the read-back; sent but not verified: clutch-bite, led, x-curve"},
      // clang-format on
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

// Each value is what `set` takes back to the same stored value, as a JSON
// number where it is one, and null where `set` cannot name it.
TEST(Show, JsonValuesSetTakesBackExactly) {
  CliRig rig(1, {{0x45, 1}, {0x46, 0xC0}, {0x47, 0x5D}, {0x5F, 2}, {0x40, 0}});
  ASSERT_EQ(rig.run("show --json"), cli::kDone);
  const QJsonObject o = QJsonDocument::fromJson(rig.out.toUtf8()).object();
  EXPECT_EQ(o["serial"], "TVXA");
  const QJsonObject s = o["settings"].toObject();
  EXPECT_EQ(s.size(), 15);
  for (const auto& [name, json] :
       {std::pair{"analog-mode", R"("text":"Throttle and Brake","value":"throttle-and-brake")"},
        {"clutch-bite", R"({"stored":24000,"text":"36.6 %","value":36.586})"},
        {"y-curve-number", R"({"stored":2,"text":"-3","value":-3})"},
        {"pulse-width", R"-({"stored":0,"text":"unknown (0)","value":null})-"}})
    EXPECT_TRUE(QJsonDocument(s[name].toObject()).toJson(QJsonDocument::Compact).contains(json))
        << name;
}

// A signal to the wrapper reaches the game, whose end by it is the exit status.
TEST(Commands, TheWrapperPassesSignalsOnToTheGame) {
  CliRig rig;
  rig.write("game.sh", "kill -TERM $PPID; exec sleep 10");
  EXPECT_EQ(rig.run("run p -- sh " + rig.file("game.sh")), 128 + SIGTERM);
}

// A board's strings may hold escape sequences; none reaches the terminal.
TEST(Commands, ControlCharactersFromBoardsAndFilesAreEscaped) {
  CliRig rig(0);
  rig.board.addBoard({.product = u"Wheel\x1b[2J\u009b1m", .serialNumber = u"TVX\x1b]0;owned\x07"});
  for (const char* args : {"list", "show", "save p", "profiles", "show --board \x1b[2J"})
    rig.run(args);
  for (const QString& text : {rig.out, rig.err})
    EXPECT_FALSE(text.contains(u'\x1b') || text.contains(u'\u009b')) << text.toStdString();
  EXPECT_TRUE(rig.out.contains("TVX\\x1b]0;owned\\x07")) << rig.out.toStdString();
  EXPECT_TRUE(rig.out.contains("Wheel\\x1b[2J\\x9b1m")) << rig.out.toStdString();
}

TEST(Monitor, OneJsonObjectPerChangeUntilTheBoardIsLost) {
  CliRig rig(1, {{0x45, 1}});
  auto& fw = rig.board.firmware(0);
  fw.setPaddle(0, 32768);
  rig.board.device(0).reportPeriodUs = 4000;
  int reads = 0;
  rig.platform.before = [&](Call call, hid::Handle) {
    if (call == Call::ReadInput && ++reads == 3) fw.setButton(4, true), fw.setButton(63, true);
    if (call == Call::ReadInput && reads == 6) rig.board.unplug(0);
    return false;
  };
  EXPECT_EQ(rig.run("monitor --json --seconds 1"), cli::kNotTaken);
  // clang-format off
  EXPECT_EQ(rig.out, "{\"buttons\":[41,53],\"format\":1,\"x\":50,\"x-raw\":32768,\"y\":0,\"y-raw\":0}\n"
                     "{\"buttons\":[5,41,53,64],\"format\":1,\"x\":50,\"x-raw\":32768,\"y\":0,\"y-raw\":0}\n");
  // clang-format on
  EXPECT_TRUE(rig.err.contains("TVXA was lost"));
  EXPECT_EQ(rig.sent(), "");
}

TEST(Monitor, StopsAfterItsSecondsOrASignal) {
  for (int stop : {0, 1}) {
    CliRig rig;
    rig.stop = stop;
    EXPECT_EQ(rig.run("monitor --seconds 2"), cli::kDone);
    EXPECT_EQ(rig.platform.calls(Call::ReadInput), stop ? 0 : 40);
  }
}

}  // namespace
}  // namespace torvex::test
