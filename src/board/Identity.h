// SPDX-License-Identifier: MIT
#pragma once
// Identity strings of a board (manufacturer, product, serial number) and its
// version number, as the window shows and compares them.

#include <QString>
#include <cstdint>
#include <string_view>

namespace torvex::board {

// A board answers an identity request into 100 bytes: at most 50 UTF-16 units.
inline constexpr std::size_t kMaxIdentityUnits = 50;

// The whole text up to the first zero unit, at most kMaxIdentityUnits units;
// a surrogate pair that would straddle the limit is left out whole.
QString IdentityText(std::u16string_view units);

// " major.minor": major = high byte in decimal, minor = low byte in upper-case
// hex without leading zeros (0x0210 -> " 2.10", 0x80FF -> " 128.FF").
QString VersionLabel(std::uint16_t versionNumber);

}  // namespace torvex::board
