// SPDX-License-Identifier: MIT
#pragma once
// Joining processes to links, and which linked game counts when several run.

#include <optional>
#include <vector>

#include "games/Links.h"
#include "games/ProcessScan.h"

namespace torvex::games {

struct GameMatch {
  int pid = 0;
  std::uint64_t startTime = 0;
  Link link;     // the link that matched, its rule the strongest that did
  QString name;  // what matched: "805550", "AC2-Win64-Shipping.exe", "supertuxkart"
};

// The Windows executable a Wine or Proton process runs: the base name of its
// first argument, '\\' and '/' both separators. Empty unless it ends in ".exe".
QString WindowsExecutable(const QStringList& arguments);

// The link that would match `p` by what names it best: its Steam app ID, else
// the Windows executable it runs, else its own executable. No profile set;
// empty key when nothing names it.
Link OfferedLink(const ProcessInfo& p);

// The strongest link `p` matches, if any.
std::optional<GameMatch> MatchProcess(const ProcessInfo& p, const Links& links);

// Linked games that run, most recently started last: the last one's profile
// is the one that counts; when it ends, the one before it counts again.
class RunningGames {
 public:
  void started(const GameMatch& game);
  void ended(int pid);
  const std::vector<GameMatch>& all() const { return games_; }
  // The game whose profile counts, if any runs.
  std::optional<GameMatch> current() const;

 private:
  std::vector<GameMatch> games_;
};

}  // namespace torvex::games
