// SPDX-License-Identifier: MIT
// The virtual platform as a HID platform: per-handle queues that drop new
// reports when full, feature reads of the bytes that arrived, handles that die
// on unplug, and the counting that other tests rely on to find leaks.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

using hid::OpenMode;
using Status = hid::InputRead::Status;

// A feature read says how many bytes arrived (none: a failure), never more than
// the buffer holds, and zeroes the rest of the buffer.
TEST(VirtualPlatform, FeatureReadReportsTheBytesThatArrived) {
  for (auto [sent, got] : {std::pair<std::size_t, std::size_t>{20, 20}, {80, 64}, {0, 0}}) {
    VirtualPlatform p;
    p.addBoard({});
    p.device(0).scriptedReplies.push_back({false, Bytes(sent, 0x11)});
    Bytes buffer(64, 0xEE);
    EXPECT_EQ(p.getFeature(p.open(p.device(0).path, OpenMode::Plain), buffer),
              got ? std::optional(got) : std::nullopt);
    if (!got) continue;
    Bytes expected(64, 0);
    std::fill_n(expected.begin(), got, 0x11);
    EXPECT_EQ(buffer, expected) << sent;
    EXPECT_EQ(p.featureLog().back().bytes.size(), got) << sent;
  }
}

// A full queue refuses the newest: the 64 oldest of 70 stay. A read of 500
// bytes drains them all and returns the newest 38 whole 13-byte reports. An
// unplug kills every handle; a dead one stays open until closed.
TEST(VirtualPlatform, FullQueueKeepsTheOldestUnplugKillsHandlesReplugNeedsNewOnes) {
  VirtualPlatform p;
  p.addBoard({});
  const auto open = [&](OpenMode mode, hid::OpenError* e = nullptr) {
    return p.open(p.device(0).path, mode, e);
  };
  const hid::Handle plain = open(OpenMode::Plain), reader = open(OpenMode::NonBlocking);
  Bytes expected;
  for (int k = 0; k < 70; ++k) {
    p.firmware(0).setPaddle(0, static_cast<std::uint16_t>(900 * (k + 1)));
    const Bytes made = p.firmware(0).inputReport();
    if (k >= 64 - 38 && k < 64) expected.insert(expected.end(), made.begin(), made.end());
  }
  const hid::InputRead read = p.readInput(reader, 500);
  EXPECT_EQ(std::tuple(read.reportsDrained, read.bytes), std::tuple(64, expected));
  EXPECT_EQ(p.readInput(reader, 500).status, Status::Empty);

  p.firmware(0).setButton(0, true);
  p.unplug(0);
  EXPECT_EQ(p.readInput(reader, 500).status, Status::Gone);
  hid::OpenError e = hid::OpenError::None;
  EXPECT_EQ(std::pair(open(OpenMode::Plain, &e), e),
            std::pair(hid::kNoHandle, hid::OpenError::NotFound));
  p.plug(0);
  EXPECT_FALSE(p.attributes(plain)) << "still dead";
  const hid::Handle fresh = open(OpenMode::NonBlocking);
  EXPECT_EQ(p.readInput(fresh, 500).status, Status::Empty);
  // Dead handles are still open until closed: a leak shows in the count.
  EXPECT_EQ(p.openHandleCount(0), 3);
  EXPECT_TRUE(p.close(plain) && p.close(reader) && p.close(fresh) && !p.close(fresh));
  EXPECT_EQ(p.badCloseCount(), 1);
}

}  // namespace
}  // namespace torvex::sim
