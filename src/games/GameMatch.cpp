// SPDX-License-Identifier: MIT
#include "games/GameMatch.h"

#include <algorithm>

namespace torvex::games {
namespace {

QString BaseName(const QString& path, bool windows) {
  const qsizetype slash =
      windows ? std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) : path.lastIndexOf(u'/');
  return path.mid(slash + 1);
}

QString WindowsExe(const QString& path) {
  const QString name = BaseName(path, true);
  return name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) ? name : QString();
}

// Wine's loaders, whose next argument is the program they run.
bool IsWineLoader(const QString& path) {
  static const QStringList kLoaders = {"wine", "wine64", "wine-preloader", "wine64-preloader"};
  return kLoaders.contains(BaseName(path, false));
}

// What `p` shows of `link`'s kind, if it matches.
QString Matched(const ProcessInfo& p, const Link& link) {
  switch (link.rule) {
    case MatchRule::SteamAppId:
      return p.steamAppId && QString::number(*p.steamAppId) == link.key ? link.key : QString();
    case MatchRule::WindowsExe: {
      const QString exe = WindowsExecutable(p.arguments);
      return exe.compare(link.key, Qt::CaseInsensitive) == 0 ? exe : QString();
    }
    case MatchRule::NativeExe:
      // Never comm: it is cut to 15 bytes and would take a longer name's start.
      if (p.executable == link.key) return link.key;
      return !p.arguments.isEmpty() && BaseName(p.arguments[0], false) == link.key ? link.key
                                                                                   : QString();
  }
  return {};
}

}  // namespace

QString WindowsExecutable(const QStringList& arguments) {
  if (arguments.isEmpty()) return {};
  const QString first = WindowsExe(arguments[0]);
  if (first.isEmpty() && arguments.size() > 1 && IsWineLoader(arguments[0]))
    return WindowsExe(arguments[1]);
  return first;
}

Link OfferedLink(const ProcessInfo& p) {
  if (p.steamAppId) return {{}, MatchRule::SteamAppId, QString::number(*p.steamAppId)};
  if (const QString exe = WindowsExecutable(p.arguments); !exe.isEmpty())
    return {{}, MatchRule::WindowsExe, exe};
  return {{}, MatchRule::NativeExe, p.executable};
}

std::optional<GameMatch> MatchProcess(const ProcessInfo& p, const Links& links) {
  std::optional<GameMatch> best;
  for (const Link& link : links.links) {
    // The rules are declared strongest first.
    if (best && link.rule >= best->link.rule) continue;
    const QString name = Matched(p, link);
    if (!name.isEmpty()) best = GameMatch{p.pid, p.startTime, link, name};
  }
  return best;
}

void RunningGames::started(const GameMatch& game) {
  ended(game.pid);
  games_.push_back(game);
}

void RunningGames::ended(int pid) {
  std::erase_if(games_, [pid](const GameMatch& g) { return g.pid == pid; });
}

std::optional<GameMatch> RunningGames::current() const {
  return games_.empty() ? std::nullopt : std::optional(games_.back());
}

}  // namespace torvex::games
