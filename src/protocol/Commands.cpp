#include "app/frmMain.h"

void frmMain::SendSettingCommand(long long, long long) {}
void frmMain::SendCalibrationCommand(int) {}
void frmMain::SendMonitorCommand(int) {}
void frmMain::Command2_Click() {}
void frmMain::delay_Click() {}
