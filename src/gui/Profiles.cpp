// SPDX-License-Identifier: MIT
// The window's side of profiles: the profiles dialog, the profile the board
// holds, and the backup taken before "Reset All" so a reset can be undone.
#include <QComboBox>
#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QTimer>

#include "gui/MainWindow.h"
#include "gui/ProfilesDialog.h"
#include "notify/AgentState.h"

namespace torvex::gui {

board::Profile MainWindow::boardProfile(const board::ReadBackResult& read) const {
  return {read.settings,
          {ui_.serialNumberList->currentText(), read.identity.product.value_or(QString()),
           QDateTime::currentDateTime()}};
}

void MainWindow::onProfilesClicked() {
  // The dialog runs its own event loop: no tick may run inside it.
  const bool ticking = pollTimer_->isActive();
  pollTimer_->stop();
  ProfilesDialog dialog(*this, profiles_, this);
  dialog.exec();
  if (ticking) pollTimer_->start();
}

void MainWindow::setAppliedProfile(const QString& name) {
  appliedProfile_ = name;
  showActiveProfile();
}

QString MainWindow::activeProfileText() const {
  if (!board_.isLoaded()) return {};
  const QJsonObject status = notify::ReadAgentStatus();
  const QJsonObject applied = status["applied"].toObject();
  if (applied["board"].toString() == ui_.serialNumberList->currentText() &&
      applied["profile"].isString()) {
    const QString profile = applied["profile"].toString();
    const QJsonObject game = status["game"].toObject();
    return "Profile: " + profile +
           (game["profile"].toString() == profile ? " (for " + game["name"].toString() + ")"
                                                  : QString());
  }
  return appliedProfile_.isEmpty() ? QString() : "Profile: " + appliedProfile_;
}

void MainWindow::showActiveProfile() {
  QLabel* label = ui_.activeProfileLabel;
  const QString text = activeProfileText();
  label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
  label->setToolTip(text);
}

QString MainWindow::saveResetBackup(QString* problem) {
  // The board's own read-back: the controls keep showing what they showed.
  const board::ReadBackResult now = board_.readBack();
  if (!now.complete()) {
    *problem = QStringLiteral("The board's settings could not be read for a backup.");
    return QString();
  }
  const board::Profile p = boardProfile(now);
  return profiles_.saveBackup(p, p.origin.saved, problem);
}

void MainWindow::onResetAllClicked() {
  // Without a loaded board the core skips the reset: nothing to back up.
  if (!board_.isLoaded()) return board_.sendReset();
  QString problem;
  QString backup;
  {
    // The backup is what the board held right before the reset: one sequence.
    const auto hold = board_.holdWrites();
    backup = saveResetBackup(&problem);
    if (!backup.isEmpty()) board_.sendReset();
  }
  if (backup.isEmpty()) {
    // No board is held while the user answers.
    if (!askModalQuestion("The settings could not be backed up before the reset:\n" + problem +
                              "\n\nReset anyway?",
                          "resetWithoutBackup"))
      return;
    board_.sendReset();
  }
  if (!backup.isEmpty())
    showModalMessage("The settings before the reset were saved as the profile \"" + backup +
                         "\" in " + ShownDirectory(profiles_.directory()) +
                         ".\nApply it from Profiles... to restore them.",
                     "resetBackupSaved");
}

}  // namespace torvex::gui
