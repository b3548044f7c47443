// SPDX-License-Identifier: MIT
#pragma once
// Text handed to and taken from toml++ 3.3, which the links file shares with
// profiles but not through the board core, which games must not include.

#include <QByteArray>
#include <QString>
#include <string>

namespace torvex::games {

// toml++ 3.3 reaches __builtin_unreachable when it asks whether some
// characters are whitespace (U+00A1..U+0499, U+2C5E..U+3057, U+FB26..U+FEFE,
// three exceptions aside): these become \uXXXX escapes, the same text in a
// quoted string and harmless in a comment. Lines keep their numbers.
QByteArray WithoutTrippingChars(const QByteArray& text);

// A TOML basic string, quotes and escapes included: never a literal string,
// where the escapes above would not read back as the same text.
std::string Quoted(const QString& s);

}  // namespace torvex::games
