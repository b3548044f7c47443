#include "sim/BoardFirmware.h"

#include <algorithm>

#include "protocol/Protocol.h"

namespace torvex::sim {

namespace p = torvex::protocol;

const std::array<std::uint8_t, 256>& BoardFirmware::FactoryDefaults() {
  static const std::array<std::uint8_t, 256> defaults = [] {
    std::array<std::uint8_t, 256> m{};
    m[p::code::SetEncoderPulseWidth] = 8;  // 64 ms
    m[p::code::SetAnalogInputMode] = 0;
    m[p::code::SetClutchBiteLsb] = 0x00;  // 32768
    m[p::code::SetClutchBiteMsb] = 0x80;
    m[p::code::SetMasterClutchMode] = 0;
    m[p::code::SetXCurveNumber] = 5;
    m[p::code::SetYCurveNumber] = 5;
    m[p::code::SetLedIntensityLsb] = 255;
    return m;
  }();
  return defaults;
}

BoardFirmware::BoardFirmware() { memory_ = FactoryDefaults(); }

void BoardFirmware::setSetting(std::uint8_t code, std::uint8_t value) { memory_[code] = value; }

std::uint16_t BoardFirmware::settingWord(std::uint8_t lowCode) const {
  return static_cast<std::uint16_t>(memory_[lowCode] | (memory_[(lowCode + 1) & 0xFF] << 8));
}

void BoardFirmware::setSettingWord(std::uint8_t lowCode, std::uint16_t value) {
  memory_[lowCode] = static_cast<std::uint8_t>(value & 0xFF);
  memory_[(lowCode + 1) & 0xFF] = static_cast<std::uint8_t>(value >> 8);
}

void BoardFirmware::factoryReset() {
  memory_ = FactoryDefaults();
  monitorMode_ = 0;
  ++resetCount_;
  inputChanged();
}

bool BoardFirmware::receiveFeature(std::span<const std::uint8_t> r) {
  if (r.size() < p::kSettingCommandMinLength) return false;
  const auto kind = static_cast<p::ReportKind>(r[p::offset::Kind]);
  const std::uint8_t sub = r[p::offset::Code];
  const std::uint8_t value = r[p::offset::Value];
  switch (kind) {
    case p::ReportKind::Setting:
      memory_[sub] = value;
      inputChanged();
      return true;
    case p::ReportKind::Reset:
      if (sub != p::kResetSubCode || value != p::kResetValue) return false;
      factoryReset();
      return true;
    case p::ReportKind::CurveMonitor:
      if (sub != p::kMonitorSubCode || value > 2) return false;
      monitorMode_ = value;
      inputChanged();
      return true;
    case p::ReportKind::Calibration:
      if (sub != p::kCalibrationSubCode || value < 1 || value > 4) return false;
      calibrationSteps_.push_back(value);
      return true;
  }
  return false;
}

Bytes BoardFirmware::featureReply(std::size_t length) {
  Bytes reply(length, 0);
  const std::uint8_t base = nextIsLed_ ? p::kLedRecordBase : p::kSettingsRecordBase;
  nextIsLed_ = !nextIsLed_;
  if (length > p::offset::Kind) reply[p::offset::Kind] = static_cast<std::uint8_t>(p::ReportKind::Setting);
  if (length > p::offset::Code) reply[p::offset::Code] = base;
  for (std::size_t n = 3; n < length && base + n - 3 < memory_.size(); ++n)
    reply[n] = memory_[base + n - 3];
  return reply;
}

void BoardFirmware::setButton(int index, bool pressed) {
  if (index < 0 || index >= kButtonCount) return;
  const auto mask = static_cast<std::uint8_t>(1u << (index % 8));
  std::uint8_t& b = buttons_[index / 8];
  const std::uint8_t before = b;
  b = pressed ? (b | mask) : (b & ~mask);
  if (b != before) inputChanged();
}

bool BoardFirmware::button(int index) const {
  if (index < 0 || index >= kButtonCount) return false;
  return buttons_[index / 8] & (1u << (index % 8));
}

void BoardFirmware::setPaddle(int paddle, std::uint16_t raw) {
  if (paddle < 0 || paddle > 1 || paddles_[paddle] == raw) return;
  paddles_[paddle] = raw;
  inputChanged();
}

void BoardFirmware::advanceTo(std::int64_t nowUs) { nowUs_ = std::max(nowUs_, nowUs); }

std::uint16_t BoardFirmware::axisX() const { return paddles_[0]; }
std::uint16_t BoardFirmware::axisY() const { return paddles_[1]; }

Bytes BoardFirmware::inputReport() const {
  Bytes r(kInputReportLength, 0);
  std::copy(buttons_.begin(), buttons_.end(), r.begin() + 1);
  std::uint16_t x = axisX();
  std::uint16_t y = axisY();
  // Curve monitor: the monitored axis before its curve in one field, after it
  // in the other (X monitored: Y field = input, X field = output).
  if (monitorMode_ == 1) y = paddles_[0];
  if (monitorMode_ == 2) x = paddles_[1];
  r[9] = static_cast<std::uint8_t>(x & 0xFF);
  r[10] = static_cast<std::uint8_t>(x >> 8);
  r[11] = static_cast<std::uint8_t>(y & 0xFF);
  r[12] = static_cast<std::uint8_t>(y >> 8);
  return r;
}

void BoardFirmware::inputChanged() {
  if (onInputChanged) onInputChanged();
}

}  // namespace torvex::sim
