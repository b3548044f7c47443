#include "app/frmMain.h"

void frmMain::ReadDeviceConfiguration() {}
void frmMain::RefreshDeviceStatus() {}
