#include "app/frmMain.h"

void frmMain::xClutchCurveCombo_Click() {}
void frmMain::yClutchCurveCombo_Click() {}
void frmMain::xSliderCurveNumber_Scroll() {}
void frmMain::xSliderCurveNumber_Click() {}
void frmMain::ySliderCurveNumber_Scroll() {}
void frmMain::ySliderCurveNumber_Click() {}
void frmMain::UpdateCurveNumberSliders() {}
