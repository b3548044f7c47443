// SPDX-License-Identifier: MIT
#pragma once
// torvex-ctl agent: applies the profile linked to a game while it runs, and
// when it ends the one before it (another linked game's, the default, or
// what the board held before the first game). One round looks at processes
// started since the last, at games that ended, at the links file and at the
// boards; the loop around it waits on the games' ends for at most a second.

#include <QDateTime>
#include <QJsonObject>
#include <map>
#include <memory>

#include "board/Board.h"
#include "cli/Cli.h"
#include "games/GameMatch.h"
#include "games/ProcessEnd.h"

namespace torvex::cli {

class Agent {
 public:
  struct Places {
    QString procRoot = QStringLiteral("/proc");
    unsigned uid = 0;
    QString profileDirectory;  // the profiles and links.toml
  };
  Agent(hid::HidPlatform& platform, Io& io, Places places);
  ~Agent();

  // Returns true when the state changed (a game came or went, a profile went out).
  bool round(const QDateTime& now);
  // Makes every board hold what it held before the agent changed it.
  void finish(const QDateTime& now);
  // Readable when a matched game ends: wait on these between rounds.
  std::vector<int> endDescriptors() const;
  // What `torvex-ctl status` shows.
  QJsonObject status() const;

 private:
  // "profile NAME", or empty for what the board held before any game.
  QString target() const;
  void reloadLinks();
  void watchProcesses();
  void switchBoard(const QString& serial, const QString& target, const QDateTime& now);

  hid::HidPlatform& platform_;
  Io& io_;
  Places places_;
  board::Board scanner_;
  games::ProcessScanner processes_;
  games::Links links_;
  QDateTime linksStamp_;
  games::RunningGames games_;
  std::map<int, games::ProcessEnd> ends_;
  QStringList boards_;                         // attached, as of the last scan
  bool boardsSeen_ = false;                    // boards_ is up to date, as far as the watch tells
  std::map<QString, QString> held_;            // serial -> the target it holds
  std::map<QString, board::Settings> before_;  // serial -> what it held before a game
  QJsonObject lastApplied_;
  QDateTime started_;
};

}  // namespace torvex::cli
