// SPDX-License-Identifier: MIT
#pragma once
// One board::Board on a FaultPlatform in front of emulated boards, on the
// virtual clock. On the way out nothing may stay open, be closed twice, or
// have been handed a feature buffer of another length than the board's.

#include <gtest/gtest.h>

#include "board/Board.h"
#include "support/FaultPlatform.h"
#include "support/Wire.h"

namespace torvex::test {

using Serials = std::vector<std::optional<std::u16string>>;  // nullopt: unreadable

struct Bench {
  sim::VirtualPlatform boards;
  FaultPlatform platform{boards};
  std::optional<board::Board> board{std::in_place, platform};

  explicit Bench(const Serials& serials = {u"TVX0001"}) {
    for (const auto& s : serials) boards.addBoard({.serialNumber = s});
    platform.featureLength = [this](hid::Handle) -> std::size_t { return board->featureLength(); };
  }
  ~Bench() {
    board.reset();
    EXPECT_EQ(boards.openHandleCount() + boards.badCloseCount() + platform.badBuffers(), 0);
  }
  std::int64_t ms() { return boards.nowUs() / 1000; }
  // Board 0 open and read back, the log cleared.
  void load(bool readBack = true) {
    ASSERT_TRUE(board->open("TVX0001"));
    if (readBack) board->readBack();
    boards.clearLog();
  }
  // Frames board 0 received since t0 as "kind/code:value@ms"; each must be a
  // whole feature report with report ID 0 and zeros past its head.
  std::string wire(std::int64_t t0) {
    QStringList out;
    for (const auto& e : boards.sentTo(0)) {
      const auto& f = e.bytes;
      EXPECT_EQ(f, Frame({0, f.at(1), f.at(2), f.at(3)}, board->featureLength()));
      out << QString::asprintf("%d/%02X:%02X@%d", f[1], f[2], f[3], int(e.timeUs / 1000 - t0));
    }
    return out.join(' ').toStdString();
  }
};

}  // namespace torvex::test
