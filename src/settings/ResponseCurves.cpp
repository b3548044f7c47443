#include "app/frmMain.h"

#include <QComboBox>
#include <QSlider>

#include "protocol/Protocol.h"
#include "settings/PercentText.h"

namespace code = torvex::protocol::code;
using torvex::settings::EncodeCurveNumber;

void frmMain::xClutchCurveCombo_Click() {
  SendSettingCommand(code::SetXCurveType, xClutchCurveCombo->currentIndex());
  UpdateCurveNumberSliders();
  ClearCurveChart();
}

void frmMain::yClutchCurveCombo_Click() {
  SendSettingCommand(code::SetYCurveType, yClutchCurveCombo->currentIndex());
  UpdateCurveNumberSliders();
  ClearCurveChart();
}

// sliderPosition, not value: while a drag or key action is reported the value
// has not caught up yet.
void frmMain::xSliderCurveNumber_Scroll() {
  SendSettingCommand(code::SetXCurveNumber,
                     EncodeCurveNumber(xSliderCurveNumber->sliderPosition()));
  ClearCurveChart();
}

void frmMain::xSliderCurveNumber_Click() {
  xSliderCurveNumber_Scroll();
}

void frmMain::ySliderCurveNumber_Scroll() {
  SendSettingCommand(code::SetYCurveNumber,
                     EncodeCurveNumber(ySliderCurveNumber->sliderPosition()));
  ClearCurveChart();
}

void frmMain::ySliderCurveNumber_Click() {
  ySliderCurveNumber_Scroll();
}

void frmMain::UpdateCurveNumberSliders() {
  // "Linear" has no curve number; the slider keeps its position meanwhile.
  xSliderCurveNumber->setEnabled(xClutchCurveCombo->currentIndex() != 0);
  ySliderCurveNumber->setEnabled(yClutchCurveCombo->currentIndex() != 0);
}
