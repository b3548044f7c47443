#include "app/frmMain.h"

void frmMain::UpdateClutchBiteLabel() {}
void frmMain::UpdateLedLabel() {}
QString frmMain::ClutchBitePercentText() const { return {}; }
QString frmMain::LedPercentText() const { return {}; }
QString frmMain::FormatRawPercent(std::int32_t) const { return {}; }
void frmMain::SuspendBiteRefresh(int) {}
void frmMain::clutchBiteSlider_MouseDown() {}
void frmMain::clutchBiteSlider_MouseUp() {}
void frmMain::clutchBiteSlider_Scroll() {}
void frmMain::clutchBiteSlider_Click() {}
void frmMain::ledSlider_Scroll() {}
void frmMain::ledSlider_Click() {}
void frmMain::sliderRefreshTimer_Timer() {}
void frmMain::clutchBitePercentLabel_KeyPress(int&) {}
void frmMain::ledPercentLabel_KeyPress(int&) {}
