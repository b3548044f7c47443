// SPDX-License-Identifier: MIT
// The subcommands other than set's writes: which board, what is printed or
// asked, what reaches the board, and whether the window would be told.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "CliRig.h"
#include "board/Settings.h"
#include "hid/Config.h"

namespace torvex::test {
namespace {

// Every exit code has one meaning; each row shows one.
TEST(Commands, ExitMessageAndWire) {
  const struct {
    const char* args;
    int exit;
    const char* says;  // in the error stream
    const char* sent;
    int boards = 1;
    hid::OpenError firstFails = hid::OpenError::None;
    Holds holds = {};  // after `first`
    const char* answers = "";
    bool terminal = false;
    const char* first = "";           // a command run before
    bool profilesUnwritable = false;  // the profile folder cannot be made
  } cases[] = {
      {"show", cli::kNoBoard, "no board found", "", 0},
      {"list", cli::kNoBoard, "no board found", "", 0},
      {"diff p", cli::kDiffers, "1 setting(s) differ", "", 1, {}, {{0x45, 1}}, "", false, "save p"},
      {"show", cli::kUsage, "--board SERIAL:\n  TVXA\n  TVXB\n", "", 2},
      {"apply p", cli::kBadProfile, "no profile named p", ""},
      {"save HOME/gone/p.toml", cli::kCannotWrite, "gone does not exist", ""},
      {"reset --yes", cli::kCannotWrite, "no backup could be saved", "", 1, {}, {}, "", false, "",
       true},
      {"show --board TVXC", cli::kNoBoard, "no board with serial number TVXC", "", 2},
      {"show", cli::kNotAccessible, "udevadm trigger --subsystem-match=hidraw", "", 1,
       hid::OpenError::AccessDenied},
      {"show --board TVXA", cli::kNotAccessible, "another program", "", 2, hid::OpenError::Busy},
      {"list", cli::kNotAccessible, "sudo cmake --install", "", 1, hid::OpenError::AccessDenied},
      {"reset", cli::kUsage, "pass --yes", "", 1, {}, {}, "y\n"},
      {"reset --yes", cli::kDone, "restored", "3/04:05@100"},
      {"reset", cli::kDone, "[y/N]", "3/04:05@100", 1, {}, {}, "y\n", true},
      {"reset", cli::kDone, "Nothing changed", "", 1, {}, {}, "\n", true},
      {"calibrate y --yes", cli::kDone, "calibrated", "5/0B:01@200 5/0B:02@300"},
      {"calibrate x", cli::kDone, "", "5/0B:03@100 5/0B:04@100", 1, {}, {{0x45, 1}}, "\n\n\n"},
      {"calibrate x --yes", cli::kUsage, board::kCalibrateXRefusal, ""},
      {"calibrate y", cli::kUsage, "nothing sent", "", 1, {}, {}, "\n"},
      {"calibrate y", cli::kNotTaken, "the high end not", "5/0B:01@200", 1, {}, {}, "\n\n"},
      {"calibrate z --yes", cli::kUsage, "x or y", ""},
      {"set rotary-right=encoder", cli::kUsage, "rotary-left instead", "", 1, {}, {{0x49, 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + std::string(" on boards: ") + std::to_string(c.boards));
    CliRig rig(c.boards);
    if (*c.first) rig.run(c.first);
    for (auto [at, value] : c.holds) rig.board.firmware(0).setSetting(at, value);
    if (c.profilesUnwritable) rig.write("torvex-config", "a file where the folder goes");
    rig.err.clear();
    if (c.boards) rig.board.device(0).openError = c.firstFails;
    rig.terminal = c.terminal;
    rig.in = c.answers;
    EXPECT_EQ(rig.run(QString(c.args).replace("HOME", rig.home.path())), c.exit);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.sent(), c.sent);
    EXPECT_EQ(rig.told, *c.sent ? "TVXA" : "");
  }
}

TEST(List, EveryBoardWithItsAccess) {
  CliRig rig(2);
  rig.board.device(0).openError = hid::OpenError::AccessDenied;
  EXPECT_EQ(rig.run("list"), cli::kNotAccessible);
  EXPECT_EQ(rig.out,
            "SERIAL  MANUFACTURER  PRODUCT       VERSION  ACCESS\n"
            "-       -             -             -        not accessible: permission denied\n"
            "TVXB    Corvane       Torvex Wheel  1.0      ok\n");
}

// Each value is what `set` takes back to the same stored value, as a JSON
// number where it is one, and null where `set` cannot name it.
TEST(Show, JsonValuesSetTakesBackExactly) {
  CliRig rig(
      1, {{0x45, 1}, {0x46, 0xC0}, {0x47, 0x5D}, {0x5F, 2}, {0x56, 0xCB}, {0x57, 0x0C}, {0x40, 0}});
  ASSERT_EQ(rig.run("show --json"), cli::kDone);
  const QJsonObject o = QJsonDocument::fromJson(rig.out.toUtf8()).object();
  EXPECT_EQ(o["format"], 1);
  EXPECT_EQ(o["serial"], "TVXA");
  EXPECT_EQ(o["version"], "1.0");
  const QJsonObject s = o["settings"].toObject();
  EXPECT_EQ(s.size(), 15);
  for (const auto& [name, json] :
       {std::pair{"analog-mode", R"("text":"Throttle and Brake","value":"throttle-and-brake")"},
        {"clutch-bite", R"({"stored":24000,"text":"36.6 %","value":36.586})"},
        {"y-curve-number", R"({"stored":2,"text":"-3","value":-3})"},
        {"x-dead-high", R"({"stored":3275,"text":"5.0 %","value":5})"},
        {"pulse-width", R"-({"stored":0,"text":"unknown (0)","value":null})-"}})
    EXPECT_TRUE(QJsonDocument(s[name].toObject()).toJson(QJsonDocument::Compact).contains(json))
        << name;
}

// A board's strings and a shared profile's may hold escape sequences; none
// reaches the terminal.
TEST(Commands, ControlCharactersFromBoardsAndFilesAreEscaped) {
  CliRig rig(0);
  sim::Identity id;
  id.serialNumber = u"TVX\x1b]0;owned\x07";
  id.product = u"Wheel\x1b[2J\u009b1m";
  rig.board.addBoard(id);
  for (const char* args : {"list", "show", "save p", "profiles", "show --board \x1b[2J"}) {
    SCOPED_TRACE(args);
    rig.run(args);
  }
  EXPECT_FALSE(rig.out.contains(u'\x1b') || rig.err.contains(u'\x1b') ||
               rig.out.contains(u'\u009b'))
      << rig.out.toStdString();
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
  EXPECT_EQ(rig.out,
            "{\"buttons\":[41,53],\"format\":1,\"x\":50,\"x-raw\":32768,\"y\":0,\"y-raw\":0}\n"
            "{\"buttons\":[5,41,53,64],\"format\":1,\"x\":50,\"x-raw\":32768,\"y\":0,"
            "\"y-raw\":0}\n");
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

TEST(UdevRule, PrintsTheConfiguredRule) {
  CliRig rig(0);
  EXPECT_EQ(rig.run("udev-rule"), cli::kDone);
  EXPECT_TRUE(rig.out.contains(
      QStringLiteral("ATTRS{idVendor}==\"%1\"").arg(DeviceVendorId, 4, 16, QChar(u'0'))));
  EXPECT_TRUE(rig.out.contains("TAG+=\"uaccess\""));
}

}  // namespace
}  // namespace torvex::test
