// SPDX-License-Identifier: MIT
#pragma once
// What tests compare on the wire: feature report frames, bytes written in
// hex, and the reports a board received written compactly.

#include <QLocale>
#include <QStringList>
#include <initializer_list>
#include <ostream>
#include <string>

#include "protocol/Protocol.h"
#include "sim/VirtualPlatform.h"

// A failing check shows a QString as text, not as a list of bytes.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace torvex::test {

using sim::Bytes;

inline const QLocale kEnglish{QLocale::English, QLocale::UnitedStates};
inline const QLocale kGerman{QLocale::German, QLocale::Germany};

// A feature report frame of `length` bytes: header, then zeros.
inline Bytes Frame(std::initializer_list<int> head, std::size_t length = 64) {
  Bytes b(head.begin(), head.end());
  b.resize(length);
  return b;
}

// "00 01 40" as bytes, cut or padded with zeros to `length` when given.
inline Bytes Hex(const std::string& text, std::size_t length = 0) {
  const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(text));
  Bytes out(bytes.begin(), bytes.end());
  if (length) out.resize(length);
  return out;
}

// Reports a board received as "code:value" in hex, space separated; reports
// of another kind than a setting carry it in front ("3/04:05"). With
// `withTimes`, each is followed by "@ms" of virtual time.
inline std::string Sent(const sim::VirtualPlatform& p, int device = 0, bool withTimes = false) {
  QStringList out;
  for (const auto& e : p.sentTo(device)) {
    const auto& h = e.bytes;
    if (h.size() < 4) continue;
    out << (h[1] == 1 ? QString() : QString::number(h[1]) + "/") +
               QString::asprintf("%02X:%02X", h[2], h[3]) +
               (withTimes ? "@" + QString::number(e.timeUs / 1000) : QString());
  }
  return out.join(' ').toStdString();
}

}  // namespace torvex::test
