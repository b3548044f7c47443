// SPDX-License-Identifier: MIT
#pragma once
// Input reports of the board, decoded without widgets.
//
// One report, offsets from its start:
//   0      report ID (not examined)
//   1..8   button bytes 0..7: bit j of byte i is button 8*i + j + 1, 1 = pressed
//   9, 10  X, low byte first, 0..65535
//   11, 12 Y, low byte first, 0..65535
//   13+    not examined
// In curve-monitor mode one axis field carries the monitored axis before its
// curve and the other after it (see ChartPointFor).

#include <QLocale>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace torvex::board {

inline constexpr std::size_t kInputReportMinLength = 13;
inline constexpr int kButtonBytes = 8;
inline constexpr int kAxisMax = 65535;

struct InputState {
  std::array<std::uint8_t, kButtonBytes> buttons{};
  std::uint16_t x = 0;
  std::uint16_t y = 0;
};

// One report that starts with its ID byte; nothing when it is too short.
std::optional<InputState> DecodeInputReport(std::span<const std::uint8_t> report);

// The newest of the whole reports of `reportLength` bytes lying back to back
// in `bytes` (the last reportLength bytes). Nothing when not even one whole
// report was read or the board's reports are too short to hold the fields.
std::optional<InputState> DecodeNewestReport(std::span<const std::uint8_t> bytes,
                                             std::size_t reportLength);

// Every whole report of `reportLength` bytes lying back to back in `bytes`,
// oldest first, counted from the end (a stray partial report in front is
// left out). Empty when the board's reports are too short to hold the fields.
std::vector<InputState> DecodeReports(std::span<const std::uint8_t> bytes,
                                      std::size_t reportLength);

// value / 65535 x 100 with exactly one decimal in the locale, then " %":
// 32768 -> "50.0 %" ("50,0 %" with a comma locale).
QString AxisPercentText(int value, const QLocale& locale);

// A chart point in the chart's user coordinates (0..65535, down is positive).
struct ChartPoint {
  std::int32_t h = 0;
  std::int32_t v = 0;
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// Input across, output up. Monitoring X the Y field is X's input and the X
// field its output; otherwise the X field is the input and Y the output.
ChartPoint ChartPointFor(const InputState& s, bool monitorOnX);

// A line joins the previous point only when both its coordinates are non-zero
// (0 stands for "no previous point").
constexpr bool JoinsPrevious(const ChartPoint& previous) {
  return previous.h != 0 && previous.v != 0;
}

}  // namespace torvex::board
