// SPDX-License-Identifier: MIT
// Finding, opening and reading back the board, and the editor usable only
// with a loaded board.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "board/Identity.h"
#include "board/Percent.h"
#include "board/Settings.h"
#include "gui/MainWindow.h"

namespace torvex::gui {
namespace {

const QString kNoBoardText = QStringLiteral("No board connected");
const QString kNoAccessText =
    QStringLiteral("Board found but not accessible: install the udev rule");
const QString kZeroPercent = QStringLiteral("0 %");

// A board value outside a control's range leaves the control as it was.
void SelectIfListed(QComboBox* list, int index) {
  if (index >= 0 && index < list->count()) list->setCurrentIndex(index);
}

void PlaceIfInRange(QSlider* slider, int value) {
  if (value >= slider->minimum() && value <= slider->maximum()) slider->setValue(value);
}

}  // namespace

// Shows each step of a read-back as the board answers it.
class ReadBackView final : public board::ReadBackObserver {
 public:
  explicit ReadBackView(MainWindow& w) : w_(w) {}
  void identityRead(const board::IdentityStrings& id) override {
    const Controls& ui = w_.ui_;
    if (id.manufacturer) {
      ui.manufacturerLabel->setText(" " + *id.manufacturer);
      ui.versionLabel->setText(board::VersionLabel(w_.board_.attributes().versionNumber));
    }
    if (id.product) ui.productLabel->setText(" " + *id.product);
  }
  void recordsNext() override {
    w_.setEditingEnabled(true);
    w_.updateCurveNumberSliders();
  }
  void settingsRead(const protocol::SettingsRecord& s) override { w_.showSettings(s); }
  void ledRead(const protocol::LedRecord& led) override { w_.showLed(led); }

 private:
  MainWindow& w_;
};

void MainWindow::scanBoards() {
  serialListReady_ = false;
  QComboBox* list = ui_.serialNumberList;
  list->clear();
  list->clearEditText();
  list->setEnabled(false);
  const board::ScanResult found = board_.scan();
  int entry = -1;
  for (const QString& serial : found.serials) {
    list->insertItem(++entry, serial);
    list->setCurrentIndex(entry);  // its handler stays idle while the list fills
  }
  list->setEnabled(entry > 0);
  list->lineEdit()->setPlaceholderText(entry >= 0            ? QString()
                                       : found.boardLocked() ? kNoAccessText
                                                             : kNoBoardText);
  serialListReady_ = true;
}

bool MainWindow::openSelectedBoard() {
  return board_.open(ui_.serialNumberList->currentText());
}

board::ReadBackResult MainWindow::readBackBoard() {
  // Taken first: while another program keeps the board, the controls stay as they are.
  const auto hold = board_.holdWrites();
  if (hold.refused()) return {};
  // Disabling the editor moves the focus on; it goes back where the user left it.
  const QPointer<QWidget> focused = focusWidget();
  setEditingEnabled(false);
  updateCurveNumberSliders();
  // The lists' handlers run as values land; the board holds their sends
  // until the read-back ends.
  ReadBackView view(*this);
  board::ReadBackResult result = board_.readBack(&view);
  // Enabling the editor turned the right rotary list on again; a pairing the
  // left list already showed ran no handler to turn it off.
  if (board_.isLoaded() && board::IsRotaryPairing(ui_.rotaryLeftList->currentIndex()))
    ui_.rotaryRightList->setEnabled(false);
  if (focused && focused->isEnabled()) focused->setFocus(Qt::OtherFocusReason);
  showActiveProfile();
  return result;
}

// Order matters: selecting an index runs that list's handler, so the left
// rotary list goes before the right one and curve types before curve numbers.
void MainWindow::showSettings(const protocol::SettingsRecord& s) {
  SelectIfListed(ui_.pulseWidthList, int{s.pulseWidthStep} - 1);
  if (biteFollowsBoard_) {
    PlaceIfInRange(ui_.clutchBiteSlider, s.clutchBite);
    updateClutchBiteText();
  }
  SelectIfListed(ui_.analogInputModeList, s.analogInputMode);
  SelectIfListed(ui_.masterClutchList, s.masterClutch);
  SelectIfListed(ui_.rotaryLeftList, s.rotaryLeft);
  SelectIfListed(ui_.rotaryRightList, s.rotaryRight);
  SelectIfListed(ui_.xCurveTypeList, s.xCurveType);
  SelectIfListed(ui_.yCurveTypeList, s.yCurveType);
  PlaceIfInRange(ui_.xCurveNumberSlider, board::DecodeCurveNumber(s.xCurveNumber));
  PlaceIfInRange(ui_.yCurveNumberSlider, board::DecodeCurveNumber(s.yCurveNumber));
  ui_.xDeadLowField->setText(rawPercentText(s.xDeadLow));
  ui_.xDeadHighField->setText(rawPercentText(s.xDeadHigh));
  ui_.yDeadLowField->setText(rawPercentText(s.yDeadLow));
  ui_.yDeadHighField->setText(rawPercentText(s.yDeadHigh));
}

void MainWindow::showLed(const protocol::LedRecord& led) {
  PlaceIfInRange(ui_.ledSlider, led.ledIntensity);
  updateLedText();
}

// The clutch bite point can change on the board itself: the slider follows.
void MainWindow::followClutchBite() {
  if (!board_.isOpen() || !ui_.clutchBiteSlider->isEnabled()) return;
  if (const auto s = board_.readSettingsRecord()) {
    PlaceIfInRange(ui_.clutchBiteSlider, s->clutchBite);
    updateClutchBiteText();
  }
}

void MainWindow::setEditingEnabled(bool enable) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           ui_.clutchBiteFrame, ui_.analogInputFrame, ui_.masterClutchFrame, ui_.rotarySwitchFrame,
           ui_.xAxisFrame, ui_.yAxisFrame, ui_.xDeadLowField, ui_.xDeadHighField, ui_.yDeadLowField,
           ui_.yDeadHighField, ui_.xCurveTypeList, ui_.yCurveTypeList})
    w->setEnabled(enable);
  if (!enable) {
    ui_.manufacturerLabel->setText(QString());
    ui_.productLabel->setText(QString());
    ui_.versionLabel->setText(QString());
  }
  ui_.xAxisBar->setValue(0);
  ui_.yAxisBar->setValue(0);
  ui_.xAxisPercentLabel->setText(kZeroPercent);
  ui_.yAxisPercentLabel->setText(kZeroPercent);
  for (QWidget* w : std::initializer_list<QWidget*>{
           ui_.rotaryLeftList, ui_.rotaryRightList, ui_.masterClutchList, ui_.clutchBiteSlider,
           ui_.clutchBiteField, ui_.analogInputModeList, ui_.pulseWidthList, ui_.ledSlider,
           ui_.ledField})
    w->setEnabled(enable);
}

void MainWindow::onSerialNumberPicked() {
  if (!serialListReady_) return;
  pollTimer_->stop();
  if (board_.isOpen()) {
    // The board left behind must not stay in curve-monitor mode.
    if (curvePanelShown_) board_.sendMonitorMode(protocol::MonitorMode::Off);
    board_.close();
    pollTimer_->setInterval(kPollLostMs);
  }
  board_.unload();
  openSelectedBoard();
  readBackBoard();
  resumeCurveMonitor();
  pollTimer_->start();
}

}  // namespace torvex::gui
