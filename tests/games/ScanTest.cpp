// SPDX-License-Identifier: MIT
// The process scanner on fake /proc trees: what each file tells, what is
// skipped, which processes count as new.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "games/ProcessScan.h"
#include "support/FakeProc.h"

namespace torvex::games {
namespace {

using namespace test;

// The processes found, each as its ID and executable.
std::string Pids(const std::vector<ProcessInfo>& found) {
  std::string text;
  for (const auto& p : found)
    text += std::to_string(p.pid) + ":" + p.executable.toStdString() + " ";
  return text;
}

TEST(ProcessScan, ReadsWhatEachFileTellsThenOnlyNewProcesses) {
  QTemporaryDir proc(FakeRoot());
  const QByteArray reaper =
      "/home/u/.steam/ubuntu12_32/reaper\0SteamLaunch\0AppId=805550\0--\0"_qba;
  const FakeProcess tree[] = {
      {100, "/usr/games/supertuxkart\0--fullscreen\0"_qba, "/usr/games/supertuxkart"},
      {101, "./game\0"_qba, "/opt/game/game.x86_64 (deleted)", 100, "a) (b"},
      {102, "Z:\\g\\AC2.exe\0"_qba, "/usr/bin/wine64-preloader", 1, "AC2.exe",
       "0::/user.slice/app.slice/app-steam-app244210-3115.scope\n"},
      {110, reaper + "/x/proton\0waitforexitandrun\0AppId=7\0"_qba, "/x/reaper"},
      {111, "python3\0/x/proton\0"_qba, "/usr/bin/python3", 110},
      {112, "Z:\\g\\Game.exe\0"_qba, "/usr/bin/wine64-preloader", 111},
      {113, "other\0AppId=9\0"_qba, "/usr/bin/other", 1},
      {120, "gone\0"_qba, "/usr/bin/gone", 1, "gone", "", kUser, "cmdline"},
      {121, "root-owned\0"_qba, "/usr/bin/x", 1, "x", "", 0},
  };
  for (const FakeProcess& p : tree) Write(proc.path(), p);
  Write(proc.path(), {7, "", "", 1, "kworker/0:1", "0::/\n", kUser, "exe"}, 77);
  QFile::link(proc.path() + "/100", proc.path() + "/self");

  // clang-format off
  const char* expected[] = {
      "7 1 77  [] -",
      "100 1 4242 supertuxkart [/usr/games/supertuxkart,--fullscreen] -",
      "101 100 4242 game.x86_64 [./game] -",
      "102 1 4242 wine64-preloader [Z:\\g\\AC2.exe] 244210",
      "110 1 4242 reaper [/home/u/.steam/ubuntu12_32/reaper,SteamLaunch,AppId=805550,--,/x/proton,waitforexitandrun,AppId=7] 805550",
      "111 110 4242 python3 [python3,/x/proton] 805550",
      "112 111 4242 wine64-preloader [Z:\\g\\Game.exe] 805550",
      "113 1 4242 other [other,AppId=9] -",
  };
  // clang-format on
  const auto text = [](const std::optional<ProcessInfo>& p) {
    if (!p) return std::string("none");
    const QString steam = p->steamAppId ? QString::number(*p->steamAppId) : "-";
    return QString("%1 %2 %3 %4 [%5] %6")
        .arg(p->pid)
        .arg(p->parentPid)
        .arg(p->startTime)
        .arg(p->executable, p->arguments.join(','), steam)
        .toStdString();
  };
  ProcessScanner scanner(proc.path(), kUser);
  const std::vector<ProcessInfo> found = scanner.newProcesses();
  ASSERT_EQ(found.size(), std::size(expected));
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(text(found[i]), expected[i]);
    EXPECT_EQ(text(scanner.read(found[i].pid)), expected[i]);
  }
  EXPECT_EQ(found[2].comm, "a) (b");

  // Later scans: only new processes; an ID that went and came back is new again.
  QDir(proc.path() + "/113").removeRecursively();
  EXPECT_EQ(Pids(scanner.newProcesses()), "");
  Write(proc.path(), {113, "reused\0"_qba, "/usr/bin/reused"}, 9999);
  Write(proc.path(), {5000, "new\0"_qba, "/usr/bin/new"});
  EXPECT_EQ(Pids(scanner.newProcesses()), "113:reused 5000:new ");
}

// With /proc/loadavg only the IDs given out since the last scan are looked
// at, one scan later; a thread's is no process; one read before its exec is
// read again.
TEST(ProcessScan, OnlyIdsGivenOutSinceTheLastScan) {
  QTemporaryDir proc(FakeRoot());
  const auto givenOut = [&](int last) {
    QFile f(proc.path() + "/loadavg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0.10 0.20 0.30 1/100 " + QByteArray::number(last) + "\n");
  };
  Write(proc.path(), {10, "app\0"_qba, "/usr/bin/app"});
  givenOut(10);
  ProcessScanner scanner(proc.path(), kUser);
  EXPECT_EQ(Pids(scanner.newProcesses()), "10:app ");
  Write(proc.path(), {11, "app\0"_qba, "/usr/bin/app"});
  EXPECT_EQ(Pids(scanner.newProcesses()), "");  // no ID given out: nothing looked at
  Write(proc.path(), {12, "app\0"_qba, "/usr/bin/app", 11, "x", "", kUser, "", 11});
  Write(proc.path(), {13, "bash\0-c\0exec game\0"_qba, "/usr/bin/bash"});
  givenOut(13);
  EXPECT_EQ(Pids(scanner.newProcesses()), "");  // read a scan later, if still there
  EXPECT_EQ(Pids(scanner.newProcesses()), "11:app 13:bash ");
  QFile::remove(proc.path() + "/13/exe");
  Write(proc.path(), {13, "game\0"_qba, "/usr/bin/game"});
  EXPECT_EQ(Pids(scanner.newProcesses()), "13:game ");
  EXPECT_EQ(Pids(scanner.newProcesses()), "");
}

}  // namespace
}  // namespace torvex::games
