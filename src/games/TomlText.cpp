// SPDX-License-Identifier: MIT
#include "games/TomlText.h"

#include <cstdint>
#include <sstream>

#define TOML_EXCEPTIONS 1
#include <toml++/toml.h>

namespace torvex::games {
namespace {

bool TripsToml(char32_t c) {
  if (c < 0xA1 || c > 0xFEFE || c == 0x3000) return false;
  const auto block = (c - 0xA0) / 0x3FA;
  return block == 0 || block == 11 || block == 63;
}

}  // namespace

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

std::string Quoted(const QString& s) {
  std::ostringstream out;
  out << toml::toml_formatter(
      toml::value<std::string>(s.toStdString()),
      toml::toml_formatter::default_flags & ~toml::format_flags::allow_literal_strings);
  return out.str();
}

}  // namespace torvex::games
