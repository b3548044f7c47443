// SPDX-License-Identifier: MIT
// Which link a process matches: Steam's app ID over a Windows executable
// over a native one, the first in the file among equals, never comm; and
// which running linked game counts.
#include <gtest/gtest.h>

#include "games/GameMatch.h"

namespace torvex::games {
namespace {

TEST(GameMatch, StrongestRuleThenFileOrder) {
  // clang-format off
  const Links links{{{"acc", MatchRule::WindowsExe, "AC2-Win64-Shipping.exe"},
                     {"gt3", MatchRule::SteamAppId, "805550"},
                     {"rally", MatchRule::WindowsExe, "dirtrally2.exe"},
                     {"kart", MatchRule::NativeExe, "supertuxkart"},
                     {"first", MatchRule::WindowsExe, "Game.exe"},
                     {"second", MatchRule::WindowsExe, "GAME.EXE"}}, {}};
  const QString acc = "Z:\\home\\u\\.steam\\steamapps\\common\\acc\\AC2-Win64-Shipping.exe";
  const struct {
    QStringList arguments;
    const char* executable;
    const char* comm;
    std::optional<std::uint32_t> steam;
    const char* match;  // the link's profile, then the name that matched; "" for none
  } cases[] = {
      {{acc}, "wine64-preloader", "AC2-Win64-Shippi", {}, "acc AC2-Win64-Shipping.exe"},
      {{acc}, "wine64-preloader", "AC2-Win64-Shippi", 805550, "gt3 805550"},
      {{"Z:/games/AC2-WIN64-SHIPPING.EXE"}, "", "", {}, "acc AC2-WIN64-SHIPPING.EXE"},
      {{"/usr/bin/wine64", "C:\\DiRTrally2.exe", "-x"}, "wine64", "wine64", {}, "rally DiRTrally2.exe"},
      {{"/usr/bin/wineserver", "dirtrally2.exe"}, "wineserver", "wineserver", {}, ""},
      {{"/usr/games/stk"}, "supertuxkart", "stk", {}, "kart supertuxkart"},
      {{"/opt/kart/supertuxkart", "-f"}, "python3", "python3", {}, "kart supertuxkart"},
      {{"/opt/kart/SuperTuxKart"}, "SuperTuxKart", "SuperTuxKart", {}, ""},
      {{"bash", "kart.sh"}, "bash", "supertuxkart", {}, ""},
      {{"game.exe"}, "", "", {}, "first game.exe"},
      {{}, "", "", {}, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const auto match = MatchProcess({42, 1, 7, c.executable, c.arguments, c.comm, c.steam}, links);
    EXPECT_EQ(match ? match->link.profile + " " + match->name : "", c.match);
  }
}

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

}  // namespace
}  // namespace torvex::games
