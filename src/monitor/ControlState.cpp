#include "app/frmMain.h"

void frmMain::SetControlsEnabled(bool) {}
void frmMain::BuildButtonIndicators(int) {}
