// SPDX-License-Identifier: MIT
#pragma once
// The board's feature report protocol: bytes in, bytes out, no I/O.
//
// Every feature report is FeatureReportLength bytes (report ID included):
//   byte 0  report ID, always 0
//   byte 1  ReportKind
//   byte 2  command code or sub-code
//   byte 3  value
//   byte 4+ zero
// Each setting is one byte addressed by its command code; wider settings take
// two consecutive codes, low byte first. Read-back records carry the settings
// by the same addresses: with base code B in byte 2, byte n (n >= 3) holds
// the setting whose code is B + n - 3.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace torvex::protocol {

using Bytes = std::vector<std::uint8_t>;

enum class ReportKind : std::uint8_t {
  Setting = 1,       // also the kind of the read-back records
  Reset = 3,         // reset all settings to factory defaults
  CurveMonitor = 4,  // switch the curve monitor mode
  Calibration = 5,   // take the current paddle position as one end of an axis
};

namespace offset {
inline constexpr std::size_t ReportId = 0;
inline constexpr std::size_t Kind = 1;
inline constexpr std::size_t Code = 2;
inline constexpr std::size_t Value = 3;
}  // namespace offset

// Setting command codes: the address of each setting byte on the board.
namespace code {
inline constexpr std::uint8_t SetEncoderPulseWidth = 0x40;  // step 1..25, width = step x 8 ms
inline constexpr std::uint8_t SetAnalogInputMode = 0x45;    // 0 dual clutch, 1 throttle and brake
inline constexpr std::uint8_t SetClutchBiteLsb = 0x46;      // bite point 0..65535, low byte
inline constexpr std::uint8_t SetClutchBiteMsb = 0x47;
inline constexpr std::uint8_t SetMasterClutchMode = 0x48;       // 0 left, 1 right
inline constexpr std::uint8_t SetRotarySwitchLeftMode = 0x49;   // 0..4
inline constexpr std::uint8_t SetRotarySwitchRightMode = 0x4A;  // 0..4
inline constexpr std::uint8_t SetXDeadLowLsb = 0x54;            // raw = percent x 655, low byte
inline constexpr std::uint8_t SetXDeadLowMsb = 0x55;
inline constexpr std::uint8_t SetXDeadHighLsb = 0x56;
inline constexpr std::uint8_t SetXDeadHighMsb = 0x57;
inline constexpr std::uint8_t SetYDeadLowLsb = 0x58;
inline constexpr std::uint8_t SetYDeadLowMsb = 0x59;
inline constexpr std::uint8_t SetYDeadHighLsb = 0x5A;
inline constexpr std::uint8_t SetYDeadHighMsb = 0x5B;
inline constexpr std::uint8_t SetXCurveType = 0x5C;  // 0 linear, 1 S-curve, 2 progressive
inline constexpr std::uint8_t SetYCurveType = 0x5D;
inline constexpr std::uint8_t SetXCurveNumber = 0x5E;  // slider position + 5, 0..10
inline constexpr std::uint8_t SetYCurveNumber = 0x5F;
inline constexpr std::uint8_t SetLedIntensityLsb = 0x60;  // 0..255, low byte
inline constexpr std::uint8_t SetLedIntensityMsb = 0x61;
}  // namespace code

// Sub-codes and values of the special reports.
inline constexpr std::uint8_t kResetSubCode = 4;
inline constexpr std::uint8_t kResetValue = 5;
inline constexpr std::uint8_t kMonitorSubCode = 0x0A;
inline constexpr std::uint8_t kCalibrationSubCode = 0x0B;

enum class MonitorMode : std::uint8_t { Off = 0, AxisX = 1, AxisY = 2 };

enum class CalibrationStep : std::uint8_t { YLow = 1, YHigh = 2, XLow = 3, XHigh = 4 };

// Base codes that tell the two read-back records apart (byte 2).
inline constexpr std::uint8_t kSettingsRecordBase = 0x40;
inline constexpr std::uint8_t kLedRecordBase = 0x60;

// Shortest buffers that can hold each report; a board with a shorter feature
// report is never written past its buffer.
inline constexpr std::size_t kSettingCommandMinLength = 4;
inline constexpr std::size_t kSpecialReportMinLength = 5;
inline constexpr std::size_t kSettingsRecordMinLength = 35;
inline constexpr std::size_t kLedRecordMinLength = 5;

// Builders return nothing when the frame cannot be built: a length too short
// for it, or a code or value outside 0..255.
std::optional<Bytes> BuildSettingCommand(std::size_t featureLength, long long code,
                                         long long value);
std::optional<Bytes> BuildResetReport(std::size_t featureLength);
std::optional<Bytes> BuildMonitorReport(std::size_t featureLength, int mode);
std::optional<Bytes> BuildCalibrationReport(std::size_t featureLength, int step);
// step = list index of the pulse width + 1, 1..25.
std::optional<Bytes> BuildPulseWidthReport(std::size_t featureLength, int step);

struct SettingsRecord {
  std::uint8_t pulseWidthStep = 0;   // code 0x40
  std::uint8_t analogInputMode = 0;  // 0x45
  std::uint16_t clutchBite = 0;      // 0x46/0x47
  std::uint8_t masterClutch = 0;     // 0x48
  std::uint8_t rotaryLeft = 0;       // 0x49
  std::uint8_t rotaryRight = 0;      // 0x4A
  std::uint16_t xDeadLow = 0;        // 0x54/0x55
  std::uint16_t xDeadHigh = 0;       // 0x56/0x57
  std::uint16_t yDeadLow = 0;        // 0x58/0x59
  std::uint16_t yDeadHigh = 0;       // 0x5A/0x5B
  std::uint8_t xCurveType = 0;       // 0x5C
  std::uint8_t yCurveType = 0;       // 0x5D
  std::uint8_t xCurveNumber = 0;     // 0x5E, position + 5
  std::uint8_t yCurveNumber = 0;     // 0x5F
  bool operator==(const SettingsRecord&) const = default;
};

struct LedRecord {
  std::uint16_t ledIntensity = 0;  // 0x60/0x61
  bool operator==(const LedRecord&) const = default;
};

// A reply is a record only when bytes 1 and 2 say so and it is long enough.
std::optional<SettingsRecord> ParseSettingsRecord(std::span<const std::uint8_t> reply);
std::optional<LedRecord> ParseLedRecord(std::span<const std::uint8_t> reply);

// Byte offset of a setting inside the record that starts at `base`.
constexpr std::size_t RecordOffset(std::uint8_t base, std::uint8_t settingCode) {
  return std::size_t{3} + settingCode - base;
}

}  // namespace torvex::protocol
