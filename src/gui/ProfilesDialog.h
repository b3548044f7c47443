// SPDX-License-Identifier: MIT
#pragma once
// The profiles of the store, and what can be done with them: save what the
// board holds, apply one to the board, rename, delete, import, export.
//
// Each action is a public method that takes its answers (a name, a path) as
// arguments and reports in the status line; the buttons only ask for those
// answers first, so tests drive the actions without any nested dialog.

#include <QDialog>
#include <QString>
#include <vector>

#include "board/ProfileStore.h"
#include "board/SettingWrites.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace torvex::gui {

class MainWindow;

// What the user reads after an apply: everything arrived, or what did not.
QString ApplyReport(const board::ApplyOutcome& outcome);
// A directory as the user reads it: native separators, "~" for the home directory.
QString ShownDirectory(const QString& path);

class ProfilesDialog : public QDialog {
  Q_OBJECT

 public:
  ProfilesDialog(MainWindow& window, const board::ProfileStore& store, QWidget* parent = nullptr);

  // ---- The actions, each reported in status() ----
  // False when nothing was saved.
  bool saveBoardAs(const QString& name);
  // True when every value arrived.
  bool apply(const QString& name);
  bool renameProfile(const QString& from, const QString& to);
  bool deleteProfile(const QString& name);
  bool importProfile(const QString& path, const QString& name);
  bool exportProfile(const QString& name, const QString& path);

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
  // Asks for a profile's name; empty when cancelled. An existing profile is
  // replaced only when the user says so, and never by a rename (`keep`: the
  // name being renamed).
  QString askName(const QString& title, const QString& suggested, const QString& keep = {});

  bool report(const QString& problem, const QString& done);
  void refresh(const QString& selecting);
  void updateButtons();

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
};

}  // namespace torvex::gui
