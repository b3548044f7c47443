// SPDX-License-Identifier: MIT
#include "board/InputReport.h"

namespace torvex::board {

namespace {
constexpr std::size_t kButtonsOffset = 1;
constexpr std::size_t kXOffset = 9;
constexpr std::size_t kYOffset = 11;

std::uint16_t Word(std::span<const std::uint8_t> r, std::size_t at) {
  return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}
}  // namespace

std::optional<InputState> DecodeInputReport(std::span<const std::uint8_t> report) {
  if (report.size() < kInputReportMinLength) return std::nullopt;
  InputState s;
  for (int i = 0; i < kButtonBytes; ++i) s.buttons[i] = report[kButtonsOffset + i];
  s.x = Word(report, kXOffset);
  s.y = Word(report, kYOffset);
  return s;
}

std::optional<InputState> DecodeNewestReport(std::span<const std::uint8_t> bytes,
                                             std::size_t reportLength) {
  if (reportLength < kInputReportMinLength || bytes.size() < reportLength) return std::nullopt;
  return DecodeInputReport(bytes.subspan(bytes.size() - reportLength, reportLength));
}

std::vector<InputState> DecodeReports(std::span<const std::uint8_t> bytes,
                                      std::size_t reportLength) {
  std::vector<InputState> out;
  if (reportLength < kInputReportMinLength) return out;
  const std::size_t count = bytes.size() / reportLength;
  const std::size_t first = bytes.size() - count * reportLength;
  out.reserve(count);
  for (std::size_t at = first; at < bytes.size(); at += reportLength)
    out.push_back(*DecodeInputReport(bytes.subspan(at, reportLength)));
  return out;
}

QString AxisPercentText(int value, const QLocale& locale) {
  const double percent = static_cast<double>(value) / kAxisMax * 100.0;
  return locale.toString(percent, 'f', 1) + QStringLiteral(" %");
}

ChartPoint ChartPointFor(const InputState& s, bool monitorOnX) {
  if (monitorOnX) return {s.y, kAxisMax - s.x};
  return {s.x, kAxisMax - s.y};
}

}  // namespace torvex::board
