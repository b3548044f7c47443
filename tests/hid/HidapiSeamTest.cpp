// The hidapi backend's own logic, driven through its seam with scripted reads:
// the report-ID byte, draining, the newest reports that fit, Empty vs Gone.

#include <gtest/gtest.h>

#include <optional>

#include "hid/HidapiPlatform.h"

namespace torvex::hid {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = InputRead::Status;

// What hid_read hands over, one entry per call; nullopt is a -1 (board gone).
// After the script, reads return 0 (nothing queued).
struct ScriptedReads {
  std::vector<std::optional<Bytes>> script;
  std::size_t next = 0;
  int calls = 0;
  int operator()(std::uint8_t* buffer, std::size_t size) {
    ++calls;
    if (next >= script.size()) return 0;
    const auto& r = script[next++];
    if (!r) return -1;
    const std::size_t n = std::min(size, r->size());
    std::copy_n(r->begin(), n, buffer);
    return static_cast<int>(n);
  }
};

Bytes Seq(std::uint8_t first, std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
  return b;
}

struct DrainCase {
  const char* name;
  std::vector<std::optional<Bytes>> reads;
  bool numbered;
  std::size_t maxBytes;
  Status status;
  Bytes expected;
  int drained;
};

const DrainCase kDrainCases[] = {
    {"NothingQueued", {}, false, 500, Status::Empty, {}, 0},
    {"GoneAtOnce", {std::nullopt}, false, 500, Status::Gone, {}, 0},
    {"UnnumberedGetsZeroId", {Bytes{0x11, 0x22}}, false, 500, Status::Ok, {0x00, 0x11, 0x22}, 1},
    {"NumberedKeptAsIs", {Bytes{0x05, 0xAA, 0xBB}}, true, 500, Status::Ok, {0x05, 0xAA, 0xBB}, 1},
    {"AllFitOldestFirst",
     {Bytes{0x01}, Bytes{0x02}, Bytes{0x03}},
     false,
     500,
     Status::Ok,
     {0x00, 0x01, 0x00, 0x02, 0x00, 0x03},
     3},
    {"OnlyNewestThatFit",
     {Bytes{0x01, 0x01}, Bytes{0x02, 0x02}, Bytes{0x03, 0x03}},
     false,
     7,
     Status::Ok,
     {0x00, 0x02, 0x02, 0x00, 0x03, 0x03},
     3},
    {"MixedSizesNumbered",
     {Bytes{0x01, 0xAA}, Bytes{0x02, 0xBB, 0xCC, 0xDD}, Bytes{0x01, 0xEE}},
     true,
     6,
     Status::Ok,
     {0x02, 0xBB, 0xCC, 0xDD, 0x01, 0xEE},
     3},
    {"NewestTooBigShowsNothingOlder", {Bytes{0x01}, Seq(0x10, 20)}, false, 13, Status::Ok, {}, 2},
    {"TooBigInTheMiddleCutsOlder",
     {Bytes{0x01}, Seq(0x10, 20), Bytes{0x03}},
     false,
     13,
     Status::Ok,
     {0x00, 0x03},
     3},
    {"GoneAfterReportsIsGone",
     {Bytes{0x01}, Bytes{0x02}, std::nullopt},
     false,
     500,
     Status::Gone,
     {},
     2},
};

class DrainTable : public testing::TestWithParam<DrainCase> {};

TEST_P(DrainTable, Drains) {
  const DrainCase& c = GetParam();
  ScriptedReads reads{c.reads};
  const InputRead r = DrainInputReports(std::ref(reads), c.numbered, c.maxBytes, /*bufferSize=*/64);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.bytes, c.expected);
  EXPECT_EQ(r.reportsDrained, c.drained);
  // Every queued report is taken, then one read finds the queue empty.
  if (c.status != Status::Gone) {
    EXPECT_EQ(reads.calls, static_cast<int>(c.reads.size()) + 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Reads, DrainTable, testing::ValuesIn(kDrainCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrainInputReports, FullKernelQueueOfBoardReportsKeepsTheNewest38) {
  // 64 queued reports of our board (12 data bytes each, no IDs), 500 bytes of room.
  ScriptedReads reads;
  for (int i = 0; i < 64; ++i) reads.script.push_back(Bytes(12, static_cast<std::uint8_t>(i)));
  const InputRead r = DrainInputReports(std::ref(reads), false, 500, 64);
  ASSERT_EQ(r.status, Status::Ok);
  EXPECT_EQ(r.reportsDrained, 64);
  ASSERT_EQ(r.bytes.size(), 38u * 13u);
  for (int k = 0; k < 38; ++k) {
    EXPECT_EQ(r.bytes[k * 13], 0x00) << k;
    EXPECT_EQ(r.bytes[k * 13 + 1], 26 + k) << k;
    EXPECT_EQ(r.bytes[k * 13 + 12], 26 + k) << k;
  }
}

TEST(DrainInputReports, EndlessDeviceCannotHoldTheWindow) {
  int calls = 0;
  const RawRead endless = [&calls](std::uint8_t* b, std::size_t) {
    ++calls;
    b[0] = 0x42;
    return 1;
  };
  const InputRead r = DrainInputReports(endless, false, 4, 64, /*maxReads=*/100);
  EXPECT_EQ(calls, 100);
  EXPECT_EQ(r.status, Status::Ok);
  EXPECT_EQ(r.bytes, (Bytes{0x00, 0x42, 0x00, 0x42}));
}

TEST(WideToUtf16, Table) {
  struct Case {
    std::wstring in;
    std::u16string out;
  };
  const Case cases[] = {
      {L"", u""},
      {L"TVX0001", u"TVX0001"},
      {L"Zürich \u4E00", u"Zürich \u4E00"},
      {L"a\U0001D11Eb", u"a\U0001D11Eb"},  // becomes a surrogate pair
      {std::wstring(1, static_cast<wchar_t>(0x110000)), u"\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(WideToUtf16(c.in), c.out);
}

TEST(SysfsDescriptorPath, OnlyHidrawNodes) {
  const std::pair<const char*, const char*> cases[] = {
      {"/dev/hidraw0", "/sys/class/hidraw/hidraw0/device/report_descriptor"},
      {"/dev/hidraw12", "/sys/class/hidraw/hidraw12/device/report_descriptor"},
      {"/dev/hidraw", ""},
      {"/dev/hidraw1/../../etc/passwd", ""},
      {"/dev/usb/hiddev0", ""},
      {"1-2:1.0", ""},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(SysfsDescriptorPath(path), expected) << path;
}

TEST(HidapiPlatform, RefusesPathsItDidNotEnumerateAndUnknownHandles) {
  HidapiPlatform p;
  // hidapi 0.13 would crash on a path that is no hidraw node; it must never get one.
  OpenError e = OpenError::None;
  EXPECT_EQ(p.open("/tmp/not-a-hidraw-node", OpenMode::Plain, &e), kNoHandle);
  EXPECT_EQ(e, OpenError::NotFound);
  const Handle bogus = 12345;
  EXPECT_FALSE(p.close(bogus));
  EXPECT_FALSE(p.attributes(bogus));
  EXPECT_FALSE(p.string(bogus, StringKind::SerialNumber));
  EXPECT_FALSE(p.reportLengths(bogus));
  const Bytes report(64, 0);
  Bytes reply(64, 0);
  EXPECT_FALSE(p.setFeature(bogus, report));
  EXPECT_FALSE(p.getFeature(bogus, reply));
  EXPECT_EQ(p.readInput(bogus, 500).status, Status::Gone);
}

}  // namespace
}  // namespace torvex::hid
