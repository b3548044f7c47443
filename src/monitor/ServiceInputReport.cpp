#include "app/frmMain.h"

void frmMain::ServiceInputReport() {}
