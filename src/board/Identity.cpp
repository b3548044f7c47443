// SPDX-License-Identifier: MIT
#include "board/Identity.h"

namespace torvex::board {

QString IdentityText(std::u16string_view units) {
  const auto zero = units.find(u'\0');
  if (zero != std::u16string_view::npos) units = units.substr(0, zero);
  if (units.size() > kMaxIdentityUnits) {
    std::size_t keep = kMaxIdentityUnits;
    // Cutting between the halves of a pair would leave a broken character.
    if (QChar::isHighSurrogate(units[keep - 1]) && QChar::isLowSurrogate(units[keep])) --keep;
    units = units.substr(0, keep);
  }
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

QString VersionLabel(std::uint16_t versionNumber) {
  const int major = versionNumber >> 8;
  const int minor = versionNumber & 0xFF;
  return QStringLiteral(" %1.%2").arg(major).arg(QString::number(minor, 16).toUpper());
}

}  // namespace torvex::board
