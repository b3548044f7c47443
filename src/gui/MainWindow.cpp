// SPDX-License-Identifier: MIT
#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <cmath>
#include <utility>

#include "notify/NoticeServer.h"

namespace torvex::gui {

MainWindow::MainWindow(hid::HidPlatform& platform, QLocale locale, QWidget* parent)
    : QWidget(parent), board_(platform), locale_(std::move(locale)) {
  setObjectName("mainWindow");
  setWindowTitle("Corvane Torvex Configuration Tool v3.0 b4");
  pollTimer_ = new QTimer(this);
  pollTimer_->setObjectName("pollTimer");
  pollTimer_->setInterval(kPollStartMs);
  biteHoldTimer_ = new QTimer(this);
  biteHoldTimer_->setObjectName("biteHoldTimer");
  biteHoldTimer_->setInterval(100);
  noticeRereadTimer_ = new QTimer(this);
  noticeRereadTimer_->setObjectName("noticeRereadTimer");
  noticeRereadTimer_->setSingleShot(true);
  noticeRereadTimer_->setInterval(kNoticeRereadMs);
  connect(noticeRereadTimer_, &QTimer::timeout, this, &MainWindow::onNoticeRereadDue);
  ui_ = BuildControls(this);
  if (const int fd = platform.changeDescriptor(); fd >= 0) {
    deviceWatch_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    deviceWatch_->setEnabled(false);
    connect(deviceWatch_, &QSocketNotifier::activated, this, &MainWindow::onDevicesChanged);
  }
  connectSignals();
  board_.setLockWaitNotice(
      [this](board::LockWait wait, const QString& serial) { onBoardLockWait(wait, serial); });
}

MainWindow::~MainWindow() {
  // A window destroyed without being closed still leaves the board as it found it.
  shutdown();
}

void MainWindow::start() {
  decimalSeparator_ = locale_.toString(0.0, 'f', 2).at(1);
  chartPrevH_ = 0;
  chartPrevV_ = 0;
  ui_.clutchBiteSlider->setValue(0);
  biteFollowsBoard_ = true;
  ui_.clutchBiteSlider->setValue(
      static_cast<int>(std::nearbyint(ui_.clutchBiteSlider->maximum() / 2.0)));
  ui_.ledSlider->setValue(ui_.ledSlider->maximum());
  updateClutchBiteText();
  updateLedText();
  fillLists();
  // Each selection runs its list's handler as a user's pick would.
  ui_.analogInputModeList->setCurrentIndex(0);
  ui_.masterClutchList->setCurrentIndex(0);
  ui_.rotaryLeftList->setCurrentIndex(0);
  ui_.rotaryRightList->setCurrentIndex(0);
  buildButtonIndicators(63);
  board_.unload();
  serialListReady_ = false;
  show();
  // Drawn, not only mapped, before the scan and the read-back's pauses.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  scanBoards();
  openSelectedBoard();
  readBackBoard();
  pollTimer_->start();
  buttonBytesShown_.fill(999);
}

void MainWindow::onPollTick() {
  // A tick while asleep is the safety rescan: the watch may have missed an event.
  const bool safetyTick = asleep_;
  wake();
  serviceInput(safetyTick);
  if (board_.isOpen() && biteFollowsBoard_) followClutchBite();
  // Nothing to read and nothing seen to retry: sleep until a device comes or goes.
  if (deviceWatch_ && !shutDown_ && !board_.isOpen() && !board_.scanSawBoard()) sleepOnWatch();
}

void MainWindow::onDevicesChanged() {
  wake();
  pollTimer_->start();
  onPollTick();
}

void MainWindow::sleepOnWatch() {
  asleep_ = true;
  awakeIntervalMs_ = pollTimer_->interval();
  pollTimer_->setInterval(kSafetyRescanMs);
  deviceWatch_->setEnabled(true);
}

void MainWindow::wake() {
  if (!std::exchange(asleep_, false)) return;
  deviceWatch_->setEnabled(false);
  pollTimer_->setInterval(awakeIntervalMs_);
}

void MainWindow::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  wake();
  pollTimer_->stop();
  if (board_.isOpen()) board_.sendMonitorMode(protocol::MonitorMode::Off);
  serialListReady_ = false;
  board_.close();
}

void MainWindow::followNotices(notify::NoticeServer& server) {
  connect(&server, &notify::NoticeServer::raiseAsked, this, &MainWindow::bringToFront);
  connect(&server, &notify::NoticeServer::boardChanged, this, &MainWindow::onBoardChangedElsewhere);
}

void MainWindow::bringToFront() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void MainWindow::onBoardChangedElsewhere(const QString& serial) {
  showActiveProfile();  // the agent notices after it applied
  if (shutDown_ || !board_.isOpen() || !board_.isLoaded()) return;
  if (!serial.isEmpty() && serial != ui_.serialNumberList->currentText()) return;
  // Not restarted: a steady stream of notices still gets its re-read.
  if (!noticeRereadTimer_->isActive()) noticeRereadTimer_->start();
}

void MainWindow::onNoticeRereadDue() {
  noticeRereadTimer_->stop();
  if (shutDown_ || !board_.isOpen() || !board_.isLoaded()) return;
  // A read-back disables the editor, which would release a held slider and so
  // commit it, and it overwrites the fields: it waits for the user's hand.
  if (userHoldsAControl())
    noticeRereadTimer_->start();
  else
    readBackBoard();
}

void MainWindow::showModalMessage(const QString& text, const char* name) {
  // No tick may run inside the box's event loop: events never overlap.
  const bool ticking = pollTimer_->isActive();
  pollTimer_->stop();
  QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
  box.setObjectName(QString::fromLatin1(name));
  box.exec();
  if (ticking) pollTimer_->start();
}

bool MainWindow::askModalQuestion(const QString& text, const char* name) {
  const bool ticking = pollTimer_->isActive();
  pollTimer_->stop();
  QMessageBox box(QMessageBox::Question, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                  this);
  box.setObjectName(QString::fromLatin1(name));
  box.setDefaultButton(QMessageBox::No);
  const bool yes = box.exec() == QMessageBox::Yes;
  if (ticking) pollTimer_->start();
  return yes;
}

void MainWindow::onBoardLockWait(board::LockWait wait, const QString& serial) {
  if (wait == board::LockWait::Over) {
    if (lockNotice_) lockNotice_->hide();
    return;
  }
  if (!lockNotice_) {
    lockNotice_ =
        new QMessageBox(QMessageBox::NoIcon, windowTitle(), QString(), QMessageBox::Ok, this);
    lockNotice_->setObjectName("boardLockNotice");
    lockNotice_->setModal(false);
  }
  lockNotice_->setText(
      wait == board::LockWait::Waiting
          ? "Waiting for another program that is writing to board " + serial + "..."
          : QStringLiteral("Another program kept writing to board %1 for %2 s: nothing was sent.")
                .arg(serial)
                .arg(board::Board::kLockGiveUpMs / 1000));
  lockNotice_->show();
  // The thread is held by the wait: draw the box, and run nothing else.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                  QEventLoop::ExcludeSocketNotifiers |
                                  QEventLoop::X11ExcludeTimers);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  shutdown();
  event->accept();
}

}  // namespace torvex::gui
