// SPDX-License-Identifier: MIT
#include "board/Profile.h"

#include <sstream>
#include <string>
#include <string_view>

#define TOML_EXCEPTIONS 1
#include <toml++/toml.h>

namespace torvex::board {
namespace {

const QString kFormatKey = QStringLiteral("format");
constexpr int kFirstFormat = 1;
constexpr int kStoredValuesFormat = 2;  // `{ stored = N }`

int LineOf(const toml::node& n) {
  return static_cast<int>(n.source().begin.line);
}

// toml++ 3.3 reaches __builtin_unreachable when it asks whether one of these
// is whitespace (its table misses U+00A1..U+0499, U+2C5E..U+3057 and
// U+FB26..U+FEFE, three exceptions aside), and it asks in many places.
bool TripsToml(char32_t c) {
  if (c < 0xA1 || c > 0xFEFE || c == 0x3000) return false;
  const auto block = (c - 0xA0) / 0x3FA;
  return block == 0 || block == 11 || block == 63;
}

// Such characters as escapes (U+00E9 as \\u00E9): the same text in a quoted string, harmless in a
// comment, and refused elsewhere as any stray character is. Lines keep their
// numbers. An accented letter in a comment or a product name is common.
QByteArray WithoutTrippingChars(const QByteArray& b) {
  QByteArray out;
  out.reserve(b.size());
  for (qsizetype i = 0; i < b.size(); ++i) {
    const auto lead = static_cast<std::uint8_t>(b[i]);
    // Two- and three-byte sequences hold them all; broken ones toml++ refuses.
    const int extra = lead >= 0xF0 ? 0 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = lead & (0x3F >> extra);
    bool whole = extra > 0 && i + extra < b.size();
    for (int k = 1; whole && k <= extra; ++k) {
      const auto next = static_cast<std::uint8_t>(b[i + k]);
      whole = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (whole && TripsToml(c)) {
      out += "\\u" + QByteArray::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, '0');
      i += extra;
    } else {
      out += b[i];
    }
  }
  return out;
}

// A TOML basic string, quotes and escapes included: never a literal one,
// where the escapes read above would not be read back as the same text.
std::string Quoted(const QString& s) {
  std::ostringstream out;
  out << toml::toml_formatter(
      toml::value<std::string>(s.toStdString()),
      toml::toml_formatter::default_flags & ~toml::format_flags::allow_literal_strings);
  return out.str();
}

QString KindName(const toml::node& n) {
  switch (n.type()) {
    case toml::node_type::string:
      return QStringLiteral("text");
    case toml::node_type::integer:
    case toml::node_type::floating_point:
      return QStringLiteral("a number");
    case toml::node_type::boolean:
      return QStringLiteral("true/false");
    case toml::node_type::table:
      return QStringLiteral("a table");
    case toml::node_type::array:
      return QStringLiteral("a list");
    default:
      return QStringLiteral("a date");
  }
}

QString Key(std::string_view k) {
  return QString::fromUtf8(k.data(), static_cast<qsizetype>(k.size()));
}

// Reads one file; the first fault found ends it.
class Reader {
 public:
  ProfileParse read(const QByteArray& bytes) {
    Profile p;
    if (parse(bytes, p)) out_.profile = p;
    return out_;
  }

 private:
  bool parse(const QByteArray& bytes, Profile& p) {
    if (bytes.trimmed().isEmpty()) return fail(0, {}, QStringLiteral("the file is empty"));
    if (bytes.size() > kProfileMaxBytes)
      return fail(0, {}, QStringLiteral("the file is too large for a profile"));
    const QByteArray text = WithoutTrippingChars(bytes);
    toml::table root;
    try {
      root = toml::parse(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    } catch (const toml::parse_error& e) {
      return fail(static_cast<int>(e.source().begin.line), {},
                  QStringLiteral("not a valid profile (") + Key(e.description()) + ")");
    }
    const toml::node* format = root.get("format");
    if (!format) return fail(0, kFormatKey, QStringLiteral("missing: not a torvex-config profile"));
    const auto version = format->value_exact<std::int64_t>();
    if (!version || *version < 1)
      return fail(LineOf(*format), kFormatKey,
                  QStringLiteral("takes a format version, a whole number from 1"));
    newer_ = *version > kProfileFormat;
    version_ = *version;
    for (auto&& [key, node] : root)
      if (key != "format" && key != "origin" && key != "settings") return unknown(key, node);
    return readOrigin(root, p.origin) && readSettings(root, p.settings);
  }

  bool fail(int line, const QString& field, const QString& message) {
    out_.error = {line, field, message};
    return false;
  }

  bool unknown(const toml::key& key, const toml::node& node, const QString& table = {}) {
    const QString field = table.isEmpty() ? Key(key.str()) : table + "." + Key(key.str());
    return fail(LineOf(node), field,
                newer_ ? QStringLiteral("written by a newer version (format %1) and not "
                                        "known to this one")
                             .arg(version_)
                       : QStringLiteral("not a field of a profile"));
  }

  const toml::table* table(const toml::table& root, const char* name, bool required) {
    const toml::node* n = root.get(name);
    if (!n) {
      if (required) fail(0, QString::fromLatin1(name), QStringLiteral("missing"));
      return nullptr;
    }
    if (!n->is_table()) {
      fail(LineOf(*n), QString::fromLatin1(name), "takes a table, not " + KindName(*n));
      return nullptr;
    }
    return n->as_table();
  }

  bool readOrigin(const toml::table& root, ProfileOrigin& origin) {
    const toml::table* t = table(root, "origin", false);
    if (!t) return out_.error.message.isEmpty();
    for (auto&& [key, node] : *t) {
      const QString field = "origin." + Key(key.str());
      if (key == "serial" || key == "product") {
        const auto text = node.value_exact<std::string>();
        if (!text) return fail(LineOf(node), field, "takes text, not " + KindName(node));
        (key == "serial" ? origin.serial : origin.product) = QString::fromStdString(*text);
      } else if (key == "saved") {
        const auto* when = node.as_date_time();
        if (!when) return fail(LineOf(node), field, "takes a date and time, not " + KindName(node));
        const toml::date_time& d = when->get();
        QDateTime saved(QDate(d.date.year, d.date.month, d.date.day),
                        QTime(d.time.hour, d.time.minute, d.time.second));
        if (d.offset) saved.setOffsetFromUtc(d.offset->minutes * 60);
        origin.saved = saved;
      } else {
        return unknown(key, node, QStringLiteral("origin"));
      }
    }
    return true;
  }

  bool readSettings(const toml::table& root, Settings& s) {
    const toml::table* t = table(root, "settings", true);
    if (!t) return false;
    for (auto&& [key, node] : *t)
      if (!SettingByName(Key(key.str()))) return unknown(key, node, QStringLiteral("settings"));
    bool rotaryAsStored = false;
    for (SettingId id : AllSettings()) {
      const QString name = SettingName(id);
      const toml::node* n = t->get(name.toStdString());
      if (!n) return fail(LineOf(*t), name, QStringLiteral("missing"));
      if (n->is_table()) {
        const auto stored = storedForm(id, *n->as_table());
        if (!stored)
          return fail(LineOf(*n), name,
                      QStringLiteral("takes { stored = N }, N a whole number from 0 to %1")
                          .arg(StoredMax(id)));
        rotaryAsStored |= id == SettingId::RotaryLeft || id == SettingId::RotaryRight;
        Store(s, id, *stored);
        continue;
      }
      const auto stored = TakesWord(id) ? word(id, *n) : number(id, *n);
      if (!stored) return fail(LineOf(*n), name, "takes " + AllowedValues(id));
      Store(s, id, *stored);
    }
    // Words follow the window's pairing rule; a stored value is taken as it is.
    const QString pairing = RotaryPairingProblem(s.rotaryLeft, s.rotaryRight);
    if (!rotaryAsStored && !pairing.isEmpty())
      return fail(LineOf(*t->get("rotary-right")), QStringLiteral("rotary-right"), pairing);
    return true;
  }

  static std::optional<int> storedForm(SettingId id, const toml::table& t) {
    const toml::node* n = t.get("stored");
    if (!n || t.size() != 1) return std::nullopt;
    const auto v = n->value_exact<std::int64_t>();
    if (!v || *v < 0 || *v > StoredMax(id)) return std::nullopt;
    return static_cast<int>(*v);
  }

  static std::optional<int> word(SettingId id, const toml::node& n) {
    const auto text = n.value_exact<std::string>();
    if (!text) return std::nullopt;
    const auto index = SettingValueWords(id).indexOf(QString::fromStdString(*text));
    return index >= 0 ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
  }

  static std::optional<int> number(SettingId id, const toml::node& n) {
    if (!n.is_number()) return std::nullopt;
    return StoredFromNumber(id, *n.value<double>());
  }

  ProfileParse out_;
  bool newer_ = false;
  std::int64_t version_ = 0;
};

}  // namespace

QString ProfileError::text() const {
  QString where;
  if (line > 0) where = QStringLiteral("line %1").arg(line);
  if (!field.isEmpty()) where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + field;
  return where.isEmpty() ? message : where + ": " + message;
}

QString RotaryPairingProblem(int left, int right) {
  if (left == right || (!IsRotaryPairing(left) && !IsRotaryPairing(right))) return {};
  return QStringLiteral("a pairing (%1 / %2) needs the same pairing on both rotary inputs")
      .arg(SettingValueWords(SettingId::RotaryLeft).mid(3).join('|'),
           SettingValueWords(SettingId::RotaryRight).mid(3).join('|'));
}

QByteArray ProfileText(const Profile& p) {
  // The window sets a pairing on both inputs; one held on one input alone has
  // no words that read back as it.
  const bool oddPairing =
      !RotaryPairingProblem(p.settings.rotaryLeft, p.settings.rotaryRight).isEmpty();
  bool anyStored = false;
  std::string settings = "\n[settings]\n";
  for (SettingId id : AllSettings()) {
    const int stored = StoredValue(p.settings, id);
    auto value = ExactSettingWord(id, stored);
    if (id == SettingId::RotaryRight && oddPairing) value.reset();
    settings += "# " + AllowedValues(id).toStdString() + "\n";
    const std::string name = SettingName(id).toStdString();
    if (!value) {
      anyStored = true;
      const QString held = id == SettingId::RotaryRight && oddPairing
                               ? QStringLiteral("a rotary pairing on one input alone")
                               : SettingText(id, stored);
      settings += "# The board holds a value the window does not offer (" + held.toStdString() +
                  "): kept exactly as stored.\n";
      settings += name + " = { stored = " + std::to_string(stored) + " }\n";
    } else {
      settings += name + " = " + (TakesWord(id) ? Quoted(*value) : value->toStdString()) + "\n";
    }
  }
  std::string text =
      "# torvex-config profile: every setting a Torvex wheel board stores.\n"
      "# Apply it with \"Profiles...\" in the window or `torvex-ctl apply FILE`.\n"
      "# Each value may be edited within what its comment allows; a value that\n"
      "# is not allowed refuses the whole file, and nothing is sent.\n\n";
  text += "format = " + std::to_string(anyStored ? kStoredValuesFormat : kFirstFormat) +
          "\n\n[origin]\n";
  text += "serial = " + Quoted(p.origin.serial) + "\n";
  text += "product = " + Quoted(p.origin.product) + "\n";
  if (p.origin.saved.isValid())
    text += "saved = " +
            p.origin.saved.toOffsetFromUtc(p.origin.saved.offsetFromUtc())
                .toString(Qt::ISODate)
                .toStdString() +
            "\n";
  return QByteArray::fromStdString(text + settings);
}

ProfileParse ParseProfile(const QByteArray& bytes) {
  return Reader().read(bytes);
}

}  // namespace torvex::board
