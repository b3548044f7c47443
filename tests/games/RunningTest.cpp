// SPDX-License-Identifier: MIT
// Real child processes: seen on /proc and matched by the name `exec -a`
// gave them, their ends seen through a pidfd, the most recent game counting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QThread>

#include "games/GameMatch.h"
#include "games/ProcessEnd.h"

namespace torvex::games {
namespace {

TEST(RunningGames, RealProcessesMatchAndEnd) {
  const Links links{{{"first", MatchRule::NativeExe, "torvex-game-1"},
                     {"second", MatchRule::NativeExe, "torvex-game-2"}},
                    {}};
  ProcessScanner scanner("/proc", getuid());
  RunningGames running;
  QProcess children[2];
  std::vector<ProcessEnd> ends;
  std::vector<GameMatch> games;
  for (int i = 0; i < 2; ++i) {
    const QString name = QStringLiteral("torvex-game-%1").arg(i + 1);
    children[i].start("bash", {"-c", "exec -a " + name + " sleep 30"});
    ASSERT_TRUE(children[i].waitForStarted());
    const int pid = static_cast<int>(children[i].processId());
    std::optional<ProcessInfo> p;
    for (int tries = 0; tries < 200 && (!p || p->arguments.value(0) != name); ++tries) {
      QThread::msleep(5);  // bash has yet to exec
      p = scanner.read(pid);
    }
    ASSERT_TRUE(p);
    const auto game = MatchProcess(*p, links);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->link.profile, links.links[i].profile);
    running.started(*game);
    games.push_back(*game);
    ends.emplace_back(pid);
    EXPECT_TRUE(ends.back().valid());
    EXPECT_FALSE(ends.back().ended());
  }
  running.started(games[0]);  // seen again: counts as the most recent
  EXPECT_EQ(running.all().size(), 2u);
  EXPECT_EQ(running.current()->link.profile, "first");
  for (int i : {0, 1}) {
    children[i].kill();
    bool ended = false;
    for (int tries = 0; tries < 100 && !ended; ++tries) {
      QThread::msleep(10);
      ended = ends[i].ended();
    }
    EXPECT_TRUE(ended) << "child " << i;
    running.ended(games[i].pid);
    EXPECT_EQ(running.current().has_value(), i == 0);
    if (i == 0) {
      EXPECT_EQ(running.current()->link.profile, "second");
    }
    children[i].waitForFinished();
  }
}

}  // namespace
}  // namespace torvex::games
