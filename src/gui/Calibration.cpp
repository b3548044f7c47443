// SPDX-License-Identifier: MIT
// Three clicks calibrate an axis: arm, take the low end, take the high end.
// The board measures the paddle itself; the reports name only axis and end.
#include <QComboBox>
#include <QPushButton>

#include "board/Settings.h"
#include "gui/MainWindow.h"

namespace torvex::gui {
namespace {

const QString kCalibrate = QStringLiteral("Calibrate");
const QString kSetLow = QStringLiteral("Set Low");
const QString kSetHigh = QStringLiteral("Set High");
constexpr int kYPauseMs = 100;

// Green while armed, painted flat: styles shade a palette colour into a
// gradient, and a border in the style sheet makes Qt paint the colour as set.
// The palette carries the same colour so the state can be read back.
void ShowArmed(QPushButton* b, bool armed) {
  if (armed) {
    b->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: rgb(0, 255, 0); border: 1px solid palette(dark); "
        "border-radius: 2px; }"));
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, QColor(0, 255, 0));
    b->setPalette(pal);
  } else {
    b->setStyleSheet(QString());
    // Back to the inherited button face and font: the style sheet left its
    // own font behind, the application's and not the window's.
    b->setPalette(QPalette());
    b->setFont(QFont());
  }
}

struct Sequence {
  int& step;
  QPushButton* button;
  protocol::CalibrationStep low;
  protocol::CalibrationStep high;
};

void Advance(board::Board& board, const Sequence& s) {
  switch (s.step) {
    case 0:
      s.step = 1;
      ShowArmed(s.button, true);
      s.button->setText(kSetLow);
      break;
    case 1:
      board.sendCalibration(s.low);
      s.step = 2;
      s.button->setText(kSetHigh);
      break;
    case 2:
      board.sendCalibration(s.high);
      s.step = 0;
      s.button->setText(kCalibrate);
      ShowArmed(s.button, false);
      break;
    default:
      break;
  }
}

}  // namespace

void MainWindow::onCalibrateXClicked() {
  QPushButton* button = ui_.calibrateXButton;
  button->setEnabled(false);
  if (!board::CanCalibrateX(ui_.analogInputModeList->currentIndex())) {
    showModalMessage(QString::fromLatin1(board::kCalibrateXRefusal));
    // An armed sequence is cancelled without sending anything.
    calibrationStepX_ = 0;
    button->setText(kCalibrate);
    ShowArmed(button, false);
    button->setEnabled(true);
    return;
  }
  Advance(board_, {calibrationStepX_, button, protocol::CalibrationStep::XLow,
                   protocol::CalibrationStep::XHigh});
  button->setEnabled(true);
}

void MainWindow::onCalibrateYClicked() {
  QPushButton* button = ui_.calibrateYButton;
  button->setEnabled(false);
  Advance(board_, {calibrationStepY_, button, protocol::CalibrationStep::YLow,
                   protocol::CalibrationStep::YHigh});
  board_.pause(kYPauseMs);
  button->setEnabled(true);
}

}  // namespace torvex::gui
