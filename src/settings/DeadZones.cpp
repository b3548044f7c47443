#include "app/frmMain.h"

void frmMain::xDeadLow_KeyPress(int&) {}
void frmMain::xDeadHigh_KeyPress(int&) {}
void frmMain::yDeadLow_KeyPress(int&) {}
void frmMain::yDeadHigh_KeyPress(int&) {}
QString frmMain::ClampDeadZoneText(const QString&, double) const { return {}; }
std::int32_t frmMain::PercentTextToRaw(const QString&) const { return 0; }
void frmMain::SendWordSetting(int, std::int32_t) {}
