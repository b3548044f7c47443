// SPDX-License-Identifier: MIT
// One writer at a time: an apply waits for another program's hold on the
// board, on the virtual clock, and keeps the board to itself once it has it.
#include <gtest/gtest.h>

#include "board/SettingWrites.h"
#include "support/FaultPlatform.h"

namespace torvex::test {
namespace {

using board::BoardLock;
using Take = BoardLock::Take;

// Another program holds board TVX0001 from the start and lets go during the
// wait's sleep that ends at `releaseMs` (0: never). The apply changes a dead
// zone (two frames, each with the board's 20 ms) and reads it back.
TEST(Lock, ApplyWaitsTellsAfterASecondGivesUpAfterThirtyAndKeepsTheBoard) {
  const struct {
    int releaseMs;
    const char* told;
    const char* wire;  // frames with their ms since the apply began
    int ms;            // how long the apply took
  } cases[] = {
      {200, "", "54:80@210 55:01@230", 350},
      {1500, "waiting over ", "54:80@1510 55:01@1530", 1650},
      {0, "waiting gave-up ", "", 30020},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.releaseMs);
    sim::VirtualPlatform boards;
    FaultPlatform platform{boards};
    boards.addBoard({});
    board::Board board(platform);
    ASSERT_TRUE(board.open("TVX0001"));
    const board::Settings current = board.readBack().settings;
    board::Settings wanted = current;
    wanted.xDeadLow = 0x0180;
    boards.clearLog();

    BoardLock other;
    ASSERT_EQ(other.tryTake("TVX0001"), Take::Held);
    const std::int64_t t0 = boards.nowUs();
    bool released = false, taken = false;
    platform.before = [&](Call call, hid::Handle) {
      const std::int64_t endsMs = (boards.nowUs() - t0) / 1000 + board::Board::kLockRetryMs;
      if (call != Call::Sleep) return false;
      if (!released && endsMs == c.releaseMs) {
        other.release();
        released = true;
      } else if (released && other.tryTake("TVX0001") == Take::Held) {
        taken = true;  // the board was free between two steps of the apply
        other.release();
      }
      return false;
    };
    std::string told;
    board.setLockWaitNotice([&](board::LockWait wait, const QString& serial) {
      told += std::array{"waiting", "over", "gave-up"}[static_cast<int>(wait)] + std::string(" ");
      EXPECT_EQ(serial, "TVX0001");
    });
    const board::ApplyOutcome out = board::ApplySettings(board, current, wanted);
    QStringList wire;
    for (const auto& e : boards.sentTo(0))
      wire << QString::asprintf("%02X:%02X@%d", e.bytes[2], e.bytes[3],
                                static_cast<int>((e.timeUs - t0) / 1000));
    EXPECT_EQ(wire.join(' '), c.wire);
    EXPECT_EQ(std::tuple(told, (boards.nowUs() - t0) / 1000, taken, out.succeeded(), out.lockedOut),
              std::tuple(std::string(c.told), c.ms, false, c.releaseMs > 0, c.releaseMs == 0));
    other.release();
    BoardLock after;  // the board let go when the apply ended
    EXPECT_EQ(after.tryTake("TVX0001"), Take::Held);
  }
}

}  // namespace
}  // namespace torvex::test
