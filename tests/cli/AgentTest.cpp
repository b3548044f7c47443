// SPDX-License-Identifier: MIT
// The agent's rounds on a fake /proc and emulated boards: which profile each
// board holds as linked games start and end, one after another or overlapping,
// and for a board plugged in mid-game.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "cli/Agent.h"
#include "support/FakeProc.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

// Above any pid_max, so no real process answers for them.
constexpr int kProton = 5'000'001, kSteam = 5'000'002, kLater = 5'000'003;

TEST(Agent, TheLastStartedLinkedGameCountsAndEachEndPutsBackTheOneBefore) {
  CliRig rig;
  auto& fw = rig.board.firmware(0);
  fw.setSetting(code::SetAnalogInputMode, 1);
  ASSERT_EQ(rig.run("save gt3"), cli::kDone);
  fw.setSetting(code::SetAnalogInputMode, 0), fw.setSetting(code::SetMasterClutchMode, 1);
  ASSERT_EQ(rig.run("save rally"), cli::kDone);
  fw.setSetting(code::SetMasterClutchMode, 0);
  for (const char* line : {"link gt3 --exe ac2-win64-shipping.EXE", "link rally --steam 805550"})
    ASSERT_EQ(rig.run(line), cli::kDone) << line;

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
