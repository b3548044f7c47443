// The virtual platform as a HID platform: per-handle queues that drop new
// reports when full, the newest reports that fit a read, handles that die on
// unplug, and the counting that other tests rely on to find leaks.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

using hid::InputRead;
using hid::OpenMode;

constexpr std::size_t kReport = 13;  // ID byte, 8 button bytes, X, Y

TEST(VirtualPlatform, ReadGivesTheNewestWholeReportsThatFit) {
  const struct {
    int changes;         // input changes, one report each
    std::size_t budget;  // bytes the reader offers
    int drained, kept;   // reports taken off the queue, newest whole reports returned
  } cases[] = {
      {40, 500, 40, 38},
      {5, 5 * kReport, 5, 5},
      {5, 5 * kReport - 1, 5, 4},
      // A full queue refuses the newest: the 64 oldest stay, the last 6 are lost.
      {64 + 6, 64 * kReport, 64, 64},
      {64 + 6, 500, 64, 38},
      {3, kReport - 1, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.changes << " changes, " << c.budget << " bytes");
    VirtualPlatform p;
    const int b = p.addBoard({});
    const hid::Handle h = p.open(p.device(b).path, OpenMode::NonBlocking);
    std::vector<Bytes> made;
    for (int k = 0; k < c.changes; ++k) {
      p.firmware(b).setPaddle(0, static_cast<std::uint16_t>(900 * (k + 1)));
      made.push_back(p.firmware(b).inputReport());
    }
    ASSERT_EQ(std::set(made.begin(), made.end()).size(), made.size());

    const InputRead r = p.readInput(h, c.budget);
    EXPECT_EQ(r.status, InputRead::Status::Ok);
    EXPECT_EQ(r.reportsDrained, c.drained);
    Bytes expected;
    for (int k = c.drained - c.kept; k < c.drained; ++k)
      expected.insert(expected.end(), made[k].begin(), made[k].end());
    EXPECT_EQ(r.bytes, expected);
    // The read took everything: the next one finds the queue empty.
    EXPECT_EQ(p.readInput(h, c.budget).status, InputRead::Status::Empty);
  }
}

// A feature read says how many bytes arrived; the rest of the buffer is zeroed.
TEST(VirtualPlatform, FeatureReadReportsTheBytesThatArrived) {
  const struct {
    ScriptedReply reply;
    std::optional<std::size_t> got;
  } cases[] = {
      {{false, Bytes(64, 0x11)}, 64},
      {{false, Bytes(20, 0x11)}, 20},
      {{false, Bytes(80, 0x11)}, 64},  // never more than the buffer holds
      {{false, {}}, std::nullopt},     // nothing arrived
      {{true, Bytes(64, 0x11)}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply.bytes.size());
    VirtualPlatform p;
    const int b = p.addBoard({});
    const hid::Handle h = p.open(p.device(b).path, OpenMode::Plain);
    p.device(b).scriptedReplies.push_back(c.reply);
    Bytes buffer(64, 0xEE);
    buffer[0] = 0;
    EXPECT_EQ(p.getFeature(h, buffer), c.got);
    if (!c.got) continue;
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x11), static_cast<long>(*c.got));
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), static_cast<long>(64 - *c.got));
    EXPECT_EQ(p.featureLog().back().bytes.size(), *c.got);
  }
}

TEST(VirtualPlatform, UnplugKillsHandlesAndReplugNeedsNewOnes) {
  VirtualPlatform p;
  const int b = p.addBoard({});
  const hid::Handle plain = p.open(p.device(b).path, OpenMode::Plain);
  const hid::Handle reader = p.open(p.device(b).path, OpenMode::NonBlocking);
  p.firmware(b).setButton(0, true);

  p.unplug(b);
  EXPECT_EQ(p.readInput(reader, 500).status, InputRead::Status::Gone);
  EXPECT_FALSE(p.attributes(plain));
  EXPECT_TRUE(p.enumerate().empty());
  hid::OpenError e = hid::OpenError::None;
  EXPECT_EQ(p.open(p.device(b).path, OpenMode::Plain, &e), hid::kNoHandle);
  EXPECT_EQ(e, hid::OpenError::NotFound);

  p.plug(b);
  EXPECT_EQ(p.readInput(reader, 500).status, InputRead::Status::Gone);  // still dead
  const hid::Handle fresh = p.open(p.device(b).path, OpenMode::NonBlocking, &e);
  EXPECT_EQ(p.readInput(fresh, 500).status, InputRead::Status::Empty);

  // Dead handles are still open until closed: a leak shows in the count.
  EXPECT_EQ(p.openHandleCount(b), 3);
  EXPECT_TRUE(p.close(plain) && p.close(reader) && p.close(fresh));
  EXPECT_FALSE(p.close(fresh));
  EXPECT_EQ(p.openHandleCount(), 0);
  EXPECT_EQ(p.badCloseCount(), 1);
}

}  // namespace
}  // namespace torvex::sim
