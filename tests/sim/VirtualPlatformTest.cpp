// SPDX-License-Identifier: MIT
// The virtual platform as a HID platform: per-handle queues that drop new
// reports when full, handles that die on unplug, and the counting that other
// tests rely on to find leaks.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

using hid::OpenMode;

struct Rig {
  VirtualPlatform p;
  int b = p.addBoard({});
  hid::Handle open(OpenMode mode = OpenMode::NonBlocking, hid::OpenError* e = nullptr) {
    return p.open(p.device(b).path, mode, e);
  }
};

// A full queue refuses the newest: the 64 oldest of 70 stay. A read of 500
// bytes drains them all and returns the newest 38 whole 13-byte reports.
TEST(VirtualPlatform, FullQueueKeepsTheOldestAndReadsTheNewestThatFit) {
  Rig r;
  const hid::Handle h = r.open();
  std::vector<Bytes> made;
  for (int k = 0; k < 70; ++k) {
    r.p.firmware(r.b).setPaddle(0, static_cast<std::uint16_t>(900 * (k + 1)));
    made.push_back(r.p.firmware(r.b).inputReport());
  }
  const hid::InputRead read = r.p.readInput(h, 500);
  EXPECT_EQ(read.reportsDrained, 64);
  Bytes expected;
  for (int k = 64 - 38; k < 64; ++k)
    expected.insert(expected.end(), made[k].begin(), made[k].end());
  EXPECT_EQ(read.bytes, expected);
  EXPECT_EQ(r.p.readInput(h, 500).status, hid::InputRead::Status::Empty);
}

// A feature read says how many bytes arrived (none: a failure), never more than the
// buffer holds, and zeroes the rest of the buffer.
TEST(VirtualPlatform, FeatureReadReportsTheBytesThatArrived) {
  for (auto [sent, got] : {std::pair<std::size_t, std::size_t>{20, 20}, {80, 64}, {0, 0}}) {
    Rig r;
    const hid::Handle h = r.open(OpenMode::Plain);
    r.p.device(r.b).scriptedReplies.push_back({false, Bytes(sent, 0x11)});
    Bytes buffer(64, 0xEE);
    EXPECT_EQ(r.p.getFeature(h, buffer), got ? std::optional(got) : std::nullopt) << sent;
    if (!got) continue;
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x11), static_cast<long>(got)) << sent;
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), static_cast<long>(64 - got)) << sent;
    EXPECT_EQ(r.p.featureLog().back().bytes.size(), got) << sent;
  }
}

TEST(VirtualPlatform, UnplugKillsHandlesAndReplugNeedsNewOnes) {
  Rig r;
  const hid::Handle plain = r.open(OpenMode::Plain);
  const hid::Handle reader = r.open();
  r.p.firmware(r.b).setButton(0, true);

  r.p.unplug(r.b);
  EXPECT_EQ(r.p.readInput(reader, 500).status, hid::InputRead::Status::Gone);
  hid::OpenError e = hid::OpenError::None;
  EXPECT_EQ(r.open(OpenMode::Plain, &e), hid::kNoHandle);
  EXPECT_EQ(e, hid::OpenError::NotFound);

  r.p.plug(r.b);
  EXPECT_FALSE(r.p.attributes(plain)) << "still dead";
  const hid::Handle fresh = r.open();
  EXPECT_EQ(r.p.readInput(fresh, 500).status, hid::InputRead::Status::Empty);

  // Dead handles are still open until closed: a leak shows in the count.
  EXPECT_EQ(r.p.openHandleCount(r.b), 3);
  EXPECT_TRUE(r.p.close(plain) && r.p.close(reader) && r.p.close(fresh));
  EXPECT_FALSE(r.p.close(fresh));
  EXPECT_EQ(r.p.badCloseCount(), 1);
}

}  // namespace
}  // namespace torvex::sim
