// Three clicks calibrate an axis: arm, take the low end, take the high end.
// The board measures the paddle itself; the reports name only axis and end.
#include <QComboBox>
#include <QPushButton>

#include "app/frmMain.h"
#include "protocol/Protocol.h"

namespace p = torvex::protocol;

namespace {

const QString kCalibrate = QStringLiteral("Calibrate");
const QString kSetLow = QStringLiteral("Set Low");
const QString kSetHigh = QStringLiteral("Set High");
constexpr int kThrottleAndBrake = 1;
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
    b->setPalette(QPalette());  // back to the inherited button face
  }
}

struct Sequence {
  int& step;
  QPushButton* button;
  p::CalibrationStep low;
  p::CalibrationStep high;
};

void Advance(frmMain& f, const Sequence& s) {
  switch (s.step) {
    case 0:
      s.step = 1;
      ShowArmed(s.button, true);
      s.button->setText(kSetLow);
      break;
    case 1:
      f.SendCalibrationCommand(static_cast<int>(s.low));
      s.step = 2;
      s.button->setText(kSetHigh);
      break;
    case 2:
      f.SendCalibrationCommand(static_cast<int>(s.high));
      s.step = 0;
      s.button->setText(kCalibrate);
      ShowArmed(s.button, false);
      break;
    default:
      break;
  }
}

}  // namespace

void frmMain::CalibrateX_Click() {
  CalibrateX->setEnabled(false);
  if (analogInputModeCombo->currentIndex() != kThrottleAndBrake) {
    ShowModalMessage(QStringLiteral(
        "Unable to calibrate in Dual clutch mode, switch to 'Brake and Throttle' mode"));
    // An armed sequence is cancelled without sending anything.
    CalibrationStepX = 0;
    CalibrateX->setText(kCalibrate);
    ShowArmed(CalibrateX, false);
    CalibrateX->setEnabled(true);
    return;
  }
  Advance(*this,
          {CalibrationStepX, CalibrateX, p::CalibrationStep::XLow, p::CalibrationStep::XHigh});
  CalibrateX->setEnabled(true);
}

void frmMain::CalibrateY_Click() {
  CalibrateY->setEnabled(false);
  Advance(*this,
          {CalibrationStepY, CalibrateY, p::CalibrationStep::YLow, p::CalibrationStep::YHigh});
  platform().sleep(kYPauseMs);
  CalibrateY->setEnabled(true);
}
