// SPDX-License-Identifier: MIT
// Any typed text in one of several locales through the typed-number rules:
// slider positions stay in range, dead zones stay within the limit, raw
// values fit two bytes, and every percent text has the one-decimal shape.
#include <QLocale>
#include <QRegularExpression>
#include <QString>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "board/Percent.h"

namespace s = torvex::board;

namespace {

const std::array<QLocale, 8>& Locales() {
  static const std::array<QLocale, 8> all{
      QLocale::c(),
      QLocale(QLocale::English, QLocale::UnitedStates),
      QLocale(QLocale::German, QLocale::Germany),
      QLocale(QLocale::French, QLocale::France),       // narrow no-break space groups
      QLocale(QLocale::German, QLocale::Switzerland),  // apostrophe groups
      QLocale(QLocale::Swedish, QLocale::Sweden),      // U+2212 minus
      QLocale(QLocale::Arabic, QLocale::Egypt),        // Arabic digits and separator
      QLocale(QLocale::Hindi, QLocale::India),         // lakh grouping
  };
  return all;
}

// "-?digits<sep>digit", read back as a double.
double OneDecimalValue(const QString& text, QChar sep) {
  static const QRegularExpression shape(QStringLiteral("^-?[0-9]+.[0-9]$"));
  FUZZ_CHECK(shape.match(text).hasMatch());
  FUZZ_CHECK(text.at(text.size() - 2) == sep);
  QString plain = text;
  plain[plain.size() - 2] = QLatin1Char('.');
  bool ok = false;
  const double v = plain.toDouble(&ok);
  FUZZ_CHECK(ok);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const QLocale& locale = Locales()[data[0] % Locales().size()];
  const QChar sep = locale.decimalPoint().at(0);
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

  const auto x = s::ParseLocaleNumber(text, locale);
  if (x) {
    FUZZ_CHECK(std::isfinite(*x));
    const int clutch = s::SliderPositionFromPercent(*x, s::kClutchBiteFactor, 0, 65535);
    FUZZ_CHECK(clutch >= 0 && clutch <= 65535);
    const int led = s::SliderPositionFromPercent(*x, s::kLedFactor, 0, 255);
    FUZZ_CHECK(led >= 0 && led <= 255);
    const auto raw = s::PercentToRaw(*x);
    FUZZ_CHECK(raw >= 0 && raw <= 65535);
    // The slider's own text never shows more than 100 %.
    const double shown = OneDecimalValue(s::PercentText(s::SliderPercent(led, 255), sep), sep);
    FUZZ_CHECK(shown >= 0.0 && shown <= 100.0);
  }

  const QString clamped = s::ClampDeadZone(text, s::kDeadZoneLimit, locale, sep);
  const double dz = OneDecimalValue(clamped, sep);
  FUZZ_CHECK(dz >= 0.0 && dz <= 10.5);
  if (!x) FUZZ_CHECK(dz == 0.0);

  // The raw bytes as a double through the percent text rule.
  if (size >= 9) {
    double p;
    std::memcpy(&p, data + 1, sizeof p);
    const QString t = s::PercentText(p, sep);
    if (std::isfinite(p) && std::fabs(p) < 1e15) {
      const double v = OneDecimalValue(t, sep);
      FUZZ_CHECK(std::fabs(v) <= std::fabs(p) * (1 + 1e-14) + 1e-9);  // truncated, never up
      FUZZ_CHECK(std::fabs(p) - std::fabs(v) < 0.1 + 1e-14 * std::fabs(p) + 1e-9);
    }
  }
  return 0;
}
