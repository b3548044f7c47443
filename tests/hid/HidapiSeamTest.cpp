// The hidapi backend's own logic, driven through its seam with scripted reads:
// the report-ID byte, draining, the newest reports that fit, Empty vs Gone.

#include <gtest/gtest.h>

#include <sstream>

#include "hid/HidapiPlatform.h"

namespace torvex::hid {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = InputRead::Status;

Bytes Hex(const char* text) {
  Bytes out;
  std::istringstream in(text);
  for (unsigned b; in >> std::hex >> b;) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

TEST(DrainInputReports, NewestWholeReportsThatFitOldestFirst) {
  const auto t20 = "10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 21 22 23";
  struct Case {
    std::vector<const char*> reads;  // nullptr: the board is gone
    bool numbered;
    std::size_t maxBytes;
    Status status;
    const char* expected;
    int drained;
  } cases[] = {
      {{}, false, 500, Status::Empty, "", 0},
      {{nullptr}, false, 500, Status::Gone, "", 0},
      {{"11 22"}, false, 500, Status::Ok, "00 11 22", 1},
      {{"05 aa bb"}, true, 500, Status::Ok, "05 aa bb", 1},
      {{"01 01", "02 02", "03 03"}, false, 7, Status::Ok, "00 02 02 00 03 03", 3},
      {{"01 aa", "02 bb cc dd", "01 ee"}, true, 6, Status::Ok, "02 bb cc dd 01 ee", 3},
      // A newest report too big for the room shows nothing older in its place.
      {{"01", t20}, false, 13, Status::Ok, "", 2},
      {{"01", t20, "03"}, false, 13, Status::Ok, "00 03", 3},
      {{"01", "02", nullptr}, false, 500, Status::Gone, "", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    // hid_read hands over one scripted report per call, then 0 (nothing queued).
    std::size_t next = 0;
    int calls = 0;
    const RawRead read = [&](std::uint8_t* buffer, std::size_t size) {
      ++calls;
      if (next == c.reads.size()) return 0;
      const char* report = c.reads[next++];
      if (!report) return -1;
      const Bytes bytes = Hex(report);
      const std::size_t n = std::min(size, bytes.size());
      std::copy_n(bytes.begin(), n, buffer);
      return static_cast<int>(n);
    };
    const InputRead r = DrainInputReports(read, c.numbered, c.maxBytes, 64);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.bytes, Hex(c.expected));
    EXPECT_EQ(r.reportsDrained, c.drained);
    // Every queued report is taken, then one read finds the queue empty.
    if (c.status != Status::Gone) {
      EXPECT_EQ(calls, static_cast<int>(c.reads.size()) + 1);
    }
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
  EXPECT_EQ(r.bytes, Hex("00 42 00 42"));
}

TEST(HidapiHelpers, WideToUtf16AndSysfsPath) {
  EXPECT_EQ(WideToUtf16(L"Zürich \u4E00"), u"Zürich \u4E00");
  EXPECT_EQ(WideToUtf16(L"a\U0001D11Eb"), u"a\U0001D11Eb");  // becomes a surrogate pair
  EXPECT_EQ(WideToUtf16(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");

  const std::pair<const char*, const char*> paths[] = {
      {"/dev/hidraw12", "/sys/class/hidraw/hidraw12/device/report_descriptor"},
      {"/dev/hidraw", ""},
      {"/dev/hidraw1/../../etc/passwd", ""},
      {"/dev/usb/hiddev0", ""},
  };
  for (const auto& [path, expected] : paths) EXPECT_EQ(SysfsDescriptorPath(path), expected) << path;
}

TEST(HidapiPlatform, RefusesPathsItDidNotEnumerateAndUnknownHandles) {
  HidapiPlatform p;
  // hidapi 0.13 would crash on a path that is no hidraw node; it must never get one.
  OpenError e = OpenError::None;
  EXPECT_EQ(p.open("/tmp/not-a-hidraw-node", OpenMode::Plain, &e), kNoHandle);
  EXPECT_EQ(e, OpenError::NotFound);
  const Handle bogus = 12345;
  Bytes report(64, 0);
  EXPECT_FALSE(p.close(bogus));
  EXPECT_FALSE(p.attributes(bogus) || p.string(bogus, StringKind::SerialNumber) ||
               p.reportLengths(bogus));
  EXPECT_FALSE(p.setFeature(bogus, report));
  EXPECT_FALSE(p.getFeature(bogus, report));
  EXPECT_EQ(p.readInput(bogus, 500).status, Status::Gone);
}

}  // namespace
}  // namespace torvex::hid
