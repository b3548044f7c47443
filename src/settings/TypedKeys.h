#pragma once
// Keys of the editor's percent fields, shared by the clutch, LED and dead-zone
// handlers.
#include "app/frmMain.h"

namespace torvex::settings {

inline constexpr int kEnterKey = 13;

// The window's decimal separator; before start-up has set it, the locale's.
inline QChar EditorSeparator(const frmMain& f) {
  return f.DecimalSeparator.isNull() ? f.locale().decimalPoint().at(0) : f.DecimalSeparator;
}

// "." and "," both type the locale's decimal separator.
inline void TypeSeparator(const frmMain& f, int& KeyAscii) {
  if (KeyAscii == '.' || KeyAscii == ',') KeyAscii = EditorSeparator(f).unicode();
}

}  // namespace torvex::settings
