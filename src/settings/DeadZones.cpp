#include "app/frmMain.h"

#include <QLineEdit>

#include "protocol/Protocol.h"
#include "settings/PercentText.h"
#include "settings/TypedKeys.h"

namespace code = torvex::protocol::code;
namespace s = torvex::settings;

namespace {

// Enter commits: the field is limited and reformatted, then what it shows is sent.
void DeadZoneKey(frmMain& f, QLineEdit* field, int lowCode, int& KeyAscii) {
  s::TypeSeparator(f, KeyAscii);
  if (KeyAscii != s::kEnterKey) return;
  field->setText(f.ClampDeadZoneText(field->text(), s::kDeadZoneLimit));
  f.SendWordSetting(lowCode, f.PercentTextToRaw(field->text()));
}

}  // namespace

void frmMain::xDeadLow_KeyPress(int& KeyAscii) {
  DeadZoneKey(*this, xDeadLow, code::SetXDeadLowLsb, KeyAscii);
}

void frmMain::xDeadHigh_KeyPress(int& KeyAscii) {
  DeadZoneKey(*this, xDeadHigh, code::SetXDeadHighLsb, KeyAscii);
}

void frmMain::yDeadLow_KeyPress(int& KeyAscii) {
  DeadZoneKey(*this, yDeadLow, code::SetYDeadLowLsb, KeyAscii);
}

void frmMain::yDeadHigh_KeyPress(int& KeyAscii) {
  DeadZoneKey(*this, yDeadHigh, code::SetYDeadHighLsb, KeyAscii);
}

QString frmMain::ClampDeadZoneText(const QString& text, double limit) const {
  return s::ClampDeadZone(text, limit, locale(), s::EditorSeparator(*this));
}

std::int32_t frmMain::PercentTextToRaw(const QString& text) const {
  const auto x = s::ParseLocaleNumber(text, locale());
  return x ? s::PercentToRaw(*x) : 0;
}

void frmMain::SendWordSetting(int code, std::int32_t value) {
  // The board settles each byte before the next one arrives.
  SendSettingCommand(code, s::LowByte(value));
  platform().sleep(10);
  SendSettingCommand(code + 1, s::HighByte(value));
  platform().sleep(10);
}
