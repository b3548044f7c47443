// SPDX-License-Identifier: MIT
#pragma once
// Report lengths from a HID report descriptor, computed the way Windows fills
// HIDP_CAPS: per report type, the largest report over all report IDs, in
// whole bytes, plus one for the report-ID byte (counted even when the board
// uses no IDs); 0 when the type is absent.

#include <cstdint>
#include <span>

#include "hid/HidPlatform.h"

namespace torvex::hid {

// No length is ever reported above this, whatever the descriptor claims.
inline constexpr std::uint16_t kMaxReportLength = 8192;

ReportLengths ComputeReportLengths(std::span<const std::uint8_t> descriptor);

struct DescriptorSummary {
  ReportLengths lengths;
  // The descriptor has Report ID items: every report starts with its ID on
  // the wire. Without them the OS hands reports over without the ID byte.
  bool numbered = false;
};

DescriptorSummary SummarizeReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace torvex::hid
