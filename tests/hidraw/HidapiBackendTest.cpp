// The real hidapi backend, through hidapi's own Linux code, on emulated
// hidraw devices. Skipped (exit 77) when not run under umockdev's preload.

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include "HidrawRig.h"

#include <QApplication>
#include "hid/Config.h"
#include "hid/HidapiPlatform.h"

namespace torvex::test {
namespace {

using hid::InputRead;
using hid::OpenMode;
using sim::Bytes;
using Status = InputRead::Status;

Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  for (unsigned b; in >> std::hex >> b;) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

Bytes Corpus(const std::string& name) {
  std::ifstream file(std::string(TORVEX_TEST_DATA_DIR) + "/hid-descriptors/" + name + ".hex");
  return Hex(std::string(std::istreambuf_iterator<char>(file), {}));
}

// Vendor page, report ID 5: 2-byte input; report ID 6: 3-byte feature.
const Bytes kNumbered =
    Hex("06 00 ff 09 01 a1 01 15 00 26 ff 00 75 08 85 05 95 02 09 01 81 02"
        " 85 06 95 03 09 02 b1 02 c0");

// One board, and the real backend holding it open (made after the rig: its
// udev monitor needs the testbed).
struct OneBoard {
  HidrawRig rig;
  int b;
  hid::HidapiPlatform platform;
  hid::Handle h;
  explicit OneBoard(Bytes descriptor = sim::BoardReportDescriptor())
      : b(rig.add({}, std::move(descriptor))) {
    platform.enumerate();  // the backend opens only what it listed
    h = platform.open(rig.path(b), OpenMode::NonBlocking);
  }
};

// Listing opens nothing, lists a path once however many top-level collections
// it has, and finds devices plugged after start; lengths and identity then
// come from each device.
TEST(HidapiBackend, EnumerationLengthsAndIdentity) {
  const struct {
    const char* name;
    sim::Identity id;
    Bytes descriptor;
    hid::ReportLengths lengths;
  } cases[] = {
      {"board",
       {DeviceVendorId, DeviceProductId, 0x0304, u"Corvane", u"Torvex Wheel", u"TVX0001"},
       sim::BoardReportDescriptor(),
       {13, 0, 64}},
      {"numbered board, non-ASCII",
       {DeviceVendorId, DeviceProductId, 0x0100, u"Ærø Gerät", u"Lenkrad \u6771\u4EAC \U0001F3CE",
        u"S\u00DF1"},
       kNumbered,
       {3, 0, 4}},
      {"keyboard, long serial",
       {0x046D, 0xC31C, 0x0001, u"M", u"P", std::u16string(60, u'7')},
       Corpus("hid11_boot_keyboard"),
       {9, 2, 0}},
      // Two top-level collections: hidapi lists the path twice.
      {"gamepad and consumer control", {0x18D1, 0x2C40}, Corpus("asus_gamepad"), {9, 2, 0}},
  };
  HidrawRig rig;
  hid::HidapiPlatform platform;
  EXPECT_TRUE(platform.enumerate().empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int i = rig.add(c.id, c.descriptor);
    const auto list = platform.enumerate();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(i + 1));
    EXPECT_EQ(std::tie(list.back().path, list.back().vendorId, list.back().productId),
              std::make_tuple(rig.path(i), c.id.vendorId, c.id.productId));
  }
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(rig[i].files.empty());  // listing opened nothing
    const hid::Handle h = platform.open(rig.path(i), OpenMode::Plain);
    const auto lengths = platform.reportLengths(h);
    const auto a = platform.attributes(h);
    ASSERT_TRUE(lengths && a);
    EXPECT_EQ(std::tie(lengths->input, lengths->output, lengths->feature),
              std::tie(c.lengths.input, c.lengths.output, c.lengths.feature));
    EXPECT_EQ(std::tie(a->vendorId, a->productId, a->versionNumber),
              std::tie(c.id.vendorId, c.id.productId, c.id.versionNumber));
    EXPECT_EQ(platform.string(h, hid::StringKind::Manufacturer), c.id.manufacturer);
    EXPECT_EQ(platform.string(h, hid::StringKind::Product), c.id.product);
    EXPECT_EQ(platform.string(h, hid::StringKind::SerialNumber), c.id.serialNumber);
  }
}

// Everything above the backend sees byte 0 as the report ID; one read takes
// every queued report and gives the newest that fit, oldest first.
TEST(HidapiBackend, InputReportsAsTheBackendGivesThem) {
  const char* t20 = "10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 21 22 23";
  const struct {
    bool numbered;
    std::vector<std::string> wire;  // as the kernel hands them to read()
    std::size_t maxBytes;
    const char* seen;
  } cases[] = {
      {false, {}, 500, ""},
      {false,
       {"01 02 03 04 05 06 07 08 10 20 30 40"},
       500,
       "00 01 02 03 04 05 06 07 08 10 20 30 40"},
      {true, {"05 aa bb"}, 500, "05 aa bb"},
      {false, {"01 01", "02 02", "03 03"}, 7, "00 02 02 00 03 03"},
      {true, {"01 aa", "02 bb cc dd", "01 ee"}, 6, "02 bb cc dd 01 ee"},
      // A newest report too big for the room shows nothing older in its place.
      {false, {"01", t20}, 13, ""},
      {false, {"01", t20, "03"}, 13, "00 03"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seen);
    OneBoard s(c.numbered ? kNumbered : sim::BoardReportDescriptor());
    for (const auto& w : c.wire) s.rig.queueInput(s.b, Hex(w));
    const InputRead r = s.platform.readInput(s.h, c.maxBytes);
    EXPECT_EQ(r.status, c.wire.empty() ? Status::Empty : Status::Ok);
    EXPECT_EQ(r.reportsDrained, static_cast<int>(c.wire.size()));
    EXPECT_EQ(r.bytes, Hex(c.seen));
    EXPECT_EQ(s.platform.readInput(s.h, c.maxBytes).status, Status::Empty);
  }
}

// The kernel keeps 64 reports per file and drops newer ones.
TEST(HidapiBackend, FullQueueDrainsToTheNewest) {
  OneBoard s;
  for (int k = 0; k < 70; ++k) s.rig.queueInput(s.b, Bytes(12, static_cast<std::uint8_t>(k)));
  const InputRead r = s.platform.readInput(s.h, 13);
  EXPECT_EQ(r.reportsDrained, 64);
  Bytes newest(13, 63);
  newest[0] = 0;
  EXPECT_EQ(r.bytes, newest);
}

// Feature reports go out as given; a read-back gives what arrived and how much,
// the rest of the buffer zeroed.
TEST(HidapiBackend, FeatureReportsWithTheirIdAndTrueLength) {
  const struct {
    bool numbered;
    const char* sent;
    std::size_t replyLength;  // 0: the whole buffer
    std::size_t got;
  } cases[] = {{false, "00 01 0a 0b", 0, 64}, {true, "06 01 02 03", 20, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sent);
    OneBoard s(c.numbered ? kNumbered : sim::BoardReportDescriptor());
    EXPECT_TRUE(s.platform.setFeature(s.h, Hex(c.sent)));
    EXPECT_EQ(s.rig[s.b].received, std::vector<Bytes>{Hex(c.sent)});
    sim::BoardFirmware twin = s.rig[s.b].firmware;
    s.rig[s.b].replyLength = c.replyLength;
    Bytes reply(64, 0xEE);
    ASSERT_EQ(s.platform.getFeature(s.h, reply), c.got);
    Bytes expected = twin.featureReply(64);
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(c.got), expected.end(), 0);
    EXPECT_EQ(reply, expected);
  }
}

// An unplug in the middle of a call fails that call and every later one; the
// handle then closes once, and is unknown after.
TEST(HidapiBackend, UnplugMidCall) {
  const HidrawCall calls[] = {HidrawCall::SetFeature, HidrawCall::GetFeature, HidrawCall::Read,
                              HidrawCall::None};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    OneBoard s;
    auto& [rig, b, platform, h] = s;
    rig[b].unplugOn = calls[k];
    Bytes feature(64, 0);
    EXPECT_EQ(platform.setFeature(h, feature), k > 0);
    EXPECT_EQ(platform.getFeature(h, feature).has_value(), k > 1);
    EXPECT_EQ(platform.readInput(h, 500).status, k > 2 ? Status::Empty : Status::Gone);
    rig.unplug(b);
    EXPECT_EQ(platform.readInput(h, 500).status, Status::Gone);
    EXPECT_FALSE(platform.getFeature(h, feature) || platform.setFeature(h, feature));
    EXPECT_TRUE(platform.enumerate().empty());
    EXPECT_TRUE(platform.close(h));
    EXPECT_FALSE(platform.close(h));
    EXPECT_FALSE(platform.attributes(h) || platform.reportLengths(h) ||
                 platform.string(h, hid::StringKind::Product) || platform.getFeature(h, feature));
    EXPECT_TRUE(rig.allFilesClosed(b));
  }
}

TEST(HidapiBackend, ReplugComesBackUnderANewNode) {
  OneBoard s;
  auto& [rig, b, platform, old] = s;
  const std::string before = rig.path(b);
  rig.replug(b);
  const auto list = platform.enumerate();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].path, rig.path(b));  // under a new name
  // The old handle stays dead and its path is refused; the new node works.
  EXPECT_EQ(platform.readInput(old, 500).status, Status::Gone);
  hid::OpenError e = hid::OpenError::None;
  EXPECT_EQ(platform.open(before, OpenMode::Plain, &e), hid::kNoHandle);
  EXPECT_EQ(e, hid::OpenError::NotFound);
  const hid::Handle h = platform.open(list[0].path, OpenMode::NonBlocking);
  EXPECT_EQ(platform.string(h, hid::StringKind::SerialNumber), u"TVX0001");
  EXPECT_EQ(platform.readInput(h, 500).status, Status::Empty);
}

// The udev watch says "changed" at start, then once per burst of events.
TEST(DeviceWatch, EachPlugOrUnplugSaysChangedOnce) {
  HidrawRig rig;
  const int early = rig.add();
  hid::HidapiPlatform platform;
  const std::function<void()> steps[] = {
      [] {},
      [&] { rig.add(); },
      [&] { rig.replug(rig.add()); },
      [&] { rig.unplug(early); },
      [&] { rig.replug(early); },
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    steps[i]();
    EXPECT_TRUE(platform.devicesChanged());
    EXPECT_FALSE(platform.devicesChanged());
  }
}

}  // namespace
}  // namespace torvex::test

int main(int argc, char** argv) {
  // An unplug hangs up the PTY behind a node; a session leader would die of SIGHUP.
  std::signal(SIGHUP, SIG_IGN);
  // hidapi turns the UTF-8 strings of sysfs into wchar_t by the C locale.
  std::setlocale(LC_ALL, "C.UTF-8");
  if (!torvex::test::HidrawRig::PreloadActive()) return 77;
  QApplication app(argc, argv);  // the end-to-end tests run the window
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
