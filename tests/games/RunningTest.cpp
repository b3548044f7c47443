// SPDX-License-Identifier: MIT
// Which running linked game counts; and a real child process, seen on /proc
// and matched by the name `exec -a` gave it, its end seen through a pidfd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QThread>

#include "games/GameMatch.h"
#include "games/ProcessEnd.h"

namespace torvex::games {
namespace {

TEST(RunningGames, TheMostRecentCountsAndAnEndPutsBackTheOneBefore) {
  const GameMatch first{1, 0, {"first", MatchRule::NativeExe, "a"}, "a"};
  const GameMatch second{2, 0, {"second", MatchRule::NativeExe, "b"}, "b"};
  RunningGames running;
  running.started(first);
  running.started(second);
  running.started(first);  // seen again: counts as the most recent
  EXPECT_EQ(running.all().size(), 2u);
  EXPECT_EQ(running.current()->link.profile, "first");
  running.ended(first.pid);
  EXPECT_EQ(running.current()->link.profile, "second");
  running.ended(second.pid);
  EXPECT_FALSE(running.current());
}

TEST(RunningGames, ARealProcessMatchesAndItsEndIsSeen) {
  const Links links{{{"game", MatchRule::NativeExe, "torvex-game"}}, {}};
  QProcess child;
  child.start("bash", {"-c", "exec -a torvex-game sleep 30"});
  ASSERT_TRUE(child.waitForStarted());
  const int pid = static_cast<int>(child.processId());
  ProcessScanner scanner("/proc", getuid());
  std::optional<ProcessInfo> p;
  for (int tries = 0; tries < 200 && (!p || p->arguments.value(0) != "torvex-game"); ++tries) {
    QThread::msleep(5);  // bash has yet to exec
    p = scanner.read(pid);
  }
  ASSERT_TRUE(p);
  const auto game = MatchProcess(*p, links);
  ASSERT_TRUE(game);
  EXPECT_EQ(game->pid, pid);
  const ProcessEnd end(pid);
  EXPECT_TRUE(end.valid());
  EXPECT_FALSE(end.ended());
  child.kill();
  bool ended = false;
  for (int tries = 0; tries < 100 && !ended; ++tries) {
    QThread::msleep(10);
    ended = end.ended();
  }
  EXPECT_TRUE(ended);
  child.waitForFinished();
}

}  // namespace
}  // namespace torvex::games
