// SPDX-License-Identifier: MIT
#pragma once
// Pure rules of the settings editor: how percentages are written and read,
// how a typed entry becomes a slider position or a raw dead zone, and how the
// curve number travels on the wire. No widgets; the window passes in its
// locale and decimal separator.

#include <QChar>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace torvex::board {

// Typed percent x becomes slider position floor(x * factor). The clutch factor
// is 656 (not 655.35): what the board expects, so 50 % lands on 32800.
inline constexpr double kClutchBiteFactor = 656.0;
inline constexpr double kLedFactor = 2.56;

// Dead zones: raw = percent x 655 (100 % would be 65500); entries above
// 10 % are limited.
inline constexpr double kDeadZoneRawPerPercent = 655.0;
inline constexpr double kDeadZoneLimit = 10.0;
// The largest entry that limit lets through: it is judged on the entry rounded
// to a whole number (halves to even), so 10.5 passes as 6878.
inline constexpr double kDeadZoneLargestEntry = 10.5;

// p rounded to 15 significant digits, then truncated toward zero to one
// decimal: 12.99 -> "12.9", 19.999999999999996 -> "20.0", 100 -> "100.0".
QString PercentText(double p, QChar separator);

// Position of a slider as a percentage of its maximum (0 for a maximum of 0).
double SliderPercent(int position, int maximum);

// The "0.0" pattern: one decimal, halves away from zero, judged on the
// 15-digit decimal value so that 1.05 gives "1.1" as the user expects.
QString FormatOneDecimal(double x, QChar separator);

// A finite number in the locale, white space around it allowed; nothing for
// anything else (empty text, letters, "inf", "nan", out of double range).
std::optional<double> ParseLocaleNumber(const QString& text, const QLocale& locale);

// floor(percent * factor), limited to [minimum, maximum].
int SliderPositionFromPercent(double percent, double factor, int minimum, int maximum);

// The committed dead-zone text: not a number or negative -> "0.0"; a whole
// number (halves to even) above the limit -> the limit; else the entry, all
// in the "0.0" pattern. Huge entries count as above the limit.
QString ClampDeadZone(const QString& text, double limit, const QLocale& locale, QChar separator);

// percent x 655, halves to even, kept to what two bytes can carry (0..65535).
std::int32_t PercentToRaw(double percent);
inline double RawToPercent(std::int32_t raw) {
  return raw / kDeadZoneRawPerPercent;
}

// Curve number slider position -5..5 <-> wire byte 0..10.
constexpr int EncodeCurveNumber(int position) {
  return position + 5;
}
constexpr int DecodeCurveNumber(std::uint8_t deviceByte) {
  return deviceByte - 5;
}

// Two-byte settings: low byte with code N, high byte with code N + 1.
constexpr long long LowByte(long long v) {
  return v % 256;
}
constexpr long long HighByte(long long v) {
  return v >= 0 ? v / 256 : -((-v + 255) / 256);
}

}  // namespace torvex::board
