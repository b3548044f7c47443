// SPDX-License-Identifier: MIT
// Any byte string as a report descriptor: no read past it, no hang, and
// lengths that a buffer can be made of.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "hid/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer hands over a buffer of exactly `size` bytes, so ASan sees its end.
  std::span<const std::uint8_t> descriptor(data, size);
  const auto lengths = torvex::hid::ComputeReportLengths(descriptor);
  const auto summary = torvex::hid::SummarizeReportDescriptor(descriptor);
  for (auto len : {lengths.input, lengths.output, lengths.feature})
    FUZZ_CHECK(len <= torvex::hid::kMaxReportLength);
  FUZZ_CHECK(summary.lengths.input == lengths.input);
  FUZZ_CHECK(summary.lengths.output == lengths.output);
  FUZZ_CHECK(summary.lengths.feature == lengths.feature);
  return 0;
}
