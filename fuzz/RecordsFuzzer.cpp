// SPDX-License-Identifier: MIT
// Any reply as a read-back record, and any length, code and value as a frame:
// a parsed record always carries the reply's own bytes, a built frame is
// always exactly the length asked for.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "protocol/Protocol.h"

namespace p = torvex::protocol;

namespace {

std::uint16_t Word(std::span<const std::uint8_t> r, std::uint8_t base, std::uint8_t lowCode) {
  const auto at = p::RecordOffset(base, lowCode);
  return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}

void CheckSettings(std::span<const std::uint8_t> r) {
  const auto rec = p::ParseSettingsRecord(r);
  if (!rec) return;
  constexpr auto b = p::kSettingsRecordBase;
  FUZZ_CHECK(r.size() >= p::kSettingsRecordMinLength);
  FUZZ_CHECK(r[1] == 1 && r[2] == b);
  FUZZ_CHECK(rec->pulseWidthStep == r[p::RecordOffset(b, p::code::SetEncoderPulseWidth)]);
  FUZZ_CHECK(rec->clutchBite == Word(r, b, p::code::SetClutchBiteLsb));
  FUZZ_CHECK(rec->rotaryRight == r[p::RecordOffset(b, p::code::SetRotarySwitchRightMode)]);
  FUZZ_CHECK(rec->yDeadHigh == Word(r, b, p::code::SetYDeadHighLsb));
  FUZZ_CHECK(rec->yCurveNumber == r[p::RecordOffset(b, p::code::SetYCurveNumber)]);
}

void CheckLed(std::span<const std::uint8_t> r) {
  const auto rec = p::ParseLedRecord(r);
  if (!rec) return;
  FUZZ_CHECK(r.size() >= p::kLedRecordMinLength);
  FUZZ_CHECK(r[1] == 1 && r[2] == p::kLedRecordBase);
  FUZZ_CHECK(rec->ledIntensity == Word(r, p::kLedRecordBase, p::code::SetLedIntensityLsb));
  FUZZ_CHECK(!p::ParseSettingsRecord(r));
}

// The first bytes pick a frame length, a code and a value (both may be out of range).
void CheckBuilders(std::span<const std::uint8_t> in) {
  if (in.size() < 6) return;
  const std::size_t len = in[0] | ((in[1] & 0x0F) << 8);  // 0..4095
  const long long code = static_cast<std::int16_t>(in[2] | (in[3] << 8));
  const long long value = static_cast<std::int16_t>(in[4] | (in[5] << 8));
  const auto checkFrame = [&](const std::optional<p::Bytes>& f, std::size_t minLen) {
    if (!f) return;
    FUZZ_CHECK(len >= minLen);
    FUZZ_CHECK(f->size() == len);
    FUZZ_CHECK((*f)[0] == 0);
    for (std::size_t i = 4; i < f->size(); ++i) FUZZ_CHECK((*f)[i] == 0);
  };
  const auto cmd = p::BuildSettingCommand(len, code, value);
  checkFrame(cmd, p::kSettingCommandMinLength);
  if (cmd) FUZZ_CHECK((*cmd)[2] == code && (*cmd)[3] == value);
  checkFrame(p::BuildResetReport(len), p::kSettingCommandMinLength);  // bytes 0..3 only
  checkFrame(p::BuildMonitorReport(len, static_cast<int>(value)), p::kSpecialReportMinLength);
  checkFrame(p::BuildCalibrationReport(len, static_cast<int>(value)), p::kSpecialReportMinLength);
  checkFrame(p::BuildPulseWidthReport(len, static_cast<int>(value)), p::kSettingCommandMinLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> reply(data, data + size);  // exact bounds for ASan
  CheckSettings(reply);
  CheckLed(reply);
  CheckBuilders(reply);
  return 0;
}
