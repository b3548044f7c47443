// SPDX-License-Identifier: MIT
#pragma once
// Which profile goes with which game: one commented TOML file beside the
// profiles, read as strictly as a profile (line and field on every error).

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace torvex::games {

// How a link names a game, strongest first: when one process matches links
// of several kinds, the strongest kind wins.
enum class MatchRule {
  SteamAppId,  // the app ID Steam launched it under
  WindowsExe,  // "NAME.exe" run through Wine or Proton, compared without case
  NativeExe,   // a native executable's file name, compared exactly
};

struct Link {
  QString profile;
  MatchRule rule = MatchRule::NativeExe;
  QString key;  // the app ID's digits, or the executable's file name
  bool operator==(const Link&) const = default;
};

struct Links {
  std::vector<Link> links;  // in the file's order
  QString defaultProfile;   // applied when no linked game runs; empty: none
  bool operator==(const Links&) const = default;
};

struct LinksRead {
  std::optional<Links> links;
  QString problem;  // "line 7, link[2].steam: takes a whole number ..."
};

// An executable name is a Windows one when it ends in ".exe" (any case).
MatchRule RuleForExecutable(const QString& name);

// Two links for the same game, whatever their profiles.
bool SameGame(const Link& a, const Link& b);
// Links a game to `game.profile`: one linked to another profile moves, to the
// end. The profile it was linked to before (its own when nothing changed), or
// empty.
QString LinkGame(Links& links, const Link& game);

LinksRead ParseLinks(const QByteArray& text);
QByteArray LinksText(const Links& links);

// "links.toml" in the profile folder; "links" is therefore no profile's name.
QString LinksPath(const QString& profileDirectory);
// A missing file is no links and no default; problems name the path.
LinksRead ReadLinksFile(const QString& path);
// Through a temporary file, as profiles are written; empty on success.
QString WriteLinksFile(const QString& path, const Links& links);

}  // namespace torvex::games
