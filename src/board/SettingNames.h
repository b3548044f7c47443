// SPDX-License-Identifier: MIT
#pragma once
// Every stored setting by the name a command line gives it, with the values a
// person may type for it and how they become the board's units. The rules are
// the window's: a typed percentage lands on the same slider position, a dead
// zone on the same raw value, a list entry on the same index.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

#include "board/Settings.h"

namespace torvex::board {

// In the order the settings are sent: the left rotary input before the right
// one, so a pairing the left one leaves is undone before the right one is set.
enum class SettingId {
  AnalogMode,
  MasterClutch,
  ClutchBite,
  RotaryLeft,
  RotaryRight,
  PulseWidth,
  Led,
  XCurve,
  YCurve,
  XCurveNumber,
  YCurveNumber,
  XDeadLow,
  XDeadHigh,
  YDeadLow,
  YDeadHigh,
};

const std::vector<SettingId>& AllSettings();
QString SettingName(SettingId id);  // "clutch-bite"
std::optional<SettingId> SettingByName(QStringView name);

// The words a list setting takes, by stored value: the window's entry in lower
// case, spaces and brackets as hyphens, and of "A/B" only A
// ("Shift (R-Encoder)" -> "shift-r-encoder", "Progressive/Degressive" ->
// "progressive"). Empty for settings that take a number.
QStringList SettingValueWords(SettingId id);
// What the setting takes, for help and error texts.
QString AllowedValues(SettingId id);

// A number in the setting's unit (percent, ms, curve number) in the stored
// units; nothing for a list setting or a number it does not take. Dead zones
// keep every decimal here: only the typed entry is cut to one.
std::optional<int> StoredFromNumber(SettingId id, double number);
// The shortest value that names exactly this stored value again (a list word,
// or a number with as many decimals as it takes); nothing for a value no
// entry can name (an unknown list index, a dead zone beyond the limit...).
std::optional<QString> ExactSettingWord(SettingId id, int stored);
// Whether the setting takes a list word rather than a number.
bool TakesWord(SettingId id);
// The largest value the board can store for it: 255 for one byte, 65535 for two.
int StoredMax(SettingId id);
// Exact and with its unit, so two stored values never read the same:
// "50.0016 %", "64 ms", "Throttle and Brake"; "stored 7000" for a value no
// entry names.
QString ExactText(SettingId id, int stored);

// A typed value in the stored units; nothing when it is not allowed. Numbers
// use a dot and keep every decimal; a percentage may end in "%", a pulse width
// in "ms".
std::optional<int> ParseSettingValue(SettingId id, QStringView text);

int StoredValue(const Settings& s, SettingId id);
void Store(Settings& s, SettingId id, int value);

// What a person reads for a stored value: "Throttle and Brake", "36.6 %",
// "64 ms", "-2"; a value the board should not hold reads "unknown (7)".
QString SettingText(SettingId id, int stored);
// The value to type to get it back: "throttle-and-brake", "36.6", "64", "-2".
QString SettingWord(SettingId id, int stored);

}  // namespace torvex::board
