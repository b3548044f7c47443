// The virtual platform as a HID platform: per-handle queues that drop new
// reports when full, the newest reports that fit a read, handles that die on
// unplug, and the counting that other tests rely on to find leaks.

#include <gtest/gtest.h>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

using hid::InputRead;
using hid::OpenError;
using hid::OpenMode;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBoardReport = 13;  // ID byte, 8 button bytes, X, Y

// Makes `n` input changes on board `b`, each a button that the board does not
// already report (the rotary switches light some bits), pressing them all
// first and then releasing them. Returns every report the board produced.
std::vector<Bytes> ChangeInputs(VirtualPlatform& p, int b, int n) {
  BoardFirmware& fw = p.firmware(b);
  const Bytes idle = fw.inputReport();
  std::vector<int> free;
  for (int i = 0; i < 64; ++i)
    if (!(idle[1 + i / 8] & (1 << (i % 8)))) free.push_back(i);
  std::vector<Bytes> reports;
  for (int k = 0; k < n; ++k) {
    const int round = k / static_cast<int>(free.size());
    fw.setButton(free[k % free.size()], round % 2 == 0);
    reports.push_back(fw.inputReport());
  }
  return reports;
}

struct QueueCase {
  const char* name;
  int changes;         // input changes, one report each
  std::size_t budget;  // bytes the reader offers
  int drained;         // reports taken off the queue
  int kept;            // newest whole reports returned
};

const QueueCase kQueueCases[] = {
    {"OneReport", 1, 500, 1, 1},
    {"AllFit", 10, 500, 10, 10},
    {"BudgetKeepsNewest", 40, 500, 40, 38},
    {"ExactBudget", 5, 5 * kBoardReport, 5, 5},
    {"OneByteShort", 5, 5 * kBoardReport - 1, 5, 4},
    // A full queue refuses the newest: the 64 oldest stay, the last 6 are lost.
    {"FullQueueDropsNew", 64 + 6, 64 * kBoardReport, 64, 64},
    {"FullQueueThenBudget", 64 + 6, 500, 64, 38},
    {"BudgetBelowOneReport", 3, kBoardReport - 1, 3, 0},
};

class VirtualQueue : public testing::TestWithParam<QueueCase> {};

TEST_P(VirtualQueue, NewestWholeReportsThatFit) {
  const QueueCase& c = GetParam();
  VirtualPlatform p;
  const int b = p.addBoard({});
  const hid::Handle h = p.open(p.device(b).path, OpenMode::NonBlocking);
  ASSERT_NE(h, hid::kNoHandle);
  const std::vector<Bytes> made = ChangeInputs(p, b, c.changes);

  const InputRead r = p.readInput(h, c.budget);
  EXPECT_EQ(r.status, InputRead::Status::Ok);
  EXPECT_EQ(r.reportsDrained, c.drained);
  Bytes expected;
  for (int k = c.drained - c.kept; k < c.drained; ++k)
    expected.insert(expected.end(), made[k].begin(), made[k].end());
  EXPECT_EQ(r.bytes, expected);
  for (std::size_t at = 0; at < r.bytes.size(); at += kBoardReport)
    EXPECT_EQ(r.bytes[at], 0x00);  // report ID of an unnumbered board
  // The read took everything: the next one finds the queue empty.
  EXPECT_EQ(p.readInput(h, c.budget).status, InputRead::Status::Empty);
  EXPECT_TRUE(p.close(h));
}

INSTANTIATE_TEST_SUITE_P(Reads, VirtualQueue, testing::ValuesIn(kQueueCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualPlatform, UnplugKillsHandlesAndReplugNeedsNewOnes) {
  VirtualPlatform p;
  const int b = p.addBoard({});
  const hid::Handle plain = p.open(p.device(b).path, OpenMode::Plain);
  const hid::Handle reader = p.open(p.device(b).path, OpenMode::NonBlocking);
  p.firmware(b).setButton(0, true);

  p.unplug(b);
  EXPECT_EQ(p.readInput(reader, 500).status, InputRead::Status::Gone);
  EXPECT_FALSE(p.attributes(plain));
  EXPECT_FALSE(p.string(plain, hid::StringKind::SerialNumber));
  EXPECT_TRUE(p.enumerate().empty());
  OpenError e = OpenError::None;
  EXPECT_EQ(p.open(p.device(b).path, OpenMode::Plain, &e), hid::kNoHandle);
  EXPECT_EQ(e, OpenError::NotFound);

  p.plug(b);
  EXPECT_EQ(p.readInput(reader, 500).status, InputRead::Status::Gone);  // still dead
  const hid::Handle fresh = p.open(p.device(b).path, OpenMode::NonBlocking, &e);
  EXPECT_EQ(e, OpenError::None);
  EXPECT_EQ(p.readInput(fresh, 500).status, InputRead::Status::Empty);

  // Dead handles are still open until closed: a leak shows in the count.
  EXPECT_EQ(p.openHandleCount(b), 3);
  EXPECT_TRUE(p.close(plain));
  EXPECT_TRUE(p.close(reader));
  EXPECT_TRUE(p.close(fresh));
  EXPECT_EQ(p.openHandleCount(), 0);
  EXPECT_EQ(p.badCloseCount(), 0);
}

}  // namespace
}  // namespace torvex::sim
