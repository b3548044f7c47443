// SPDX-License-Identifier: MIT
#include "sim/BoardFirmware.h"

#include <algorithm>

#include "protocol/Protocol.h"
#include "sim/AxisMath.h"

namespace torvex::sim {

namespace p = torvex::protocol;

namespace {

constexpr std::int64_t kPulseStepUs = 8000;  // pulse width = step x 8 ms
constexpr std::uint8_t kThrottleAndBrake = 1;
constexpr std::uint8_t kMasterRight = 1;

struct AxisCodes {
  std::uint8_t deadLow, deadHigh, curveType, curveNumber;
};
constexpr AxisCodes kAxisCodes[2] = {
    {p::code::SetXDeadLowLsb, p::code::SetXDeadHighLsb, p::code::SetXCurveType,
     p::code::SetXCurveNumber},
    {p::code::SetYDeadLowLsb, p::code::SetYDeadHighLsb, p::code::SetYCurveType,
     p::code::SetYCurveNumber},
};

}  // namespace

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

BoardFirmware::BoardFirmware() {
  memory_ = FactoryDefaults();
  calHigh_ = {kAxisMax, kAxisMax};
  syncRotary();
  lastReport_ = inputReport();
}

void BoardFirmware::setSetting(std::uint8_t code, std::uint8_t value) {
  memory_[code] = value;
  syncRotary();
  inputChanged();
}

std::uint16_t BoardFirmware::settingWord(std::uint8_t lowCode) const {
  return static_cast<std::uint16_t>(memory_[lowCode] | (memory_[(lowCode + 1) & 0xFF] << 8));
}

void BoardFirmware::setSettingWord(std::uint8_t lowCode, std::uint16_t value) {
  memory_[lowCode] = static_cast<std::uint8_t>(value & 0xFF);
  memory_[(lowCode + 1) & 0xFF] = static_cast<std::uint8_t>(value >> 8);
  syncRotary();
  inputChanged();
}

std::uint16_t BoardFirmware::ledIntensity() const {
  return settingWord(p::code::SetLedIntensityLsb);
}

void BoardFirmware::setCalibration(int axis, std::uint16_t low, std::uint16_t high) {
  calLow_[axis & 1] = low;
  calHigh_[axis & 1] = high;
  inputChanged();
}

void BoardFirmware::factoryReset() {
  memory_ = FactoryDefaults();
  calLow_ = {0, 0};
  calHigh_ = {kAxisMax, kAxisMax};
  monitorMode_ = 0;
  ++resetCount_;
  syncRotary();
  inputChanged();
}

void BoardFirmware::powerOn() {
  monitorMode_ = 0;
  nextIsLed_ = false;
  rotary_.cancelPulses();
  lastReport_ = inputReport();
}

void BoardFirmware::syncRotary() {
  rotary_.setModes(memory_[p::code::SetRotarySwitchLeftMode],
                   memory_[p::code::SetRotarySwitchRightMode]);
  // A corrupt step of 0 still gives the shortest pulse rather than none.
  const int step = std::clamp<int>(memory_[p::code::SetEncoderPulseWidth], 1, 25);
  rotary_.setPulseWidthUs(step * kPulseStepUs);
}

bool BoardFirmware::receiveFeature(std::span<const std::uint8_t> r) {
  if (r.size() < p::kSettingCommandMinLength) return false;
  const auto kind = static_cast<p::ReportKind>(r[p::offset::Kind]);
  const std::uint8_t sub = r[p::offset::Code];
  const std::uint8_t value = r[p::offset::Value];
  switch (kind) {
    case p::ReportKind::Setting:
      setSetting(sub, value);
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
    case p::ReportKind::Calibration: {
      if (sub != p::kCalibrationSubCode || value < 1 || value > 4) return false;
      calibrationSteps_.push_back(value);
      // Steps 1 and 2 name Y, 3 and 4 name X; odd steps the low end.
      const int axis = value <= 2 ? 1 : 0;
      (value % 2 == 1 ? calLow_ : calHigh_)[axis] = paddles_[axis];
      inputChanged();
      return true;
    }
  }
  return false;
}

Bytes BoardFirmware::featureReply(std::size_t length) {
  Bytes reply(length, 0);
  const bool led = nextIsLed_;
  nextIsLed_ = !nextIsLed_;
  const std::uint8_t base = led ? p::kLedRecordBase : p::kSettingsRecordBase;
  // Each record carries its own settings only; the rest of the buffer is 0.
  const std::uint8_t last = led ? p::code::SetLedIntensityMsb : p::code::SetYCurveNumber;
  if (length > p::offset::Kind)
    reply[p::offset::Kind] = static_cast<std::uint8_t>(p::ReportKind::Setting);
  if (length > p::offset::Code) reply[p::offset::Code] = base;
  for (std::size_t n = 3; n < length && base + n - 3 <= last; ++n) reply[n] = memory_[base + n - 3];
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

void BoardFirmware::turnRotary(RotaryInputs::Side side, int detents) {
  if (detents == 0) return;
  rotary_.turn(side, detents, nowUs_);
  inputChanged();
}

void BoardFirmware::advanceTo(std::int64_t nowUs) {
  // Each timed change happens, and is reported, at its own time.
  while (const auto t = rotary_.runNext(nowUs)) {
    nowUs_ = std::max(nowUs_, *t);
    inputChanged();
  }
  nowUs_ = std::max(nowUs_, nowUs);
}

BoardFirmware::AxisTrace BoardFirmware::trace(int axis) const {
  axis &= 1;
  const AxisCodes& c = kAxisCodes[axis];
  AxisTrace t;
  const std::uint16_t calibrated = ApplyCalibration(paddles_[axis], calLow_[axis], calHigh_[axis]);
  t.input = ApplyDeadZones(calibrated, settingWord(c.deadLow), settingWord(c.deadHigh));
  t.output = ApplyCurve(memory_[c.curveType], memory_[c.curveNumber], t.input);
  return t;
}

std::uint16_t BoardFirmware::axisX() const {
  if (memory_[p::code::SetAnalogInputMode] == kThrottleAndBrake) return trace(0).output;
  const int master = memory_[p::code::SetMasterClutchMode] == kMasterRight ? 1 : 0;
  return CombineDualClutch(trace(master).output, trace(1 - master).output,
                           settingWord(p::code::SetClutchBiteLsb));
}

std::uint16_t BoardFirmware::axisY() const {
  if (memory_[p::code::SetAnalogInputMode] == kThrottleAndBrake) return trace(1).output;
  const int master = memory_[p::code::SetMasterClutchMode] == kMasterRight ? 1 : 0;
  return trace(master).output;
}

std::array<std::uint8_t, 8> BoardFirmware::reportedButtons() const {
  std::array<std::uint8_t, 8> bytes = rotary_.buttons();
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] |= buttons_[i];
  return bytes;
}

Bytes BoardFirmware::inputReport() const {
  Bytes r(kInputReportLength, 0);
  const auto buttons = reportedButtons();
  std::copy(buttons.begin(), buttons.end(), r.begin() + 1);
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  if (monitorMode_ == 1) {
    const AxisTrace t = trace(0);
    x = t.output;
    y = t.input;
  } else if (monitorMode_ == 2) {
    const AxisTrace t = trace(1);
    x = t.input;
    y = t.output;
  } else {
    x = axisX();
    y = axisY();
  }
  r[9] = static_cast<std::uint8_t>(x & 0xFF);
  r[10] = static_cast<std::uint8_t>(x >> 8);
  r[11] = static_cast<std::uint8_t>(y & 0xFF);
  r[12] = static_cast<std::uint8_t>(y >> 8);
  return r;
}

void BoardFirmware::inputChanged() {
  // Only a report that differs from the last one counts as a change.
  Bytes report = inputReport();
  if (report == lastReport_) return;
  lastReport_ = std::move(report);
  if (onInputChanged) onInputChanged();
}

}  // namespace torvex::sim
