// SPDX-License-Identifier: MIT
#include "board/SettingNames.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>

#include "board/Percent.h"

namespace torvex::board {
namespace {

constexpr QChar kDot = u'.';
constexpr int kPulseWidthMaxMs = kPulseWidthSteps * kPulseWidthMsPerStep;

struct Entry {
  SettingId id;
  const char* name;
};

constexpr Entry kEntries[] = {
    {SettingId::AnalogMode, "analog-mode"},
    {SettingId::MasterClutch, "master-clutch"},
    {SettingId::ClutchBite, "clutch-bite"},
    {SettingId::RotaryLeft, "rotary-left"},
    {SettingId::RotaryRight, "rotary-right"},
    {SettingId::PulseWidth, "pulse-width"},
    {SettingId::Led, "led"},
    {SettingId::XCurve, "x-curve"},
    {SettingId::YCurve, "y-curve"},
    {SettingId::XCurveNumber, "x-curve-number"},
    {SettingId::YCurveNumber, "y-curve-number"},
    {SettingId::XDeadLow, "x-dead-low"},
    {SettingId::XDeadHigh, "x-dead-high"},
    {SettingId::YDeadLow, "y-dead-low"},
    {SettingId::YDeadHigh, "y-dead-high"},
};

enum class Kind { List, Percent, PulseWidth, CurveNumber, DeadZone };

Kind KindOf(SettingId id) {
  switch (id) {
    case SettingId::ClutchBite:
    case SettingId::Led:
      return Kind::Percent;
    case SettingId::PulseWidth:
      return Kind::PulseWidth;
    case SettingId::XCurveNumber:
    case SettingId::YCurveNumber:
      return Kind::CurveNumber;
    case SettingId::XDeadLow:
    case SettingId::XDeadHigh:
    case SettingId::YDeadLow:
    case SettingId::YDeadHigh:
      return Kind::DeadZone;
    default:
      return Kind::List;
  }
}

QStringList ListEntries(SettingId id) {
  switch (id) {
    case SettingId::AnalogMode:
      return AnalogInputModeNames();
    case SettingId::MasterClutch:
      return MasterClutchNames();
    case SettingId::RotaryLeft:
      return RotaryLeftNames();
    case SettingId::RotaryRight:
      return RotaryRightNames();
    case SettingId::XCurve:
    case SettingId::YCurve:
      return CurveTypeNames();
    default:
      return {};
  }
}

QString Word(const QString& entry) {
  static const QRegularExpression kNotAlnum(QStringLiteral("[^a-z0-9]+"));
  QString w = entry.section(u'/', 0, 0).toLower();
  w.replace(kNotAlnum, QStringLiteral("-"));
  while (w.endsWith(u'-')) w.chop(1);
  while (w.startsWith(u'-')) w.remove(0, 1);
  return w;
}

// The slider's maximum and the factor a typed percentage is multiplied by.
struct Scale {
  int maximum;
  double factor;
};
Scale ScaleOf(SettingId id) {
  return id == SettingId::Led ? Scale{kLedMax, kLedFactor}
                              : Scale{kClutchBiteMax, kClutchBiteFactor};
}

std::optional<double> Number(QStringView text, QStringView unit) {
  QString t = text.trimmed().toString();
  if (!unit.isEmpty() && t.endsWith(unit)) t.chop(unit.size());
  return ParseLocaleNumber(t.trimmed(), QLocale::c());
}

QString Percent(double p) {
  return PercentText(p, kDot);
}

}  // namespace

const std::vector<SettingId>& AllSettings() {
  static const std::vector<SettingId> all = [] {
    std::vector<SettingId> v;
    for (const Entry& e : kEntries) v.push_back(e.id);
    return v;
  }();
  return all;
}

QString SettingName(SettingId id) {
  for (const Entry& e : kEntries)
    if (e.id == id) return QString::fromLatin1(e.name);
  return {};
}

std::optional<SettingId> SettingByName(QStringView name) {
  for (const Entry& e : kEntries)
    if (name == QLatin1StringView(e.name)) return e.id;
  return std::nullopt;
}

QStringList SettingValueWords(SettingId id) {
  // Built once: profiles look words up for every value they read and write.
  static const auto kWords = [] {
    std::vector<QStringList> all(AllSettings().size());
    for (SettingId s : AllSettings())
      for (const QString& entry : ListEntries(s)) all[static_cast<std::size_t>(s)] << Word(entry);
    return all;
  }();
  return kWords[static_cast<std::size_t>(id)];
}

QString AllowedValues(SettingId id) {
  switch (KindOf(id)) {
    case Kind::List:
      return SettingValueWords(id).join(QStringLiteral(", "));
    case Kind::Percent:
      return QStringLiteral("a percentage from 0 to 100");
    case Kind::PulseWidth:
      return QStringLiteral("milliseconds, a multiple of %1 from %1 to %2")
          .arg(kPulseWidthMsPerStep)
          .arg(kPulseWidthMaxMs);
    case Kind::CurveNumber:
      return QStringLiteral("a whole number from %1 to %2")
          .arg(kCurveNumberMin)
          .arg(kCurveNumberMax);
    case Kind::DeadZone:
      return QStringLiteral("a percentage from 0 to %1").arg(kDeadZoneLargestEntry);
  }
  return {};
}

std::optional<int> ParseSettingValue(SettingId id, QStringView text) {
  switch (KindOf(id)) {
    case Kind::List: {
      const int index = static_cast<int>(SettingValueWords(id).indexOf(text.toString()));
      return index >= 0 ? std::optional<int>(index) : std::nullopt;
    }
    case Kind::Percent: {
      const auto p = Number(text, u"%");
      return p ? StoredFromNumber(id, *p) : std::nullopt;
    }
    case Kind::PulseWidth: {
      const auto ms = Number(text, u"ms");
      return ms ? StoredFromNumber(id, *ms) : std::nullopt;
    }
    case Kind::CurveNumber: {
      const auto n = Number(text, {});
      return n ? StoredFromNumber(id, *n) : std::nullopt;
    }
    case Kind::DeadZone: {
      const auto p = Number(text, u"%");
      return p ? StoredFromNumber(id, *p) : std::nullopt;
    }
  }
  return std::nullopt;
}

bool TakesWord(SettingId id) {
  return KindOf(id) == Kind::List;
}

int StoredMax(SettingId id) {
  switch (id) {
    case SettingId::ClutchBite:
    case SettingId::Led:
    case SettingId::XDeadLow:
    case SettingId::XDeadHigh:
    case SettingId::YDeadLow:
    case SettingId::YDeadHigh:
      return 65535;
    default:
      return 255;
  }
}

QString ExactText(SettingId id, int stored) {
  const auto exact = ExactSettingWord(id, stored);
  if (!exact) return QStringLiteral("stored %1").arg(stored);
  switch (KindOf(id)) {
    case Kind::List:
      return SettingText(id, stored);
    case Kind::Percent:
    case Kind::DeadZone:
      return *exact + QStringLiteral(" %");
    case Kind::PulseWidth:
      return *exact + QStringLiteral(" ms");
    case Kind::CurveNumber:
      return *exact;
  }
  return *exact;
}

std::optional<int> StoredFromNumber(SettingId id, double v) {
  const bool whole = v == std::floor(v);
  switch (KindOf(id)) {
    case Kind::List:
      return std::nullopt;
    case Kind::Percent: {
      if (!(v >= 0.0 && v <= 100.0)) return std::nullopt;
      const Scale s = ScaleOf(id);
      return SliderPositionFromPercent(v, s.factor, 0, s.maximum);
    }
    case Kind::PulseWidth: {
      if (!whole || v < kPulseWidthMsPerStep || v > kPulseWidthMaxMs) return std::nullopt;
      const int ms = static_cast<int>(v);
      if (ms % kPulseWidthMsPerStep != 0) return std::nullopt;
      return ms / kPulseWidthMsPerStep;
    }
    case Kind::CurveNumber:
      if (!whole || v < kCurveNumberMin || v > kCurveNumberMax) return std::nullopt;
      return EncodeCurveNumber(static_cast<int>(v));
    case Kind::DeadZone:
      // What the window's field lets through, every decimal kept.
      if (!(v >= 0.0 && v <= kDeadZoneLargestEntry)) return std::nullopt;
      return PercentToRaw(v);
  }
  return std::nullopt;
}

std::optional<QString> ExactSettingWord(SettingId id, int stored) {
  const Kind kind = KindOf(id);
  if (kind == Kind::List) {
    const QStringList words = SettingValueWords(id);
    if (stored < 0 || stored >= words.size()) return std::nullopt;
    return words[stored];
  }
  if (kind == Kind::PulseWidth || kind == Kind::CurveNumber) {
    const int number = kind == Kind::PulseWidth
                           ? stored * kPulseWidthMsPerStep
                           : DecodeCurveNumber(static_cast<std::uint8_t>(stored));
    if (StoredFromNumber(id, number) != stored) return std::nullopt;
    return QString::number(number);
  }
  // A percentage: the middle of the span that names the stored value, then
  // the fewest decimals that still land on it.
  double middle = 0.0;
  if (kind == Kind::DeadZone) {
    middle = stored / kDeadZoneRawPerPercent;
  } else {
    const Scale s = ScaleOf(id);
    middle = stored >= s.maximum ? 100.0 : (stored + 0.5) / s.factor;
  }
  for (int decimals = 0; decimals <= 6; ++decimals) {
    char buf[32];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, middle, std::chars_format::fixed, decimals).ptr;
    double named = 0.0;
    std::from_chars(buf, end, named);
    if (StoredFromNumber(id, named) == stored) return QString::fromLatin1(buf, end - buf);
  }
  return std::nullopt;
}

namespace {

// Calls `f` with the field of `s` that holds setting `id`.
template <class S, class F>
decltype(auto) WithField(S& s, SettingId id, F&& f) {
  switch (id) {
    case SettingId::AnalogMode:
      return f(s.analogInputMode);
    case SettingId::MasterClutch:
      return f(s.masterClutch);
    case SettingId::ClutchBite:
      return f(s.clutchBite);
    case SettingId::RotaryLeft:
      return f(s.rotaryLeft);
    case SettingId::RotaryRight:
      return f(s.rotaryRight);
    case SettingId::PulseWidth:
      return f(s.pulseWidthStep);
    case SettingId::Led:
      return f(s.ledIntensity);
    case SettingId::XCurve:
      return f(s.xCurveType);
    case SettingId::YCurve:
      return f(s.yCurveType);
    case SettingId::XCurveNumber:
      return f(s.xCurveNumber);
    case SettingId::YCurveNumber:
      return f(s.yCurveNumber);
    case SettingId::XDeadLow:
      return f(s.xDeadLow);
    case SettingId::XDeadHigh:
      return f(s.xDeadHigh);
    case SettingId::YDeadLow:
      return f(s.yDeadLow);
    case SettingId::YDeadHigh:
      return f(s.yDeadHigh);
  }
  return f(s.analogInputMode);  // not reached: every id is named above
}

}  // namespace

int StoredValue(const Settings& s, SettingId id) {
  return WithField(s, id, [](const auto& field) { return static_cast<int>(field); });
}

void Store(Settings& s, SettingId id, int v) {
  WithField(s, id,
            [v](auto& field) { field = static_cast<std::remove_reference_t<decltype(field)>>(v); });
}

QString SettingText(SettingId id, int stored) {
  const QString unknown = QStringLiteral("unknown (%1)").arg(stored);
  switch (KindOf(id)) {
    case Kind::List: {
      const QStringList entries = ListEntries(id);
      return stored >= 0 && stored < entries.size() ? entries[stored] : unknown;
    }
    case Kind::Percent:
      return Percent(SliderPercent(stored, ScaleOf(id).maximum)) + QStringLiteral(" %");
    case Kind::PulseWidth:
      return stored >= 1 && stored <= kPulseWidthSteps ? PulseWidthNames()[stored - 1] : unknown;
    case Kind::CurveNumber: {
      const int n = DecodeCurveNumber(static_cast<std::uint8_t>(stored));
      return n >= kCurveNumberMin && n <= kCurveNumberMax ? QString::number(n) : unknown;
    }
    case Kind::DeadZone:
      return Percent(RawToPercent(stored)) + QStringLiteral(" %");
  }
  return unknown;
}

QString SettingWord(SettingId id, int stored) {
  switch (KindOf(id)) {
    case Kind::List: {
      const QStringList words = SettingValueWords(id);
      return stored >= 0 && stored < words.size() ? words[stored] : QString::number(stored);
    }
    case Kind::Percent:
      return Percent(SliderPercent(stored, ScaleOf(id).maximum));
    case Kind::PulseWidth:
      return QString::number(stored * kPulseWidthMsPerStep);
    case Kind::CurveNumber:
      return QString::number(DecodeCurveNumber(static_cast<std::uint8_t>(stored)));
    case Kind::DeadZone:
      return Percent(RawToPercent(stored));
  }
  return QString::number(stored);
}

}  // namespace torvex::board
