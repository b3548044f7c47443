// SPDX-License-Identifier: MIT
#include "board/BoardList.h"

#include "board/Identity.h"
#include "hid/Config.h"

namespace torvex::board {
namespace {

// The board reads one identity string at a time, as during a read-back.
constexpr int kStringPauseMs = 10;

std::optional<QString> Text(hid::HidPlatform& platform, hid::Handle h, hid::StringKind kind) {
  const auto units = platform.string(h, kind);
  platform.sleep(kStringPauseMs);
  if (!units) return std::nullopt;
  return IdentityText(*units);
}

}  // namespace

std::vector<ListedBoard> ListBoards(hid::HidPlatform& platform) {
  std::vector<ListedBoard> boards;
  for (const auto& info : platform.enumerate()) {
    if (info.vendorId != DeviceVendorId || info.productId != DeviceProductId) continue;
    ListedBoard b;
    const hid::Handle h = platform.open(info.path, hid::OpenMode::Plain, &b.openError);
    if (h != hid::kNoHandle) {
      const auto attributes = platform.attributes(h);
      const auto serial =
          attributes ? Text(platform, h, hid::StringKind::SerialNumber) : std::nullopt;
      // A board without a serial number cannot be picked, as in Board::scan().
      b.accessible = serial.has_value();
      if (!b.accessible) b.openError = hid::OpenError::Failed;
      if (b.accessible) {
        b.serial = *serial;
        b.versionNumber = attributes->versionNumber;
        b.manufacturer = Text(platform, h, hid::StringKind::Manufacturer);
        b.product = Text(platform, h, hid::StringKind::Product);
      }
      platform.close(h);
    }
    boards.push_back(b);
  }
  return boards;
}

}  // namespace torvex::board
