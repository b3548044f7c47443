#include "app/frmMain.h"

#include <QComboBox>

#include "protocol/Protocol.h"

namespace code = torvex::protocol::code;

namespace {

// Indexes 3 and 4 pair the two rotary inputs: one is the shift of the
// other's encoder.
bool IsPairing(int index) {
  return index == 3 || index == 4;
}

}  // namespace

void frmMain::analogInputModeCombo_Click() {
  SendSettingCommand(code::SetAnalogInputMode, analogInputModeCombo->currentIndex());
}

void frmMain::masterClutchModeCombo_Click() {
  SendSettingCommand(code::SetMasterClutchMode, masterClutchModeCombo->currentIndex());
}

void frmMain::rotarySwitchLeftCombo_Click() {
  const int left = rotarySwitchLeftCombo->currentIndex();
  SendSettingCommand(code::SetRotarySwitchLeftMode, left);
  if (IsPairing(left)) {
    // Runs the right list's handler first when its index changes.
    rotarySwitchRightCombo->setCurrentIndex(left);
    SendSettingCommand(code::SetRotarySwitchRightMode, rotarySwitchRightCombo->currentIndex());
  }
  ApplyRotaryPairing();
}

void frmMain::rotarySwitchRightCombo_Click() {
  const int right = rotarySwitchRightCombo->currentIndex();
  SendSettingCommand(code::SetRotarySwitchRightMode, right);
  if (IsPairing(right)) {
    rotarySwitchLeftCombo->setCurrentIndex(right);
    SendSettingCommand(code::SetRotarySwitchLeftMode, rotarySwitchLeftCombo->currentIndex());
  }
  ApplyRotaryPairing();
}

void frmMain::ApplyRotaryPairing() {
  // The left list owns a pairing: the right one just follows it.
  if (IsPairing(rotarySwitchLeftCombo->currentIndex())) {
    rotarySwitchRightCombo->setEnabled(false);
    return;
  }
  // A pairing left behind in the right list alone is undone.
  if (IsPairing(rotarySwitchRightCombo->currentIndex())) {
    rotarySwitchRightCombo->setEnabled(true);
    rotarySwitchRightCombo->setCurrentIndex(0);
    SendSettingCommand(code::SetRotarySwitchRightMode, rotarySwitchRightCombo->currentIndex());
  }
}
