// SPDX-License-Identifier: MIT
#include "hid/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace torvex::hid {
namespace {

// Item prefix: bits 0-1 data size code, 2-3 type, 4-7 tag.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag : std::uint8_t { kInput = 0x8, kOutput = 0x9, kFeature = 0xB };
enum GlobalTag : std::uint8_t {
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB,
};

// Any total above this is already capped, so sums saturate here and never wrap.
constexpr std::uint64_t kBitCap = std::uint64_t{kMaxReportLength} * 8;

struct Globals {
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

std::uint16_t BytesFor(std::uint64_t bits) {
  const std::uint64_t bytes = (bits + 7) / 8 + 1;
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(bytes, kMaxReportLength));
}

}  // namespace

DescriptorSummary SummarizeReportDescriptor(std::span<const std::uint8_t> d) {
  // Bits per report ID, per type (input, output, feature).
  std::array<std::map<std::uint32_t, std::uint64_t>, 3> bits;
  Globals g;
  std::vector<Globals> stack;
  bool numbered = false;

  std::size_t i = 0;
  while (i < d.size()) {
    const std::uint8_t prefix = d[i];
    if (prefix == kLongItemPrefix) {
      if (d.size() - i < 3) break;
      const std::size_t length = std::size_t{3} + d[i + 1];
      if (d.size() - i < length) break;
      i += length;  // long items carry nothing that sizes a report
      continue;
    }
    const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (d.size() - i - 1 < size) break;  // truncated: trust only what came before
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < size; ++b) value |= std::uint32_t{d[i + 1 + b]} << (8 * b);
    i += 1 + size;

    const int type = (prefix >> 2) & 3;
    const int tag = prefix >> 4;
    if (type == kGlobal) {
      switch (tag) {
        case kReportSize:
          g.reportSize = value;
          break;
        case kReportCount:
          g.reportCount = value;
          break;
        case kReportId:
          g.reportId = value;
          numbered = true;
          break;
        case kPush:
          stack.push_back(g);
          break;
        case kPop:
          if (!stack.empty()) {
            g = stack.back();
            stack.pop_back();
          }
          break;
        default:
          break;
      }
    } else if (type == kMain) {
      int kind = -1;
      if (tag == kInput) kind = 0;
      if (tag == kOutput) kind = 1;
      if (tag == kFeature) kind = 2;
      if (kind < 0) continue;  // collections carry no data bits
      // Both factors fit 32 bits, so the product fits 64 without wrapping.
      const std::uint64_t add = std::uint64_t{g.reportSize} * g.reportCount;
      std::uint64_t& total = bits[kind][g.reportId];
      total = std::min(kBitCap, total + std::min(kBitCap, add));
    }
  }

  auto longest = [](const std::map<std::uint32_t, std::uint64_t>& perId) -> std::uint16_t {
    std::uint16_t best = 0;
    for (const auto& [id, b] : perId) best = std::max(best, BytesFor(b));
    return best;
  };
  DescriptorSummary s;
  s.lengths = {longest(bits[0]), longest(bits[1]), longest(bits[2])};
  s.numbered = numbered;
  return s;
}

ReportLengths ComputeReportLengths(std::span<const std::uint8_t> descriptor) {
  return SummarizeReportDescriptor(descriptor).lengths;
}

}  // namespace torvex::hid
