// SPDX-License-Identifier: MIT
#pragma once
// The profiles of the store, and what can be done with them: save what the
// board holds, apply one to the board, rename, delete, import, export, link
// to games (links.toml beside the profiles, which the agent follows) and
// make the default; and the switch that runs the agent.
//
// Each action is a public method that takes its answers (a name, a path) as
// arguments and reports in the status line; the buttons only ask for those
// answers first, so tests drive the actions without any nested dialog.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "board/ProfileStore.h"
#include "board/SettingWrites.h"
#include "games/Links.h"
#include "gui/AgentSwitch.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QTreeWidget;
class QProgressBar;
class QPushButton;

namespace torvex::gui {

class MainWindow;

// What the user reads after an apply: everything arrived, or what did not.
QString ApplyReport(const board::ApplyOutcome& outcome);
// A directory as the user reads it: native separators, "~" for the home directory.
QString ShownDirectory(const QString& path);
// "Steam app 805550", "NAME.exe (Windows, through Wine or Proton)", "NAME (native)".
QString LinkText(const games::Link& link);
// A Steam app ID or an executable's file name as typed; nothing when it is neither.
std::optional<games::Link> TypedGame(const QString& text);

class ProfilesDialog : public QDialog {
  Q_OBJECT

 public:
  // `procRoot`: where the running games are looked for.
  ProfilesDialog(MainWindow& window, const board::ProfileStore& store, QWidget* parent = nullptr,
                 QString procRoot = QStringLiteral("/proc"));

  // ---- The actions, each reported in status() ----
  // False when nothing was saved.
  bool saveBoardAs(const QString& name);
  // True when every value arrived.
  bool apply(const QString& name);
  bool renameProfile(const QString& from, const QString& to);
  bool deleteProfile(const QString& name);
  bool importProfile(const QString& path, const QString& name);
  bool exportProfile(const QString& name, const QString& path);

  // The games the user's processes offer to link, strongest kind first.
  std::vector<games::Link> runningGames() const;
  bool linkGame(const QString& profile, const games::Link& game);
  bool unlinkGame(const games::Link& link);
  // An empty name: no default.
  bool setDefaultProfile(const QString& name);
  // Starts or stops the agent, and keeps it so across logins.
  bool switchAgent(bool on);
  AgentSwitch& agentSwitch() { return agent_; }

  QString status() const;
  QString selected() const;
  void select(const QString& name);

 private:
  // The buttons: ask, then act.
  void onSaveClicked();
  void onRenameClicked();
  void onDeleteClicked();
  void onImportClicked();
  void onExportClicked();
  void onLinkClicked();
  // Asks for a profile's name; empty when cancelled. An existing profile is
  // replaced only when the user says so, and never by a rename (`keep`: the
  // name being renamed).
  QString askName(const QString& title, const QString& suggested, const QString& keep = {});

  bool report(const QString& problem, const QString& done);
  void refresh(const QString& selecting);
  void updateButtons();
  // Where the selected profile is, its links, and what applying it would change.
  void showSelected();
  void showDifferences(const board::Profile& profile);
  // Reads links.toml, lets `change` alter it (returning what it did, or
  // empty for nothing to write) and writes it back, reporting either way.
  bool changeLinks(const std::function<QString(games::Links&)>& change);
  QWidget* buildLinksPanel();

  MainWindow& window_;
  board::ProfileStore store_;
  QListWidget* list_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* applyButton_ = nullptr;
  QPushButton* renameButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* details_ = nullptr;
  QListWidget* linkList_ = nullptr;
  QPushButton* linkButton_ = nullptr;
  QPushButton* unlinkButton_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  QLabel* differenceSummary_ = nullptr;
  QTreeWidget* differenceList_ = nullptr;
  QCheckBox* agentBox_ = nullptr;
  QString procRoot_;
  games::Links links_;  // as last read, for what the panel shows
  AgentSwitch agent_;
};

}  // namespace torvex::gui
