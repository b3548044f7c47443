// SPDX-License-Identifier: MIT
#include "protocol/Protocol.h"

namespace torvex::protocol {
namespace {

bool IsByte(long long v) {
  return v >= 0 && v <= 255;
}

std::optional<Bytes> Frame(std::size_t featureLength, std::size_t minLength, ReportKind kind,
                           long long code, long long value) {
  if (featureLength < minLength || !IsByte(code) || !IsByte(value)) return std::nullopt;
  Bytes frame(featureLength, 0);
  frame[offset::ReportId] = 0;
  frame[offset::Kind] = static_cast<std::uint8_t>(kind);
  frame[offset::Code] = static_cast<std::uint8_t>(code);
  frame[offset::Value] = static_cast<std::uint8_t>(value);
  return frame;
}

std::uint16_t Word(std::span<const std::uint8_t> r, std::uint8_t base, std::uint8_t lowCode) {
  const std::size_t at = RecordOffset(base, lowCode);
  return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}

bool IsRecord(std::span<const std::uint8_t> r, std::uint8_t base, std::size_t minLength) {
  return r.size() >= minLength &&
         r[offset::Kind] == static_cast<std::uint8_t>(ReportKind::Setting) &&
         r[offset::Code] == base;
}

}  // namespace

std::optional<Bytes> BuildSettingCommand(std::size_t featureLength, long long code,
                                         long long value) {
  return Frame(featureLength, kSettingCommandMinLength, ReportKind::Setting, code, value);
}

std::optional<Bytes> BuildResetReport(std::size_t featureLength) {
  return Frame(featureLength, kSettingCommandMinLength, ReportKind::Reset, kResetSubCode,
               kResetValue);
}

std::optional<Bytes> BuildMonitorReport(std::size_t featureLength, int mode) {
  return Frame(featureLength, kSpecialReportMinLength, ReportKind::CurveMonitor, kMonitorSubCode,
               mode);
}

std::optional<Bytes> BuildCalibrationReport(std::size_t featureLength, int step) {
  return Frame(featureLength, kSpecialReportMinLength, ReportKind::Calibration, kCalibrationSubCode,
               step);
}

std::optional<Bytes> BuildPulseWidthReport(std::size_t featureLength, int step) {
  return Frame(featureLength, kSettingCommandMinLength, ReportKind::Setting,
               code::SetEncoderPulseWidth, step);
}

std::optional<SettingsRecord> ParseSettingsRecord(std::span<const std::uint8_t> r) {
  constexpr auto B = kSettingsRecordBase;
  if (!IsRecord(r, B, kSettingsRecordMinLength)) return std::nullopt;
  auto at = [&](std::uint8_t c) { return r[RecordOffset(B, c)]; };
  SettingsRecord s;
  s.pulseWidthStep = at(code::SetEncoderPulseWidth);
  s.analogInputMode = at(code::SetAnalogInputMode);
  s.clutchBite = Word(r, B, code::SetClutchBiteLsb);
  s.masterClutch = at(code::SetMasterClutchMode);
  s.rotaryLeft = at(code::SetRotarySwitchLeftMode);
  s.rotaryRight = at(code::SetRotarySwitchRightMode);
  s.xDeadLow = Word(r, B, code::SetXDeadLowLsb);
  s.xDeadHigh = Word(r, B, code::SetXDeadHighLsb);
  s.yDeadLow = Word(r, B, code::SetYDeadLowLsb);
  s.yDeadHigh = Word(r, B, code::SetYDeadHighLsb);
  s.xCurveType = at(code::SetXCurveType);
  s.yCurveType = at(code::SetYCurveType);
  s.xCurveNumber = at(code::SetXCurveNumber);
  s.yCurveNumber = at(code::SetYCurveNumber);
  return s;
}

std::optional<LedRecord> ParseLedRecord(std::span<const std::uint8_t> r) {
  if (!IsRecord(r, kLedRecordBase, kLedRecordMinLength)) return std::nullopt;
  return LedRecord{Word(r, kLedRecordBase, code::SetLedIntensityLsb)};
}

}  // namespace torvex::protocol
