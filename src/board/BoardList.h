// SPDX-License-Identifier: MIT
#pragma once
// Every board on the bus with what it says about itself, including boards
// that are present but cannot be opened (no access, or held by another
// program), so a front end can say why and how to fix it.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "hid/HidPlatform.h"

namespace torvex::board {

struct ListedBoard {
  bool accessible = false;
  hid::OpenError openError = hid::OpenError::None;  // why it could not be opened
  QString serial;                                   // empty when not accessible
  std::optional<QString> manufacturer;
  std::optional<QString> product;
  std::uint16_t versionNumber = 0;
};

// Opens each board just long enough to read its attributes and strings; sends
// nothing. Boards keep the OS's order.
std::vector<ListedBoard> ListBoards(hid::HidPlatform& platform);

}  // namespace torvex::board
