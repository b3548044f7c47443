// SPDX-License-Identifier: MIT
// The real hidapi backend, and the window and command line on it, through
// hidapi's own Linux code on emulated hidraw devices. Skipped (exit 77) when
// not run under umockdev's preload.

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <set>
#include <thread>
#include <tuple>

#include "HidrawRig.h"
#include "support/Wire.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include "board/Profile.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"

namespace torvex::test {
namespace {

using namespace hid;
using enum StringKind;
using Status = InputRead::Status;

// Vendor page, report ID 5: 2-byte input; report ID 6: 3-byte feature.
const Bytes kNumbered =
    Hex("06 00 ff 09 01 a1 01 75 08 85 05 95 02 09 01 81 02 85 06 95 03 09 02 b1 02 c0");

// A gamepad (ID 1: 8-byte input) and a consumer control (ID 2: 2-byte output).
const Bytes kTwoCollections =
    Hex("05 01 09 05 a1 01 85 01 75 08 95 08 81 02 c0 05 0c 09 01 a1 01 85 02 95 02 91 02 c0");

// One board, and the real backend holding it open (made after the rig: its
// udev monitor needs the testbed).
struct OneBoard {
  HidrawRig rig;
  int b;
  HidapiPlatform platform;
  Handle h;
  explicit OneBoard(Bytes descriptor = sim::BoardReportDescriptor())
      : b(rig.add(kOurBoard, std::move(descriptor))), platform(rig.udevControl()) {
    platform.enumerate();  // the backend opens only what it listed
    h = platform.open(rig.path(b), OpenMode::NonBlocking);
  }
};

// Listing opens nothing, lists a path once however many top-level collections
// it has, and finds devices plugged after start, as the watch tells; lengths
// and identity then come from each device.
TEST(HidapiBackend, EnumerationLengthsAndIdentity) {
  const struct {
    const char* name;
    sim::Identity id;
    Bytes descriptor;
    ReportLengths lengths;
  } cases[] = {
      {"board", kOurBoard, sim::BoardReportDescriptor(), {13, 0, 64}},
      {"numbered board, non-ASCII",
       {DeviceVendorId, DeviceProductId, 0x0100, u"Ærø Gerät", u"Lenkrad \u6771\u4EAC \U0001F3CE",
        u"S\u00DF1"},
       kNumbered,
       {3, 0, 4}},
      // Two top-level collections: hidapi lists the path twice.
      {"foreign, long serial",
       {0x18D1, 0x2C40, 0x0001, u"M", u"P", std::u16string(60, u'7')},
       kTwoCollections,
       {9, 3, 0}},
  };
  HidrawRig rig;
  HidapiPlatform platform(rig.udevControl());
  // The udev watch says "changed" at start, then once per burst of events.
  const auto once = [&] { return platform.devicesChanged() && !platform.devicesChanged(); };
  EXPECT_TRUE(once());
  EXPECT_TRUE(platform.enumerate().empty());
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    rig.add(c.id, c.descriptor);
    EXPECT_TRUE(once());
    const auto list = platform.enumerate();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(i + 1));
    EXPECT_EQ(std::tie(list.back().path, list.back().vendorId, list.back().productId),
              std::make_tuple(rig.path(i), c.id.vendorId, c.id.productId));
    EXPECT_TRUE(rig[i].files.empty());  // listing opened nothing
    const Handle h = platform.open(rig.path(i), OpenMode::Plain);
    const auto lengths = platform.reportLengths(h);
    const auto a = platform.attributes(h);
    ASSERT_TRUE(lengths && a);
    EXPECT_EQ(std::tie(lengths->input, lengths->output, lengths->feature, a->vendorId, a->productId,
                       a->versionNumber),
              std::tie(c.lengths.input, c.lengths.output, c.lengths.feature, c.id.vendorId,
                       c.id.productId, c.id.versionNumber));
    EXPECT_EQ(std::tuple(platform.string(h, Manufacturer), platform.string(h, Product),
                         platform.string(h, SerialNumber)),
              std::tie(c.id.manufacturer, c.id.product, c.id.serialNumber));
  }
}

// Everything above the backend sees byte 0 as the report ID; one read takes
// every queued report and gives the newest that fit, oldest first.
TEST(HidapiBackend, InputReportsAsTheBackendGivesThem) {
  const char* t20 = "10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 21 22 23";
  std::vector<std::string> flood;  // the kernel keeps 64 reports per file, dropping newer ones
  for (int k = 10; k < 80; ++k) flood.push_back(std::to_string(k));
  const struct {
    bool numbered;
    std::vector<std::string> wire;  // as the kernel hands them to read()
    std::size_t maxBytes;
    const char* seen;
  } cases[] = {
      {false, {"01 01", "02 02", "03 03"}, 7, "00 02 02 00 03 03"},
      {true, {"01 aa", "02 bb cc dd", "01 ee"}, 6, "02 bb cc dd 01 ee"},
      // A newest report too big for the room shows nothing older in its place.
      {false, {"01", t20}, 13, ""},
      {false, {"01", t20, "03"}, 13, "00 03"},
      {false, flood, 4, "00 72 00 73"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seen);
    OneBoard s(c.numbered ? kNumbered : sim::BoardReportDescriptor());
    for (const auto& w : c.wire) s.rig.queueInput(s.b, Hex(w));
    const InputRead r = s.platform.readInput(s.h, c.maxBytes);
    EXPECT_EQ(r.status, Status::Ok);
    EXPECT_EQ(r.reportsDrained, std::min<int>(c.wire.size(), 64));
    EXPECT_EQ(r.bytes, Hex(c.seen));
    EXPECT_EQ(s.platform.readInput(s.h, c.maxBytes).status, Status::Empty);
  }
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
    const auto& calls = s.rig[s.b].featureCalls;
    EXPECT_TRUE(calls.size() == 1 && calls[0].second == Hex(c.sent));
    Bytes expected = sim::BoardFirmware(s.rig[s.b].firmware).featureReply(64);
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(c.got), expected.end(), 0);
    s.rig[s.b].replyLength = c.replyLength;
    Bytes reply(64, 0xEE);
    ASSERT_EQ(s.platform.getFeature(s.h, reply), c.got);
    EXPECT_EQ(reply, expected);
  }
}

// An unplug in the middle of a call fails that call and every later one; the
// handle then closes once, and is unknown after. Plugged back, the board is
// listed and opens under its new node.
TEST(HidapiBackend, UnplugMidCallAndReplug) {
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    OneBoard s;
    auto& [rig, b, platform, h] = s;
    rig[b].unplugOn = static_cast<HidrawCall>(k);
    Bytes feature(64, 0);
    EXPECT_EQ(platform.setFeature(h, feature), k > 0);
    EXPECT_EQ(platform.getFeature(h, feature).has_value(), k > 1);
    EXPECT_EQ(platform.readInput(h, 500).status, k > 2 ? Status::Empty : Status::Gone);
    rig.unplug(b);
    EXPECT_EQ(platform.readInput(h, 500).status, Status::Gone);
    EXPECT_FALSE(platform.getFeature(h, feature) || platform.setFeature(h, feature));
    EXPECT_TRUE(platform.enumerate().empty());
    EXPECT_TRUE(platform.close(h) && !platform.close(h));
    EXPECT_FALSE(platform.attributes(h) || platform.reportLengths(h) ||
                 platform.string(h, Product) || platform.getFeature(h, feature));
    EXPECT_TRUE(rig.allFilesClosed(b));
    rig.replug(b);  // the watch tells of both in one burst
    EXPECT_TRUE(platform.devicesChanged() && !platform.devicesChanged());
    const auto list = platform.enumerate();
    ASSERT_EQ(list.size(), 1u);
    h = platform.open(list[0].path, OpenMode::NonBlocking);
    EXPECT_EQ(platform.string(h, SerialNumber), u"TVX0001");
    EXPECT_EQ(platform.readInput(h, 500).status, Status::Empty);
  }
}

// The window and the command line, through the real backend.
TEST(EndToEnd, WindowFindsReadsShowsWritesAndFollowsAReplug) {
  HidrawRig rig;
  const int b = rig.add();
  rig[b].firmware.setSetting(protocol::code::SetMasterClutchMode, 1);
  HidapiPlatform platform(rig.udevControl());
  gui::MainWindow w(platform);
  w.start();
  w.pollTimer()->stop();
  const auto& ui = w.controls();
  EXPECT_EQ(ui.serialNumberList->currentText() + ui.manufacturerLabel->text(), "TVX0001 Corvane");
  EXPECT_EQ(ui.masterClutchList->currentIndex(), 1);
  rig[b].firmware.setButton(4, true);
  const sim::Bytes report = rig[b].firmware.inputReport();
  rig.queueInput(b, sim::Bytes(report.begin() + 1, report.end()));  // the kernel drops the ID
  w.onPollTick();
  EXPECT_EQ(ui.buttonIndicators[4]->fillColor(), QColor(255, 0, 0));
  ui.analogInputModeList->setCurrentIndex(1);
  EXPECT_EQ(rig[b].firmware.setting(protocol::code::SetAnalogInputMode), 1);

  rig.unplug(b);
  w.onPollTick();
  EXPECT_FALSE(w.board().isOpen());
  EXPECT_TRUE(rig.allFilesClosed(b));
  EXPECT_EQ(w.pollTimer()->interval(), w.kSafetyRescanMs);  // asleep until a device comes
  rig.replug(b);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.board().isLoaded(); }, 3000));
  EXPECT_TRUE(w.pollTimer()->isActive());
  w.pollTimer()->stop();
  EXPECT_EQ(ui.analogInputModeList->currentIndex(), 1);
  // The bite point follows the board, but a cut record is no record.
  const int bite = ui.clutchBiteSlider->value();
  rig[b].replyLength = 3;
  for (int tick = 0; tick < 2; ++tick) w.onPollTick();
  EXPECT_EQ(ui.clutchBiteSlider->value(), bite);
}

// A board plugged after start is found at once: by the watch's event where a
// udev daemon runs, by the poll rescanning on every tick where none does.
TEST(EndToEnd, WindowFindsABoardPluggedLaterWithOrWithoutAUdevDaemon) {
  for (const bool daemon : {true, false}) {
    SCOPED_TRACE(daemon ? "udev daemon" : "no udev daemon");
    HidrawRig rig;
    HidapiPlatform platform(rig.udevControl() + (daemon ? "" : ".missing"));
    gui::MainWindow w(platform);
    w.start();
    w.onPollTick();
    EXPECT_EQ(w.pollTimer()->interval(), daemon ? w.kSafetyRescanMs : w.kPollStartMs);
    rig.add();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.board().isLoaded(); }, 1000));
  }
}

TEST(EndToEnd, CommandLineListsShowsAndSets) {
  HidrawRig rig;
  const int b = rig.add();
  HidapiPlatform platform(rig.udevControl());
  const QString list = Ctl(platform, {"list"}).second;
  EXPECT_TRUE(list.contains("TVX0001") && list.contains("Torvex Wheel"));
  EXPECT_EQ(Ctl(platform, {"set", "master-clutch=right", "led=50"}).first, cli::kDone);
  EXPECT_EQ(rig[b].firmware.setting(protocol::code::SetMasterClutchMode), 1);
  EXPECT_EQ(rig[b].firmware.ledIntensity(), 128);
  EXPECT_TRUE(Ctl(platform, {"show"}).second.contains("right"));
  rig[b].replyLength = 3;  // records cut short are not a read-back
  EXPECT_EQ(Ctl(platform, {"show"}).first, cli::kNotTaken);
  EXPECT_TRUE(rig.allFilesClosed(b));
}

// torvex-ctl twice at once, each with its own backend as two processes would
// have: an apply that changes every setting, and a set of the LED begun while
// the apply sends. Each command's feature reports, from its first read-back
// to its last, come as one run on the wire.
TEST(EndToEnd, TwoCommandsAtOnceNeverInterleave) {
  HidrawRig rig;
  const int b = rig.add();
  QTemporaryDir home;
  const QString file = home.filePath("all.toml");
  board::Settings all{3, 1, 0x1234, 1, 1, 2, 0x0101, 0x0202, 0x0303, 0x0404, 1, 2, 7, 3, 0x40};
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(board::ProfileText({all, {}})) > 0);
  out.close();
  HidapiPlatform applying(rig.udevControl()), setting(rig.udevControl());
  const auto run = [](HidapiPlatform& platform, QStringList args) {
    const auto [code, text] = Ctl(platform, args);
    EXPECT_EQ(code, cli::kDone) << qPrintable(args.join(' ') + ": " + text);
  };
  std::thread apply(run, std::ref(applying), QStringList{"apply", file});
  ::usleep(150'000);
  std::thread set(run, std::ref(setting), QStringList{"set", "led=50"});
  apply.join();
  set.join();
  // The apply's file is the one that sent more than the LED's two codes.
  std::set<const void*> applyFiles;
  for (const auto& [file, bytes] : rig[b].featureCalls)
    if (!bytes.empty() && bytes[2] != protocol::code::SetLedIntensityLsb &&
        bytes[2] != protocol::code::SetLedIntensityLsb + 1)
      applyFiles.insert(file);
  std::string runs;
  for (const auto& call : rig[b].featureCalls) {
    const char who = applyFiles.contains(call.first) ? 'A' : 'S';
    if (runs.empty() || runs.back() != who) runs += who;
  }
  EXPECT_TRUE(runs == "AS" || runs == "SA") << runs;
}

}  // namespace
}  // namespace torvex::test

int main(int argc, char** argv) {
  // An unplug hangs up the PTY behind a node; a session leader would die of SIGHUP.
  std::signal(SIGHUP, SIG_IGN);
  // hidapi turns the UTF-8 strings of sysfs into wchar_t by the C locale.
  std::setlocale(LC_ALL, "C.UTF-8");
  // Board locks of the run's own.
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  // umockdev answers only once a testbed exists.
  if (torvex::test::HidrawRig probe; !umockdev_in_mock_environment()) return 77;
  QApplication app(argc, argv);  // the end-to-end tests run the window
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
