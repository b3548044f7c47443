// SPDX-License-Identifier: MIT
// The open board: read-back, paced writes, the special reports and input.
#include "board/Board.h"

#include <QByteArray>

#include "board/Identity.h"
#include "board/LogCategories.h"

namespace torvex::board {
namespace p = protocol;

namespace {

constexpr int kReadBackAttempts = 10;
constexpr int kStringPauseMs = 10;
constexpr int kSettlePauseMs = 20;
constexpr int kRecordPauseMs = 20;
constexpr int kSettingPauseMs = 10;
// Reports the kernel keeps per open handle: a read takes them all.
constexpr std::size_t kQueueReports = 64;

void LogSent(const p::Bytes& frame, bool ok) {
  const auto head = QByteArray(reinterpret_cast<const char*>(frame.data()), 4).toHex(' ');
  if (ok)
    qCDebug(lcProtocol) << "sent" << head;
  else
    qCInfo(lcProtocol) << "board did not take" << head;
}

std::optional<QString> ReadString(hid::HidPlatform& platform, hid::Handle h, hid::StringKind k) {
  const auto units = platform.string(h, k);
  if (!units) return std::nullopt;
  return IdentityText(*units);
}

}  // namespace

ReadBackResult Board::readBack(ReadBackObserver* observer) {
  ReadBackObserver quiet;
  ReadBackObserver& tell = observer ? *observer : quiet;
  ReadBackResult result;
  if (!open_) {
    loaded_ = false;
    return result;
  }
  const WriteHold hold = holdWrites();
  if (hold.refused()) return result;
  loaded_ = false;

  // Identity strings come over the input handle.
  result.identity.manufacturer = ReadString(platform_, inputHandle_, hid::StringKind::Manufacturer);
  pause(kStringPauseMs);
  result.identity.product = ReadString(platform_, inputHandle_, hid::StringKind::Product);
  pause(kStringPauseMs);
  tell.identityRead(result.identity);
  tell.recordsNext();
  pause(kSettlePauseMs);
  pause(kSettlePauseMs);

  // The board answers each read with the next of its two records.
  p::Bytes reply(featureLength_, 0);
  for (int attempt = 1; attempt <= kReadBackAttempts; ++attempt) {
    if (result.complete()) break;
    if (!reply.empty()) reply[p::offset::ReportId] = 0;
    const auto got = platform_.getFeature(featureHandle_, reply);
    if (!got) continue;
    // A record counts only when it arrived whole: the rest of the buffer is padding.
    const auto arrived = std::span(reply).first(*got);
    if (const auto s = p::ParseSettingsRecord(arrived)) {
      result.settingsReceived = true;
      result.settings.take(*s);
      tell.settingsRead(*s);
    }
    if (const auto led = p::ParseLedRecord(arrived)) {
      result.ledReceived = true;
      result.settings.take(*led);
      tell.ledRead(*led);
    }
    pause(kRecordPauseMs);
  }
  if (!result.complete())
    qCInfo(lcProtocol) << "read-back incomplete: settings" << result.settingsReceived << "LED"
                       << result.ledReceived;
  loaded_ = true;
  return result;
}

std::optional<p::SettingsRecord> Board::readSettingsRecord() {
  if (!open_) return std::nullopt;
  p::Bytes reply(featureLength_, 0);
  const auto got = platform_.getFeature(featureHandle_, reply);
  if (!got) return std::nullopt;
  return p::ParseSettingsRecord(std::span(reply).first(*got));
}

void Board::writeSetting(long long code, long long value) {
  if (code < 0 || code > 255 || value < 0 || value > 255) return;
  // A board whose feature report cannot hold a command is never written.
  const auto frame =
      isLoaded() ? p::BuildSettingCommand(featureLength_, code, value) : std::nullopt;
  if (!frame) return pause(kSettingPauseMs);
  // The pause is held too: another program's next frame waits for it.
  const WriteHold hold = holdWrites();
  const bool ok = !hold.refused() && platform_.setFeature(featureHandle_, *frame);
  if (!ok) ++refusedFrames_;
  if (!hold.refused()) LogSent(*frame, ok);
  pause(kSettingPauseMs);
}

void Board::writeWord(std::uint8_t lowCode, std::uint16_t value) {
  const WriteHold hold = holdWrites();
  writeSetting(lowCode, value & 0xFF);
  writeSetting(lowCode + 1, value >> 8);
}

void Board::writeDeadZone(std::uint8_t lowCode, std::uint16_t raw) {
  const WriteHold hold = holdWrites();
  // The board settles each byte before the next one arrives.
  writeSetting(lowCode, raw & 0xFF);
  pause(kSettingPauseMs);
  writeSetting(lowCode + 1, raw >> 8);
  pause(kSettingPauseMs);
}

void Board::sendSpecial(const std::optional<p::Bytes>& frame) {
  if (!isLoaded() || !frame) return;
  const WriteHold hold = holdWrites();
  if (hold.refused()) {
    ++refusedFrames_;
    return;
  }
  const bool ok = platform_.setFeature(featureHandle_, *frame);
  if (!ok) ++refusedFrames_;
  LogSent(*frame, ok);
}

Board::WriteHold Board::holdWrites() {
  ++holdDepth_;
  const bool refused = open_ && !takeLock();
  return WriteHold(this, refused);
}

bool Board::takeLock() {
  if (lock_.held()) return true;
  if (!open_ || gaveUpInHold_) return false;
  bool told = false;
  for (int waited = 0;; waited += kLockRetryMs) {
    // A lock file that cannot be made stops nobody: the lock only keeps our
    // own programs apart.
    if (lock_.tryTake(serial_) != BoardLock::Take::Busy) {
      lockedOut_ = false;
      if (told) tell(LockWait::Over);
      // The other program may have sent a special report just before it let
      // go: the board gets its 10 ms before our first frame.
      if (waited > 0) pause(kSettingPauseMs);
      return true;
    }
    if (waited >= kLockGiveUpMs) break;
    if (waited == kLockNoticeMs) {
      told = true;
      tell(LockWait::Waiting);
    }
    pause(kLockRetryMs);
  }
  qCInfo(lcProtocol) << "another program kept board" << serial_ << "for" << kLockGiveUpMs << "ms";
  lockedOut_ = true;
  gaveUpInHold_ = true;
  tell(LockWait::GaveUp);
  return false;
}

void Board::endHold() {
  if (--holdDepth_ > 0) return;
  gaveUpInHold_ = false;
  lock_.release();
}

void Board::sendPulseWidth(int step) {
  sendSpecial(p::BuildPulseWidthReport(featureLength_, step));
}

void Board::sendReset() {
  sendSpecial(p::BuildResetReport(featureLength_));
}

void Board::sendMonitorMode(p::MonitorMode mode) {
  sendSpecial(p::BuildMonitorReport(featureLength_, static_cast<int>(mode)));
}

void Board::sendCalibration(p::CalibrationStep step) {
  sendSpecial(p::BuildCalibrationReport(featureLength_, static_cast<int>(step)));
}

InputPoll Board::readInput() {
  InputPoll poll;
  if (!open_) return poll;
  const hid::InputRead read = platform_.readInput(inputHandle_, kQueueReports * inputLength_);
  poll.reportsDrained = read.reportsDrained;
  // Even a single queued report counts: the board may send only on change.
  poll.reports = DecodeReports(read.bytes, inputLength_);
  if (!poll.reports.empty()) poll.newest = poll.reports.back();
  // An empty queue is a quiet board, not a lost one.
  if (read.status == hid::InputRead::Status::Gone) {
    qCInfo(lcMonitor) << "Board lost; closing it";
    poll.gone = true;
    close();
  }
  return poll;
}

}  // namespace torvex::board
