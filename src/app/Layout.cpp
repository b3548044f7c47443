#include "app/frmMain.h"

void frmMain::BuildLayout() {}
