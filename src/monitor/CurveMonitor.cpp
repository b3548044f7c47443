#include "app/frmMain.h"

void frmMain::checkCurves_Click(int) {}
void frmMain::ToggleCurveMonitor(int) {}
void frmMain::ClearCurveChart() {}
void frmMain::Command1_Click() {}
