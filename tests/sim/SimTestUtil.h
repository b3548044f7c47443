#pragma once
// Small helpers for the emulated board's tests: hex frames and sent reports.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/Protocol.h"

namespace torvex::sim::testutil {

using Bytes = std::vector<std::uint8_t>;

// "00 01 40" -> bytes, padded with zeros to `length` when given.
inline Bytes Hex(const std::string& text, std::size_t length = 0) {
  Bytes out;
  std::istringstream in(text);
  std::string token;
  while (in >> token) out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
  if (out.size() < length) out.resize(length, 0);
  return out;
}

inline std::string ToHex(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) s += ' ';
    s += digits[bytes[i] >> 4];
    s += digits[bytes[i] & 15];
  }
  return s;
}

inline constexpr std::size_t kFeatureLength = 64;

inline Bytes Setting(int code, int value) {
  return *protocol::BuildSettingCommand(kFeatureLength, code, value);
}

}  // namespace torvex::sim::testutil
