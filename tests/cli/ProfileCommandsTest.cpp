// SPDX-License-Identifier: MIT
// torvex-ctl save, diff, apply and profiles: what a bad file says with
// nothing sent, and what goes out when a profile is applied. The agent's
// rounds on a fake /proc: which profile each board holds as linked games start
// and end, one after another or overlapping, and for a board plugged in
// mid-game.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "cli/Agent.h"
#include "support/FakeProc.h"

namespace torvex::test {
namespace {

QByteArray Edited(QByteArray text, const char* from, const char* to) {
  EXPECT_TRUE(text.contains(from)) << from;
  return text.replace(from, to);
}

TEST(Profiles, BadFilesAreRefusedWithTheirLineAndNothingIsSent) {
  CliRig rig;
  ASSERT_EQ(rig.run("save " + rig.file("good.toml")), cli::kDone);
  QFile f(rig.file("good.toml"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray good = f.readAll();
  const int at = static_cast<int>(good.indexOf("pulse-width = "));
  // clang-format off
  const struct {
    QByteArray bytes;
    const char* says;  // "": taken
  } cases[] = {
      {"", "the file is empty"},
      {QByteArray("\x00\xff\xfe\x01 binary", 10), "line 1: not a valid profile"},
      {good.left(at + 15), "line 25, pulse-width: takes milliseconds"},
      {good.left(at), "line 13, pulse-width: missing"},
      {Edited(good, "led = 100", "led = '50'"), "line 27, led: takes a percentage from 0 to 100"},
      {Edited(good, "x-curve = \"linear\"", "x-curve = { stored = 256 }"), "line 29, x-curve: takes { stored = N }, N a whole number from 0 to 255"},
      {Edited(good, "led = 100", "led = { stored = 1, raw = 1 }"), "line 27, led: takes { stored"},
      {Edited(good, "\"linear\"", "'wavy'"), "line 29, x-curve: takes linear, s-curve, progr"},
      {Edited(good, "left = \"12-way-rotary\"", "left = 'shift-r-encoder'"), "line 23, rotary-right: a pair"},
      {Edited(good, "format = 1", "version = 1"), "format: missing: not a torvex-config profile"},
      {Edited(good, "format = 1", "format = 0"), "line 6, format: takes a format version"},
      {Edited(good, "led = 100", "led = 100\nclutch-bight = 2"), "line 28, settings.clutch-bight: not"},
      {Edited(Edited(good, "format = 1", "format = 3"), "led = 100", "led = 100\nrpm-light = 2"), "settings.rpm-light: written by a newer version (format 3)"},
      // A newer format whose every field this version knows is taken.
      {Edited(good, "format = 1", "format = 3"), ""},
      {"\xef\xbb\xbf" + Edited(good, "led = 100", "led = -1").replace("\n", "\r\n"), "line 27, led"},
      {good + QByteArray(10 << 20, '#'), "the file is too large for a profile"},
      // Raw, toml++ 3.3 may test them for whitespace: undefined behaviour.
      {"\xef\xbb\xaf" + good, "line 1: not a valid profile"},  // U+FEEF: toml++ 3.3 trips
      // In a comment and in a text that goes on a line they are taken.
      {"# r\xc3\xa9glage \xd0\xb4\xd0\xbe\xd0\xb6\xd0\xb4\xd1\x8c\n" + Edited(good, "\"TVXA\"", "\"\"\"\\\n \xc3\xa9\"\"\""), ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    rig.write("p.toml", c.bytes);
    rig.err.clear();
    EXPECT_EQ(rig.run("apply " + rig.file("p.toml")), *c.says ? cli::kBadProfile : cli::kDone);
    EXPECT_TRUE(rig.err.contains(c.says)) << rig.err.toStdString();
    EXPECT_EQ(rig.err.contains("Nothing was sent."), *c.says != 0);
    EXPECT_EQ(rig.sent(), "");
  }
  EXPECT_EQ(rig.run("apply " + rig.file("missing.toml")), cli::kBadProfile);
}

TEST(Profiles, SaveDiffThenApplySendsOnlyWhatDiffers) {
  CliRig rig;
  ASSERT_EQ(rig.run("save gt3"), cli::kDone);
  EXPECT_EQ(rig.run("save gt3"), cli::kUsage);  // never replaced unasked
  ASSERT_EQ(rig.run("set clutch-bite=1.525 rotary-left=shift-r-encoder"), cli::kDone);
  rig.board.clearLog();
  rig.told.clear();

  ASSERT_EQ(rig.run("diff gt3"), cli::kDiffers);
  EXPECT_TRUE(rig.out.contains("* clutch-bite     1.525 %                 49.952 %\n"));
  EXPECT_TRUE(rig.out.contains("  led             100 %                   100 %\n"));
  rig.out.clear();
  ASSERT_EQ(rig.run("apply gt3 --dry-run"), cli::kDone);
  EXPECT_EQ(rig.out,
            "clutch-bite: 1.525 % -> 49.952 %\n"
            "rotary-left: Shift (R-Encoder) -> 12 Way Rotary\n"
            "rotary-right: Encoder (L-Shifted) -> 12 Way Rotary\n");
  EXPECT_EQ(rig.sent(), "");

  ASSERT_EQ(rig.run("apply gt3"), cli::kDone) << rig.err.toStdString();
  // Leaving a pairing on the left resets the right twice, as the window does.
  EXPECT_EQ(Sent(rig.board), "46:00 47:80 49:00 4A:00 4A:00");
  EXPECT_EQ(rig.told, "TVXA");
  rig.out.clear();
  ASSERT_EQ(rig.run("profiles"), cli::kDone);
  EXPECT_TRUE(rig.out.startsWith("gt3\tsaved ")) << rig.out.toStdString();
}

// Above any pid_max, so no real process answers for them.
constexpr int kProton = 5'000'001, kSteam = 5'000'002, kLater = 5'000'003;

TEST(Agent, TheLastStartedLinkedGameCountsAndEachEndPutsBackTheOneBefore) {
  CliRig rig;
  for (const char* line :
       {"set analog-mode=throttle-and-brake", "save gt3",
        "set analog-mode=dual-clutch master-clutch=right", "save rally", "set master-clutch=left",
        "link gt3 --exe ac2-win64-shipping.EXE", "link rally --steam 805550"})
    ASSERT_EQ(rig.run(line), cli::kDone) << line;
  rig.board.clearLog();
  rig.told.clear();

  QTemporaryDir proc(FakeRoot());
  QTextStream o(&rig.out), e(&rig.err);
  cli::Io io{o, e, nullptr, false, false, nullptr, [&](const QString& s) { rig.told += s + " "; }};
  cli::Agent agent(rig.platform, io,
                   {proc.path(), kUser, rig.home.path() + "/torvex-config/profiles"});
  const auto start = [&](int pid, const QByteArray& cmdline, const QByteArray& cgroup) {
    Write(proc.path(), {pid, cmdline, "/usr/bin/wine64-preloader", 1, "x", cgroup});
  };
  const auto end = [&](int pid) {
    QDir(proc.path() + "/" + QString::number(pid)).removeRecursively();
  };
  // Frames each round sent to each board, without times.
  const auto round = [&] {
    agent.round(QDateTime::currentDateTime());
    std::string boards = Sent(rig.board, 0);
    for (int b = 1; b < rig.board.deviceCount(); ++b) boards += " | " + Sent(rig.board, b);
    rig.board.clearLog();
    return boards;
  };
  const QByteArray session = "0::/user.slice/session-2.scope\n";
  EXPECT_EQ(round(), "");
  start(kProton, "Z:\\games\\AC2\\AC2-Win64-Shipping.exe\0"_qba, session);
  EXPECT_EQ(round(), "45:01");
  start(kSteam, "Z:\\x\\game.exe\0"_qba, "0::/app.slice/app-steam-app805550-77.scope\n");
  EXPECT_EQ(round(), "45:00 48:01");  // the later game's profile
  EXPECT_EQ(agent.status()["game"].toObject()["rule"], "steam-app-id");
  end(kSteam);
  EXPECT_EQ(round(), "45:01 48:00");              // the earlier one's again
  rig.board.addBoard({.serialNumber = u"TVXB"});  // plugged in while a linked game runs
  EXPECT_EQ(round(), " | 45:01");
  end(kProton);
  EXPECT_EQ(round(), "45:00 | 45:00");  // what each held before
  EXPECT_EQ(round(), " | ");

  ASSERT_EQ(rig.run("default rally"), cli::kDone);
  EXPECT_EQ(round(), "48:01 | 48:01");
  start(kLater, "Z:\\games\\AC2\\AC2-Win64-Shipping.exe\0"_qba, session);
  EXPECT_EQ(round(), "45:01 48:00 | 45:01 48:00");
  end(kLater);
  EXPECT_EQ(round(), "45:00 48:01 | 45:00 48:01");  // no linked game: the default
  EXPECT_EQ(rig.told, "TVXA TVXA TVXA TVXB TVXA TVXB TVXA TVXB TVXA TVXB TVXA TVXB ");
}

}  // namespace
}  // namespace torvex::test
