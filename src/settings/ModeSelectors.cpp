#include "app/frmMain.h"

void frmMain::analogInputModeCombo_Click() {}
void frmMain::masterClutchModeCombo_Click() {}
void frmMain::rotarySwitchLeftCombo_Click() {}
void frmMain::rotarySwitchRightCombo_Click() {}
void frmMain::ApplyRotaryPairing() {}
