#include "app/frmMain.h"

void frmMain::FillModeLists() {}
void frmMain::FillPulseWidthList() {}
void frmMain::FillCurveTypeLists() {}
