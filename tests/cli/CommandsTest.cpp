// The other subcommands: which board, what is printed, what reaches the board.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "CliRig.h"
#include "board/Settings.h"
#include "hid/Config.h"

namespace torvex::test {
namespace {

TEST(BoardChoice, ExitCodesAndMessages) {
  const struct {
    int boards;
    hid::OpenError firstFails;
    const char* args;
    int exit;
    const char* says;
  } cases[] = {
      {0, hid::OpenError::None, "show", cli::kNoBoard, "no board found"},
      {2, hid::OpenError::None, "show", cli::kNoBoard, "--board SERIAL:\n  TVXA\n  TVXB\n"},
      {2, hid::OpenError::None, "show --board TVXC", cli::kNoBoard, "no board with serial number TVXC"},
      {1, hid::OpenError::AccessDenied, "show", cli::kNotAccessible,
       "sudo udevadm control --reload-rules && sudo udevadm trigger --subsystem-match=hidraw"},
      {2, hid::OpenError::Busy, "show --board TVXA", cli::kNotAccessible, "another program"},
      {1, hid::OpenError::AccessDenied, "list", cli::kNotAccessible, "sudo cmake --install"},
      {0, hid::OpenError::None, "list", cli::kNoBoard, "no board found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + std::string(" with ") + std::to_string(c.boards));
    CliRig rig(c.boards);
    if (c.boards) rig.board.device(0).openError = c.firstFails;
    EXPECT_EQ(rig.run(c.args), c.exit);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
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
  EXPECT_EQ(rig.sent(), "");
}

TEST(Show, JsonWithRawValues) {
  CliRig rig;
  auto& fw = rig.board.firmware(0);
  fw.setSetting(protocol::code::SetAnalogInputMode, 1);
  fw.setSettingWord(protocol::code::SetClutchBiteLsb, 24000);
  fw.setSetting(protocol::code::SetYCurveNumber, 2);
  fw.setSettingWord(protocol::code::SetXDeadHighLsb, 3275);
  fw.setSetting(protocol::code::SetEncoderPulseWidth, 0);
  ASSERT_EQ(rig.run("show --json --raw"), cli::kDone);
  const QJsonObject o = QJsonDocument::fromJson(rig.out.toUtf8()).object();
  EXPECT_EQ(o["serial"], "TVXA");
  EXPECT_EQ(o["version"], "1.0");
  const QJsonObject s = o["settings"].toObject();
  EXPECT_EQ(s.size(), 15);
  const auto is = [&](const char* name, const char* text, const char* value, int raw) {
    SCOPED_TRACE(name);
    const QJsonObject v = s[name].toObject();
    EXPECT_EQ(v["text"], text);
    EXPECT_EQ(v["value"], value);
    EXPECT_EQ(v["raw"], raw);
  };
  is("analog-mode", "Throttle and Brake", "throttle-and-brake", 1);
  is("clutch-bite", "36.6 %", "36.6", 24000);
  is("y-curve-number", "-3", "-3", 2);
  is("x-dead-high", "5.0 %", "5.0", 3275);
  is("pulse-width", "unknown (0)", "0", 0);
}

TEST(Reset, AsksOnATerminalOnly) {
  const struct {
    const char* args;
    bool terminal;
    const char* answer;
    int exit;
    const char* sent;
  } cases[] = {
      {"reset", false, "y\n", cli::kUsage, ""},
      {"reset --yes", false, "", cli::kDone, "3/04:05"},
      {"reset", true, "y\n", cli::kDone, "3/04:05"},
      {"reset", true, "\n", cli::kDone, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + std::string(c.terminal ? " on a terminal" : ""));
    CliRig rig;
    rig.terminal = c.terminal;
    rig.in = c.answer;
    EXPECT_EQ(rig.run(c.args), c.exit);
    EXPECT_EQ(rig.sent(), c.sent);
  }
}

TEST(Calibrate, StepsAndTheXRefusal) {
  const struct {
    const char* args;
    int analogMode;
    const char* input;
    int exit;
    const char* sent;
  } cases[] = {
      {"calibrate y --yes", 0, "", cli::kDone, "5/0B:01@200 5/0B:02@300"},
      {"calibrate x", 1, "\n\n\n", cli::kDone, "5/0B:03@100 5/0B:04@100"},
      {"calibrate x --yes", 0, "", cli::kUsage, ""},
      {"calibrate y", 0, "\n", cli::kUsage, ""},
      {"calibrate y", 0, "\n\n", cli::kNotTaken, "5/0B:01@200"},
      {"calibrate z --yes", 1, "", cli::kUsage, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    CliRig rig;
    rig.board.firmware(0).setSetting(protocol::code::SetAnalogInputMode, c.analogMode);
    rig.in = c.input;
    EXPECT_EQ(rig.run(c.args), c.exit);
    EXPECT_EQ(rig.sent(true), c.sent);
    if (c.exit == cli::kUsage && c.analogMode == 0 && QString(c.args).contains(" x")) {
      EXPECT_TRUE(rig.err.contains(board::kCalibrateXRefusal));
    }
  }
}

TEST(Monitor, OneJsonObjectPerChangeAndNothingSent) {
  CliRig rig;
  auto& fw = rig.board.firmware(0);
  fw.setPaddle(0, 32768);
  fw.setSetting(protocol::code::SetAnalogInputMode, 1);
  rig.board.device(0).reportPeriodUs = 4000;
  int reads = 0;
  rig.platform.before = [&](Call call, hid::Handle) {
    if (call == Call::ReadInput && ++reads == 3) fw.setButton(4, true), fw.setButton(63, true);
    if (call == Call::ReadInput && reads == 6) rig.board.unplug(0);
    return false;
  };
  EXPECT_EQ(rig.run("monitor --json --seconds 1"), cli::kNotTaken);
  EXPECT_EQ(rig.out,
            "{\"buttons\":[41,53],\"x\":50,\"y\":0}\n"
            "{\"buttons\":[5,41,53,64],\"x\":50,\"y\":0}\n");
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
  EXPECT_TRUE(rig.out.contains(QStringLiteral("KERNEL==\"hidraw*\", ATTRS{idVendor}==\"%1\"")
                                   .arg(DeviceVendorId, 4, 16, QChar(u'0'))));
  EXPECT_TRUE(rig.out.contains("TAG+=\"uaccess\""));
}

}  // namespace
}  // namespace torvex::test
