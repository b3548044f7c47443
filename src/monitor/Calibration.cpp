#include "app/frmMain.h"

void frmMain::CalibrateX_Click() {}
void frmMain::CalibrateY_Click() {}
