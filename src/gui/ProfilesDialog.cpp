// SPDX-License-Identifier: MIT
#include "gui/ProfilesDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "board/SettingNames.h"
#include "gui/MainWindow.h"

namespace torvex::gui {
namespace {

QString Names(const std::vector<board::SettingId>& ids) {
  QStringList out;
  for (board::SettingId id : ids) out << board::SettingName(id);
  return out.isEmpty() ? QStringLiteral("none") : out.join(", ");
}

QString Quoted(const QString& name) {
  return "\"" + name + "\"";
}

QPushButton* AddButton(QVBoxLayout* column, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption));
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  column->addWidget(b);
  return b;
}

}  // namespace

QString ApplyReport(const board::ApplyOutcome& out) {
  const board::WritePlan& plan = out.plan;
  if (!plan.refusal.isEmpty()) return "Not applied: " + plan.refusal + " Nothing was sent.";
  if (!out.sent.complete()) {
    const auto& sent = out.sent;
    return "The board was lost or refused a setting.\nReached the board: " + Names(sent.reached) +
           (sent.partly.empty() ? QString()
                                : ".\nPartly sent, may hold either value: " + Names(sent.partly)) +
           ".\nNot set: " + Names(sent.notSent) + ".";
  }
  if (plan.frames.empty()) return QStringLiteral("The board already holds every value.");
  if (!out.readBackComplete)
    return QStringLiteral(
        "Every setting was sent, but the board could not be read back to check them.");
  if (!out.notTaken.empty()) {
    QString text = QStringLiteral("Some values did not arrive:");
    for (board::SettingId id : out.notTaken)
      text += "\n" + board::SettingName(id) + ": asked " +
              board::SettingText(id, board::StoredValue(plan.expected, id)) + ", holds " +
              board::SettingText(id, board::StoredValue(out.readBack, id));
    return text;
  }
  return QString("Every value arrived (%1 settings changed).").arg(plan.touched.size());
}

QString ShownDirectory(const QString& path) {
  const QString home = QDir::homePath();
#ifdef Q_OS_WIN
  const bool inHome = false;  // "~" means nothing to a Windows user
#else
  const bool inHome = QDir::home() != QDir::root() && path.startsWith(home + "/");
#endif
  return QDir::toNativeSeparators(inHome ? "~" + path.mid(home.size()) : path);
}

ProfilesDialog::ProfilesDialog(MainWindow& window, const board::ProfileStore& store,
                               QWidget* parent, QString procRoot)
    : QDialog(parent), window_(window), store_(store), procRoot_(std::move(procRoot)) {
  setObjectName("profilesDialog");
  setWindowTitle("Profiles");
  auto* top = new QVBoxLayout(this);
  auto* where = new QLabel("Profiles are kept in " + ShownDirectory(store_.directory()));
  where->setObjectName("profilesDirectoryLabel");
  where->setWordWrap(true);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  top->addWidget(where);

  auto* row = new QHBoxLayout;
  list_ = new QListWidget;
  list_->setObjectName("profileList");
  row->addWidget(list_, 1);
  auto* column = new QVBoxLayout;
  saveButton_ = AddButton(column, "saveBoardButton", "Save Board As...");
  applyButton_ = AddButton(column, "applyButton", "Apply");
  renameButton_ = AddButton(column, "renameButton", "Rename...");
  deleteButton_ = AddButton(column, "deleteButton", "Delete");
  importButton_ = AddButton(column, "importButton", "Import...");
  exportButton_ = AddButton(column, "exportButton", "Export...");
  column->addStretch(1);
  QPushButton* close = AddButton(column, "closeButton", "Close");
  row->addLayout(column);
  top->addLayout(row, 1);
  top->addWidget(buildLinksPanel(), 2);

  progress_ = new QProgressBar;
  progress_->setObjectName("applyProgress");
  progress_->setRange(0, 1);
  progress_->setValue(0);
  top->addWidget(progress_);
  status_ = new QLabel;
  status_->setObjectName("profilesStatus");
  status_->setWordWrap(true);
  status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 4);
  status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  top->addWidget(status_);
  resize(560, 660);

  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    updateButtons();
    showSelected();
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { apply(selected()); });
  connect(saveButton_, &QPushButton::clicked, this, [this] { onSaveClicked(); });
  connect(applyButton_, &QPushButton::clicked, this, [this] { apply(selected()); });
  connect(renameButton_, &QPushButton::clicked, this, [this] { onRenameClicked(); });
  connect(deleteButton_, &QPushButton::clicked, this, [this] { onDeleteClicked(); });
  connect(importButton_, &QPushButton::clicked, this, [this] { onImportClicked(); });
  connect(exportButton_, &QPushButton::clicked, this, [this] { onExportClicked(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  refresh(QString());
}

QString ProfilesDialog::status() const {
  return status_->text();
}

QString ProfilesDialog::selected() const {
  const QListWidgetItem* item = list_->currentItem();
  return item ? item->text() : QString();
}

void ProfilesDialog::select(const QString& name) {
  const auto found = list_->findItems(name, Qt::MatchExactly);
  list_->setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

bool ProfilesDialog::report(const QString& problem, const QString& done) {
  status_->setText(problem.isEmpty() ? done : problem);
  return problem.isEmpty();
}

void ProfilesDialog::refresh(const QString& selecting) {
  {
    const QSignalBlocker quiet(list_);
    list_->clear();
    list_->addItems(store_.names());
    select(selecting);
  }
  updateButtons();
  showSelected();
}

void ProfilesDialog::updateButtons() {
  const bool board = window_.board().isLoaded();
  const bool picked = list_->currentItem() != nullptr;
  saveButton_->setEnabled(board);
  applyButton_->setEnabled(board && picked);
  for (QPushButton* b : {renameButton_, deleteButton_, exportButton_, linkButton_, defaultButton_})
    b->setEnabled(picked);
}

bool ProfilesDialog::saveBoardAs(const QString& name) {
  if (const QString problem = board::ProfileStore::NameProblem(name); !problem.isEmpty())
    return report(problem, {});
  if (!window_.board().isLoaded()) return report("No board is connected: nothing was saved.", {});
  // Fresh values: the board may have changed since the window last read it.
  const board::ReadBackResult now = window_.readBackBoard();
  if (!now.complete())
    return report("The board's settings could not be read: nothing was saved.", {});
  const bool saved = report(store_.save(name, window_.boardProfile(now)),
                            "Saved the board's settings as " + Quoted(name) + ".");
  if (saved) refresh(name);
  return saved;
}

bool ProfilesDialog::apply(const QString& name) {
  // A file that is not taken whole sends nothing, not even a read-back.
  const board::ProfileRead read = store_.read(name);
  if (!read.profile) return report("Not applied: " + read.problem, {});
  board::Board& board = window_.board();
  if (!board.isLoaded()) return report("No board is connected: nothing was sent.", {});
  // The plan is made from this read-back: nothing may change the board in between.
  const auto hold = board.holdWrites();
  const board::ReadBackResult now = window_.readBackBoard();
  if (!now.complete())
    return report("The board's settings could not be read: nothing was sent.", {});
  progress_->setValue(0);
  const auto progress = [this](std::size_t sent, std::size_t total) {
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(static_cast<int>(sent));
    progress_->repaint();  // no event loop runs until the writes end
  };
  const board::ApplyOutcome out =
      board::ApplySettings(board, now.settings, read.profile->settings, progress,
                           [this] { return window_.readBackBoard(); });
  status_->setText(ApplyReport(out));
  if (out.succeeded()) window_.setAppliedProfile(name);
  // The poll is held while the dialog is open: a lost board is looked at now,
  // so the window and the buttons follow it at once.
  if (!out.sent.complete()) window_.onPollTick();
  updateButtons();
  showSelected();
  return out.succeeded();
}

bool ProfilesDialog::renameProfile(const QString& from, const QString& to) {
  const bool done =
      report(store_.rename(from, to), "Renamed " + Quoted(from) + " to " + Quoted(to) + ".");
  refresh(done ? to : from);
  return done;
}

bool ProfilesDialog::deleteProfile(const QString& name) {
  const bool done = report(store_.remove(name), "Deleted " + Quoted(name) + ".");
  refresh(QString());
  return done;
}

bool ProfilesDialog::importProfile(const QString& path, const QString& name) {
  const bool done =
      report(store_.importFile(path, name),
             "Imported " + QDir::toNativeSeparators(path) + " as " + Quoted(name) + ".");
  if (done) refresh(name);
  return done;
}

bool ProfilesDialog::exportProfile(const QString& name, const QString& path) {
  return report(store_.exportTo(name, path),
                "Exported " + Quoted(name) + " to " + QDir::toNativeSeparators(path) + ".");
}

QString ProfilesDialog::askName(const QString& title, const QString& suggested,
                                const QString& keep) {
  for (QString name = suggested;;) {
    bool ok = false;
    name =
        QInputDialog::getText(this, title, "Profile name:", QLineEdit::Normal, name, &ok).trimmed();
    if (!ok) return QString();
    if (const QString problem = board::ProfileStore::NameProblem(name); !problem.isEmpty()) {
      QMessageBox::warning(this, title, problem);
      continue;
    }
    if (name == keep || !store_.contains(name)) return name;
    // The store renames onto no existing profile; a save or an import replaces it.
    if (!keep.isEmpty()) {
      QMessageBox::warning(this, title, "A profile named " + Quoted(name) + " exists already.");
      continue;
    }
    if (QMessageBox::question(this, title, "Replace the profile " + Quoted(name) + "?",
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes)
      return name;
  }
}

void ProfilesDialog::onSaveClicked() {
  if (const QString name = askName("Save Board As", selected()); !name.isEmpty()) saveBoardAs(name);
}

void ProfilesDialog::onRenameClicked() {
  const QString from = selected();
  if (const QString to = askName("Rename", from, from); !to.isEmpty() && to != from)
    renameProfile(from, to);
}

void ProfilesDialog::onDeleteClicked() {
  const QString name = selected();
  if (QMessageBox::question(this, "Delete", "Delete the profile " + Quoted(name) + "?",
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes)
    deleteProfile(name);
}

void ProfilesDialog::onImportClicked() {
  const QString path =
      QFileDialog::getOpenFileName(this, "Import Profile", QString(), "Profiles (*.toml)");
  if (path.isEmpty()) return;
  if (const QString name = askName("Import", QFileInfo(path).completeBaseName()); !name.isEmpty())
    importProfile(path, name);
}

void ProfilesDialog::onExportClicked() {
  const QString name = selected();
  const QString path = QFileDialog::getSaveFileName(
      this, "Export Profile", QDir::home().filePath(name + ".toml"), "Profiles (*.toml)");
  if (!path.isEmpty()) exportProfile(name, path);
}

}  // namespace torvex::gui
