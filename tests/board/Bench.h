#pragma once
// One board::Board on a FaultPlatform in front of emulated boards, on the
// virtual clock. On the way out nothing may stay open, be closed twice, or
// have been handed a feature buffer of another length than the board's.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "board/Board.h"
#include "support/FaultPlatform.h"
#include "support/Wire.h"

namespace torvex::test {

namespace p = protocol;
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
  board::Board& b() { return *board; }
  std::int64_t ms() { return boards.nowUs() / 1000; }
  // Board 0 open and read back, the log cleared.
  void load() {
    ASSERT_TRUE(board->open("TVX0001"));
    board->readBack();
    boards.clearLog();
  }
};

}  // namespace torvex::test
