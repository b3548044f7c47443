// SPDX-License-Identifier: MIT
#include "board/Percent.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace torvex::board {
namespace {

// A double as the user reads it: 15 significant digits in plain notation,
// split into sign, whole part and fraction (no trailing zeros).
struct Decimal {
  bool negative = false;
  std::string whole = "0";
  std::string fraction;
};

Decimal ToDecimal15(double x) {
  Decimal d;
  if (!std::isfinite(x) || x == 0.0) return d;
  char buf[64];
  // d.dddddddddddddde+XX: the digits and the power of ten.
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  std::string s(buf, res.ptr);
  d.negative = s.front() == '-';
  if (d.negative) s.erase(0, 1);
  const auto e = s.find('e');
  const int exponent = std::stoi(s.substr(e + 1));
  std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int wholeDigits = exponent + 1;
  if (wholeDigits <= 0) {
    d.whole = "0";
    d.fraction = std::string(static_cast<std::size_t>(-wholeDigits), '0') + digits;
  } else if (static_cast<std::size_t>(wholeDigits) >= digits.size()) {
    d.whole = digits + std::string(wholeDigits - digits.size(), '0');
  } else {
    d.whole = digits.substr(0, wholeDigits);
    d.fraction = digits.substr(wholeDigits);
  }
  while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
  return d;
}

// Adds one to a string of decimal digits.
std::string Increment(std::string digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return digits;
    }
    *it = '0';
  }
  return "1" + digits;
}

QString Join(bool negative, const std::string& whole, char tenth, QChar separator) {
  QString out;
  if (negative) out += QLatin1Char('-');
  out += QString::fromStdString(whole);
  out += separator;
  out += QLatin1Char(tenth);
  return out;
}

}  // namespace

QString PercentText(double p, QChar separator) {
  const Decimal d = ToDecimal15(p);
  return Join(d.negative, d.whole, d.fraction.empty() ? '0' : d.fraction[0], separator);
}

double SliderPercent(int position, int maximum) {
  return maximum == 0 ? 0.0 : static_cast<double>(position) / maximum * 100.0;
}

QString FormatOneDecimal(double x, QChar separator) {
  Decimal d = ToDecimal15(x);
  char tenth = d.fraction.size() > 0 ? d.fraction[0] : '0';
  const char hundredth = d.fraction.size() > 1 ? d.fraction[1] : '0';
  if (hundredth >= '5') {
    if (tenth == '9') {
      tenth = '0';
      d.whole = Increment(d.whole);
    } else {
      ++tenth;
    }
  }
  return Join(d.negative, d.whole, tenth, separator);
}

std::optional<double> ParseLocaleNumber(const QString& text, const QLocale& locale) {
  bool ok = false;
  const double v = locale.toDouble(text, &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

int SliderPositionFromPercent(double percent, double factor, int minimum, int maximum) {
  const double scaled = std::floor(percent * factor);
  if (!(scaled >= minimum)) return minimum;
  if (scaled > maximum) return maximum;
  return static_cast<int>(scaled);
}

QString ClampDeadZone(const QString& text, double limit, const QLocale& locale, QChar separator) {
  const auto x = ParseLocaleNumber(text, locale);
  // A negative dead zone has no two-byte encoding: it reads as none at all.
  if (!x || *x < 0.0) return FormatOneDecimal(0.0, separator);
  // Compared in double, so an entry beyond any 32-bit whole number is simply
  // above the limit.
  if (std::nearbyint(*x) > limit) return FormatOneDecimal(limit, separator);
  return FormatOneDecimal(*x, separator);
}

std::int32_t PercentToRaw(double percent) {
  const double raw = std::nearbyint(percent * kDeadZoneRawPerPercent);
  if (!(raw >= 0.0)) return 0;
  if (raw > 65535.0) return 65535;
  return static_cast<std::int32_t>(raw);
}

}  // namespace torvex::board
