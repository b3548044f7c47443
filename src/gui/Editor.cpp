// SPDX-License-Identifier: MIT
// The settings editor's lists and dead-zone fields: each change goes to the
// board at once.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "board/Percent.h"
#include "board/Settings.h"
#include "gui/MainWindow.h"

namespace torvex::gui {
namespace code = protocol::code;

namespace {

constexpr int kEnterKey = 13;

// Qt selects the first item of a filled list by itself; these lists start with
// nothing selected, so the first selection from code is a change and runs
// the list's handler.
void Refill(QComboBox* list, const QStringList& entries) {
  const QSignalBlocker quiet(list);
  list->clear();
  list->addItems(entries);
  list->setCurrentIndex(-1);
}

}  // namespace

void MainWindow::fillLists() {
  Refill(ui_.analogInputModeList, board::AnalogInputModeNames());
  Refill(ui_.masterClutchList, board::MasterClutchNames());
  Refill(ui_.rotaryLeftList, board::RotaryLeftNames());
  Refill(ui_.rotaryRightList, board::RotaryRightNames());
  Refill(ui_.pulseWidthList, board::PulseWidthNames());
  ui_.pulseWidthList->setCurrentIndex(board::kDefaultPulseWidthStep - 1);
  {
    const QSignalBlocker quietX(ui_.xCurveTypeList);
    const QSignalBlocker quietY(ui_.yCurveTypeList);
    // Appending selects nothing: a list keeps the selection it had.
    const int xBefore = ui_.xCurveTypeList->currentIndex();
    const int yBefore = ui_.yCurveTypeList->currentIndex();
    for (const QString& type : board::CurveTypeNames()) {
      ui_.xCurveTypeList->addItem(type);
      ui_.yCurveTypeList->addItem(type);
    }
    ui_.xCurveTypeList->setCurrentIndex(xBefore);
    ui_.yCurveTypeList->setCurrentIndex(yBefore);
  }
  ui_.xCurveTypeList->setCurrentIndex(0);
  ui_.yCurveTypeList->setCurrentIndex(0);
}

void MainWindow::onAnalogInputModePicked() {
  board_.writeSetting(code::SetAnalogInputMode, ui_.analogInputModeList->currentIndex());
}

void MainWindow::onMasterClutchPicked() {
  board_.writeSetting(code::SetMasterClutchMode, ui_.masterClutchList->currentIndex());
}

void MainWindow::onRotaryLeftPicked() {
  // Both sides and the pairing rule go out as one sequence.
  const auto hold = board_.holdWrites();
  const int left = ui_.rotaryLeftList->currentIndex();
  board_.writeSetting(code::SetRotarySwitchLeftMode, left);
  if (board::IsRotaryPairing(left)) {
    // Runs the right list's handler first when its index changes.
    ui_.rotaryRightList->setCurrentIndex(left);
    board_.writeSetting(code::SetRotarySwitchRightMode, ui_.rotaryRightList->currentIndex());
  }
  applyRotaryPairing();
}

void MainWindow::onRotaryRightPicked() {
  const auto hold = board_.holdWrites();
  const int right = ui_.rotaryRightList->currentIndex();
  board_.writeSetting(code::SetRotarySwitchRightMode, right);
  if (board::IsRotaryPairing(right)) {
    ui_.rotaryLeftList->setCurrentIndex(right);
    board_.writeSetting(code::SetRotarySwitchLeftMode, ui_.rotaryLeftList->currentIndex());
  }
  applyRotaryPairing();
}

void MainWindow::applyRotaryPairing() {
  // The left list owns a pairing: the right one just follows it.
  if (board::IsRotaryPairing(ui_.rotaryLeftList->currentIndex())) {
    ui_.rotaryRightList->setEnabled(false);
    return;
  }
  // A pairing left behind in the right list alone is undone.
  if (board::IsRotaryPairing(ui_.rotaryRightList->currentIndex())) {
    ui_.rotaryRightList->setEnabled(true);
    ui_.rotaryRightList->setCurrentIndex(0);
    board_.writeSetting(code::SetRotarySwitchRightMode, ui_.rotaryRightList->currentIndex());
  }
}

void MainWindow::onPulseWidthPicked() {
  const int index = ui_.pulseWidthList->currentIndex();
  if (index < 0) return;  // nothing chosen: no width to send
  board_.sendPulseWidth(index + 1);
}

void MainWindow::onCurveTypePicked(int axis) {
  const bool x = axis == 0;
  board_.writeSetting(x ? code::SetXCurveType : code::SetYCurveType,
                      (x ? ui_.xCurveTypeList : ui_.yCurveTypeList)->currentIndex());
  updateCurveNumberSliders();
  clearChart();
}

// sliderPosition, not value: while a drag or key action is reported the value
// has not caught up yet.
void MainWindow::onCurveNumberMoved(int axis) {
  const bool x = axis == 0;
  const QSlider* slider = x ? ui_.xCurveNumberSlider : ui_.yCurveNumberSlider;
  board_.writeSetting(x ? code::SetXCurveNumber : code::SetYCurveNumber,
                      board::EncodeCurveNumber(slider->sliderPosition()));
  clearChart();
}

void MainWindow::updateCurveNumberSliders() {
  // "Linear" has no curve number; the slider keeps its position meanwhile.
  ui_.xCurveNumberSlider->setEnabled(ui_.xCurveTypeList->currentIndex() != board::kLinearCurve);
  ui_.yCurveNumberSlider->setEnabled(ui_.yCurveTypeList->currentIndex() != board::kLinearCurve);
}

// Enter commits: the field is limited and reformatted, then what it shows is sent.
void MainWindow::onDeadZoneKey(QLineEdit* field, std::uint8_t lowCode, int& key) {
  typeSeparator(key);
  if (key != kEnterKey) return;
  field->setText(board::ClampDeadZone(field->text(), board::kDeadZoneLimit, locale_, separator()));
  const auto percent = board::ParseLocaleNumber(field->text(), locale_);
  board_.writeDeadZone(lowCode,
                       static_cast<std::uint16_t>(percent ? board::PercentToRaw(*percent) : 0));
}

}  // namespace torvex::gui
