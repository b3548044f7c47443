#include "app/frmMain.h"

void frmMain::Scan_USB_devices() {}
bool frmMain::FindTheHid() { return false; }
void frmMain::SerNo_Click() {}
void frmMain::GetDeviceCapabilities() {}
void frmMain::CreateReadEvent() {}
