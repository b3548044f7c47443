// SPDX-License-Identifier: MIT
// Any read as queued input reports of any length: no read past the bytes,
// and a decoded state always comes from the last whole report.
#include <QLocale>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "board/InputReport.h"

namespace m = torvex::board;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Byte 0 picks the report length the board claims (0..255), byte 1 the
  // mapping; the rest is what the read returned.
  const std::size_t reportLength = data[0];
  const bool monitorOnX = data[1] & 1;
  const std::vector<std::uint8_t> bytes(data + 2, data + size);

  if (const auto one = m::DecodeInputReport(bytes)) {
    FUZZ_CHECK(bytes.size() >= m::kInputReportMinLength);
    FUZZ_CHECK(one->x == (bytes[9] | (bytes[10] << 8)));
    FUZZ_CHECK(one->y == (bytes[11] | (bytes[12] << 8)));
  }
  if (const auto newest = m::DecodeNewestReport(bytes, reportLength)) {
    FUZZ_CHECK(reportLength >= m::kInputReportMinLength && bytes.size() >= reportLength);
    const std::size_t s = bytes.size() - reportLength;
    for (int i = 0; i < m::kButtonBytes; ++i) FUZZ_CHECK(newest->buttons[i] == bytes[s + 1 + i]);
    FUZZ_CHECK(newest->x == (bytes[s + 9] | (bytes[s + 10] << 8)));
    const auto pt = m::ChartPointFor(*newest, monitorOnX);
    FUZZ_CHECK(pt.h >= 0 && pt.h <= m::kAxisMax && pt.v >= 0 && pt.v <= m::kAxisMax);
    const QString text = m::AxisPercentText(newest->x, QLocale::c());
    FUZZ_CHECK(text.endsWith(QLatin1String(" %")) && text.size() <= 7);
  }
  return 0;
}
