#include "app/frmMain.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace {

constexpr int kPulseWidthSteps = 25;
constexpr int kPulseWidthMsPerStep = 8;
constexpr int kDefaultPulseWidthIndex = 7;  // 64 ms

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

void frmMain::FillModeLists() {
  Refill(analogInputModeCombo, {"Dual Clutch", "Throttle and Brake"});
  Refill(masterClutchModeCombo, {"Left", "Right"});
  // Indexes 3 and 4 name the two pairings; each has the same index in both lists.
  Refill(rotarySwitchLeftCombo, {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder",
                                 "Shift (R-Encoder)", "Encoder (R-Shifted)"});
  Refill(rotarySwitchRightCombo, {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder",
                                  "Encoder (L-Shifted)", "Shift (L-Encoder)"});
}

void frmMain::FillPulseWidthList() {
  QStringList widths;
  for (int step = 1; step <= kPulseWidthSteps; ++step)
    widths << QString::number(step * kPulseWidthMsPerStep) + " ms";
  Refill(delay, widths);
  delay->setCurrentIndex(kDefaultPulseWidthIndex);
}

void frmMain::FillCurveTypeLists() {
  {
    const QSignalBlocker quietX(xClutchCurveCombo);
    const QSignalBlocker quietY(yClutchCurveCombo);
    // Appending selects nothing: a list keeps the selection it had.
    const int xBefore = xClutchCurveCombo->currentIndex();
    const int yBefore = yClutchCurveCombo->currentIndex();
    for (const char* type : {"Linear", "S-Curve", "Progressive/Degressive"}) {
      xClutchCurveCombo->addItem(type);
      yClutchCurveCombo->addItem(type);
    }
    xClutchCurveCombo->setCurrentIndex(xBefore);
    yClutchCurveCombo->setCurrentIndex(yBefore);
  }
  xClutchCurveCombo->setCurrentIndex(0);
  yClutchCurveCombo->setCurrentIndex(0);
}
