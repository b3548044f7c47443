// The real hidapi backend, through hidapi's own Linux code, on emulated
// hidraw devices: enumeration, lengths, the report-ID byte, draining,
// identity strings, unplugs in the middle of a call, and re-plugs.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "hid/Config.h"
#include "hid/HidapiPlatform.h"
#include "hidraw/HidrawRig.h"
#include "protocol/Protocol.h"

namespace torvex::test {
namespace {

using hid::InputRead;
using hid::OpenMode;
using sim::Bytes;

Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  for (unsigned b; in >> std::hex >> b;) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

Bytes Corpus(const std::string& name) {
  std::ifstream file(std::string(TORVEX_TEST_DATA_DIR) + "/hid-descriptors/" + name + ".hex");
  std::stringstream text;
  text << file.rdbuf();
  return Hex(text.str());
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
  explicit OneBoard(sim::Identity identity = {}, Bytes descriptor = sim::BoardReportDescriptor())
      : b(rig.addBoard(std::move(identity), std::move(descriptor))) {
    platform.enumerate();  // the backend opens only what it listed
    h = platform.open(rig.path(b), OpenMode::NonBlocking);
  }
};

// Listing opens nothing and shows a device plugged after start; lengths
// then come from each device's own descriptor.
TEST(HidapiBackend, EnumerationAndReportLengths) {
  const struct {
    const char* name;
    bool board;
    std::uint16_t vendorId, productId;
    Bytes descriptor;
    hid::ReportLengths lengths;
  } cases[] = {
      {"board", true, DeviceVendorId, DeviceProductId, sim::BoardReportDescriptor(), {13, 0, 64}},
      {"numbered board", true, DeviceVendorId, DeviceProductId, kNumbered, {3, 0, 4}},
      {"keyboard", false, 0x046D, 0xC31C, Corpus("hid11_boot_keyboard"), {9, 2, 0}},
      // Two top-level collections: hidapi lists the path twice.
      {"gamepad and consumer control", false, 0x18D1, 0x2C40, Corpus("asus_gamepad"), {9, 2, 0}},
  };
  HidrawRig rig;
  hid::HidapiPlatform platform;
  EXPECT_TRUE(platform.enumerate().empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int i = c.board ? rig.addBoard({}, c.descriptor)
                          : rig.addForeign(c.vendorId, c.productId, c.descriptor);
    const auto list = platform.enumerate();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(i + 1));
    EXPECT_EQ(list.back().path, rig.path(i));
    EXPECT_EQ(list.back().vendorId, c.vendorId);
    EXPECT_EQ(list.back().productId, c.productId);
  }
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(rig.opens(i), 0);
    const auto lengths = platform.reportLengths(platform.open(rig.path(i), OpenMode::Plain));
    ASSERT_TRUE(lengths);
    const auto& want = cases[i].lengths;
    EXPECT_EQ(std::tie(lengths->input, lengths->output, lengths->feature),
              std::tie(want.input, want.output, want.feature));
  }
}

// Everything above the backend sees byte 0 as the report ID.
TEST(HidapiBackend, ReportIdByteOfInputAndFeatureReports) {
  const struct {
    const char* name;
    Bytes descriptor;
    const char* wire;     // input report as the kernel hands it over
    const char* seen;     // as readInput gives it
    const char* feature;  // sent, then received by the device unchanged
  } cases[] = {
      {"unnumbered", sim::BoardReportDescriptor(), "01 02 03 04 05 06 07 08 10 20 30 40",
       "00 01 02 03 04 05 06 07 08 10 20 30 40", "00 01 0a 0b"},
      {"numbered", kNumbered, "05 aa bb", "05 aa bb", "06 01 02 03"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OneBoard s({}, c.descriptor);
    EXPECT_EQ(s.platform.readInput(s.h, 500).status, InputRead::Status::Empty);
    s.rig.queueInput(s.b, Hex(c.wire));
    const InputRead r = s.platform.readInput(s.h, 500);
    EXPECT_EQ(r.status, InputRead::Status::Ok);
    EXPECT_EQ(r.bytes, Hex(c.seen));
    EXPECT_TRUE(s.platform.setFeature(s.h, Hex(c.feature)));
    EXPECT_EQ(s.rig.received(s.b), std::vector<Bytes>{Hex(c.feature)});
  }
}

// A feature read gives what arrived and how much: a 20-byte reply on a 64-byte
// board is no settings record, though zeros after it would make one.
TEST(HidapiBackend, FeatureReadGivesWhatArrivedAndItsLength) {
  const struct {
    std::size_t replyLength;  // 0: the whole buffer
    std::size_t got;
    bool record;
  } cases[] = {{0, 64, true}, {20, 20, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.got);
    OneBoard s;
    s.rig.firmware(s.b).setSetting(protocol::code::SetAnalogInputMode, 1);
    sim::BoardFirmware twin = s.rig.firmware(s.b);
    s.rig.setFeatureReplyLength(s.b, c.replyLength);
    Bytes reply(64, 0xEE);
    reply[0] = 0;
    const auto got = s.platform.getFeature(s.h, reply);
    ASSERT_EQ(got, c.got);
    Bytes expected = twin.featureReply(64);
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(c.got), expected.end(), 0);
    EXPECT_EQ(reply, expected);
    EXPECT_EQ(protocol::ParseSettingsRecord(std::span(reply).first(*got)).has_value(), c.record);
  }
}

// The kernel keeps 64 reports per file and drops newer ones; one read takes
// them all and shows the newest it kept.
TEST(HidapiBackend, FullQueueDrainsToTheNewest) {
  OneBoard s;
  sim::BoardFirmware& board = s.rig.firmware(s.b);
  std::vector<Bytes> made;
  for (int k = 1; k <= 70; ++k) {
    board.setPaddle(0, static_cast<std::uint16_t>(900 * k));
    made.push_back(board.inputReport());
  }
  const InputRead r = s.platform.readInput(s.h, 13);
  EXPECT_EQ(r.reportsDrained, 64);
  EXPECT_EQ(r.bytes, made[63]);
  EXPECT_EQ(s.platform.readInput(s.h, 13).status, InputRead::Status::Empty);
  board.setPaddle(0, 7);
  EXPECT_EQ(s.platform.readInput(s.h, 13).bytes, board.inputReport());
}

TEST(HidapiBackend, IdentityFromTheDevice) {
  const std::u16string longSerial(60, u'7');
  const struct {
    const char* name;
    sim::Identity identity;
  } cases[] = {
      {"ascii", {0x1209, 0x0001, 0x0304, u"Corvane", u"Torvex Wheel", u"TVX0001"}},
      {"non-ascii",
       {0x1209, 0x0002, 0x0100, u"Ærø Gerät", u"Lenkrad \u6771\u4EAC \U0001F3CE", u"S\u00DF1"}},
      {"long serial", {0x1209, 0x0001, 0x0001, u"M", u"P", longSerial}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OneBoard s(c.identity);
    const auto a = s.platform.attributes(s.h);
    ASSERT_TRUE(a);
    EXPECT_EQ(std::tie(a->vendorId, a->productId, a->versionNumber),
              std::tie(c.identity.vendorId, c.identity.productId, c.identity.versionNumber));
    EXPECT_EQ(s.platform.string(s.h, hid::StringKind::Manufacturer), c.identity.manufacturer);
    EXPECT_EQ(s.platform.string(s.h, hid::StringKind::Product), c.identity.product);
    EXPECT_EQ(s.platform.string(s.h, hid::StringKind::SerialNumber), c.identity.serialNumber);
  }
}

// An unplug in the middle of a call fails that call; the handle then reads
// as gone and closes once.
TEST(HidapiBackend, UnplugMidCall) {
  const struct {
    const char* name;
    HidrawCall call;
    int nth;
  } cases[] = {
      {"mid-read", HidrawCall::Read, 1},
      {"mid-write", HidrawCall::SetFeature, 1},
      {"mid-read-back", HidrawCall::GetFeature, 2},
      {"idle", HidrawCall::Read, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OneBoard s;
    auto& [rig, b, platform, h] = s;
    Bytes feature(64, 0);
    feature[1] = 1;
    if (c.nth > 0) {
      rig.unplugOnCall(b, c.call, c.nth);
      switch (c.call) {
        case HidrawCall::Read:
          rig.queueInput(b, Bytes(12, 1));
          EXPECT_EQ(platform.readInput(h, 500).status, InputRead::Status::Gone);
          break;
        case HidrawCall::SetFeature:
          EXPECT_FALSE(platform.setFeature(h, feature));
          EXPECT_TRUE(rig.received(b).empty());
          break;
        case HidrawCall::GetFeature:
          EXPECT_TRUE(platform.getFeature(h, feature));
          EXPECT_FALSE(platform.getFeature(h, feature));
          break;
      }
    }
    rig.unplug(b);
    EXPECT_EQ(platform.readInput(h, 500).status, InputRead::Status::Gone);
    EXPECT_FALSE(platform.getFeature(h, feature));
    EXPECT_FALSE(platform.setFeature(h, feature));
    EXPECT_TRUE(platform.enumerate().empty());
    EXPECT_TRUE(platform.close(h));
    EXPECT_FALSE(platform.close(h));
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
  EXPECT_NE(list[0].path, before);
  EXPECT_EQ(list[0].path, rig.path(b));
  // The old handle stays dead and its path is refused; the new node works.
  EXPECT_EQ(platform.readInput(old, 500).status, InputRead::Status::Gone);
  EXPECT_EQ(platform.open(before, OpenMode::Plain), hid::kNoHandle);
  const hid::Handle h = platform.open(list[0].path, OpenMode::NonBlocking);
  EXPECT_EQ(platform.string(h, hid::StringKind::SerialNumber), u"TVX0001");
  EXPECT_EQ(platform.readInput(h, 500).status, InputRead::Status::Empty);
  EXPECT_TRUE(platform.close(old));
  EXPECT_TRUE(platform.close(h));
}

}  // namespace
}  // namespace torvex::test
