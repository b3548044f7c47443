#pragma once
// What tests compare on the wire: feature report frames, read-back records,
// and the reports a board received written compactly.

#include <QLocale>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "protocol/Protocol.h"
#include "sim/VirtualPlatform.h"

namespace torvex::test {

using sim::Bytes;

inline const QLocale kEnglish{QLocale::English, QLocale::UnitedStates};
inline const QLocale kGerman{QLocale::German, QLocale::Germany};

// A feature report frame of `length` bytes: header, then zeros.
inline Bytes Frame(std::initializer_list<int> head, std::size_t length = 64) {
  Bytes b(length, 0);
  std::size_t i = 0;
  for (int v : head) b[i++] = static_cast<std::uint8_t>(v);
  return b;
}

// A reply of `length` bytes: kind 1, base code, then the given settings by code.
inline Bytes Record(std::uint8_t base,
                    std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> values,
                    std::size_t length = 64) {
  Bytes r(length, 0);
  r[1] = 1;
  r[2] = base;
  for (auto [code, value] : values) r.at(protocol::RecordOffset(base, code)) = value;
  return r;
}

// Reports a board received as "code:value" in hex, space separated; reports
// of another kind than a setting carry it in front ("3/04:05"). With
// `withTimes`, each is followed by "@ms" of virtual time.
inline std::string Sent(const sim::VirtualPlatform& p, int device = 0, bool withTimes = false) {
  std::string out;
  char item[32];
  for (const auto& e : p.sentTo(device)) {
    const auto& h = e.bytes;
    if (h.size() < 4) continue;
    if (h[1] == 1)
      std::snprintf(item, sizeof item, "%02X:%02X", h[2], h[3]);
    else
      std::snprintf(item, sizeof item, "%d/%02X:%02X", h[1], h[2], h[3]);
    out += (out.empty() ? "" : " ") + std::string(item);
    if (withTimes) out += "@" + std::to_string(e.timeUs / 1000);
  }
  return out;
}

}  // namespace torvex::test
