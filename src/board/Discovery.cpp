// SPDX-License-Identifier: MIT
// Finding the boards, listing them by serial number and opening the chosen one.
#include "board/Board.h"
#include "board/Identity.h"
#include "board/LogCategories.h"
#include "hid/Config.h"

namespace torvex::board {
namespace {

bool IsBoard(const hid::InterfaceInfo& info) {
  // Decided from what the OS lists: nothing else is ever opened.
  return info.vendorId == DeviceVendorId && info.productId == DeviceProductId;
}

struct Probe {
  hid::Handle handle = hid::kNoHandle;
  QString serial;
  hid::Attributes attributes;
};

// Opens one listed board and reads its serial number. The handle stays open
// only inside the result; a board that cannot be opened, or whose attributes
// or serial number cannot be read, is passed over.
std::optional<Probe> ProbeBoard(hid::HidPlatform& platform, const hid::InterfaceInfo& info,
                                hid::OpenError& lastOpenError) {
  hid::OpenError error = hid::OpenError::None;
  const hid::Handle handle = platform.open(info.path, hid::OpenMode::Plain, &error);
  if (handle == hid::kNoHandle) {
    lastOpenError = error;
    return std::nullopt;
  }
  const auto attributes = platform.attributes(handle);
  std::optional<std::u16string> serial;
  if (attributes) serial = platform.string(handle, hid::StringKind::SerialNumber);
  if (!serial) {
    platform.close(handle);
    return std::nullopt;
  }
  return Probe{handle, IdentityText(*serial), *attributes};
}

}  // namespace

Board::Board(hid::HidPlatform& platform) : platform_(platform) {}

Board::~Board() {
  close();
}

ScanResult Board::scan() {
  ScanResult result;
  scanSawBoard_ = false;
  for (const auto& info : platform_.enumerate()) {
    if (!IsBoard(info)) continue;
    scanSawBoard_ = true;
    const auto probe = ProbeBoard(platform_, info, result.lastOpenError);
    if (!probe) continue;
    platform_.close(probe->handle);
    result.serials.push_back(probe->serial);
  }
  lastOpenError_ = result.lastOpenError;
  return result;
}

bool Board::worthScanning() {
  // Asked every time, so that the platform's record of changes is taken.
  const bool changed = platform_.devicesChanged();
  return changed || scanSawBoard_;
}

bool Board::open(const QString& serial) {
  // A handle left from an earlier open would leak when overwritten.
  close();
  for (const auto& info : platform_.enumerate()) {
    if (!IsBoard(info)) continue;
    const auto probe = ProbeBoard(platform_, info, lastOpenError_);
    if (!probe) continue;
    if (probe->serial == serial) {
      featureHandle_ = probe->handle;
      path_ = info.path;
      serial_ = serial;
      attributes_ = probe->attributes;
      open_ = true;
      break;
    }
    platform_.close(probe->handle);
  }
  if (!open_) return false;

  // On failure the previous lengths stay: the board's feature calls then fail anyway.
  if (const auto lengths = platform_.reportLengths(featureHandle_)) {
    inputLength_ = lengths->input;
    featureLength_ = lengths->feature;
  }
  hid::OpenError error = hid::OpenError::None;
  inputHandle_ = platform_.open(path_, hid::OpenMode::NonBlocking, &error);
  if (inputHandle_ == hid::kNoHandle) {
    // Without its input handle the board would look lost on every poll.
    lastOpenError_ = error;
    qCInfo(lcHid) << "board" << serial << "has no input channel";
    close();
    return false;
  }
  return true;
}

void Board::close() {
  if (featureHandle_ != hid::kNoHandle) {
    platform_.close(featureHandle_);
    featureHandle_ = hid::kNoHandle;
  }
  if (inputHandle_ != hid::kNoHandle) {
    platform_.close(inputHandle_);
    inputHandle_ = hid::kNoHandle;
  }
  open_ = false;
  loaded_ = false;
  lock_.release();
}

}  // namespace torvex::board
