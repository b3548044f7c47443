// Boards that do not behave: report lengths from none to far too many bytes,
// descriptors that claim lengths the board does not honour, identity strings
// of no and of too many characters, many boards, one serial twice. The window
// must never touch a buffer past its end (ASan in CI), never hang, never leak
// or double-close a handle, and send only frames its buffers can hold.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <memory>

#include "hid/IdentityText.h"
#include "hid/ReportDescriptor.h"
#include "protocol/BoardSession.h"
#include "soak/FaultPlatform.h"

namespace torvex::test {
namespace {

// The window on a FaultPlatform in front of emulated boards, on a virtual clock.
struct Bench {
  sim::VirtualPlatform boards;
  FaultPlatform platform{boards};
  std::unique_ptr<frmMain> form;

  Bench() {
    platform.featureLength = [this](hid::Handle) -> std::size_t {
      return form ? form->FeatureReportLength : 0;
    };
  }
  ~Bench() { form.reset(); }

  int addBoard(std::u16string serial) {
    sim::Identity id;
    id.serialNumber = std::move(serial);
    return boards.addBoard(id);
  }
  frmMain& load(const QLocale& locale = kEnglish) {
    form = std::make_unique<frmMain>(platform, locale);
    form->Form_Load();
    return *form;
  }
  void tick() {
    boards.advanceUs(std::int64_t{form->Timer->interval()} * 1000);
    form->Timer_Timer();
  }
  // The window holds exactly the handles the platform has open.
  void expectHandlesHeld() {
    const int held = (form->DeviceHandle != hid::kNoHandle) + (form->ReadHandle != hid::kNoHandle);
    EXPECT_EQ(boards.openHandleCount(), held);
    EXPECT_EQ(boards.badCloseCount(), 0);
  }
};

// A vendor collection whose input and feature reports are `input` and
// `feature` bytes long, report ID byte included (0: no such report).
Bytes Descriptor(int input, int feature) {
  Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
  auto item = [&](int length, std::uint8_t main) {
    if (length < 2) return;
    const int count = length - 1;
    d.insert(d.end(), {0x75, 0x08, 0x96, static_cast<std::uint8_t>(count & 0xFF),
                       static_cast<std::uint8_t>(count >> 8), 0x15, 0x00, 0x26, 0xFF, 0x00, 0x09,
                       0x01, main, 0x02});
  };
  item(input, 0x81);
  item(feature, 0xB1);
  d.push_back(0xC0);
  return d;
}

// Each 13-byte report the board queued, cut or padded to `length` bytes, the
// newest that fit the read budget kept.
void Reshape(hid::InputRead& read, std::size_t length, std::size_t maxBytes) {
  const std::size_t n = sim::BoardFirmware::kInputReportLength;
  std::vector<Bytes> reports;
  for (std::size_t at = 0; at + n <= read.bytes.size(); at += n) {
    Bytes r(read.bytes.begin() + at, read.bytes.begin() + at + n);
    r.resize(length, 0);
    reports.push_back(std::move(r));
  }
  read.bytes.clear();
  std::size_t first = reports.size();
  std::size_t used = 0;
  while (first > 0 && length > 0 && used + length <= maxBytes) {
    --first;
    used += length;
  }
  for (std::size_t i = first; i < reports.size(); ++i)
    read.bytes.insert(read.bytes.end(), reports[i].begin(), reports[i].end());
}

struct LengthCase {
  const char* name;
  std::uint16_t input;
  std::uint16_t feature;
  bool honest;  // the board's descriptor and its reports agree with the claim
};

const LengthCase kLengths[] = {
    {"none", 0, 0, true},
    {"one byte", 1, 1, false},
    {"three bytes", 3, 3, true},
    {"four bytes", 4, 4, true},
    {"five bytes", 5, 5, true},
    {"thirteen", 13, 13, true},
    {"thirty-four", 34, 34, true},
    {"thirty-five", 35, 35, true},
    {"ours", 13, 64, true},
    {"4096", 4096, 4096, true},
    {"the parser's ceiling", 8192, 8192, true},
    {"past any descriptor", 65535, 65535, false},
    {"claims 4, sends 13 and takes 64", 4, 4, false},
    {"claims 34 input, sends 13", 34, 64, false},
    {"claims 35 feature, takes 64", 13, 35, false},
    {"claims 4096, takes 64", 4096, 4096, false},
    {"input shorter than the feature", 12, 500, true},
};

// Distinctive settings on the board, so a read-back shows whether it happened.
void StoreDistinctSettings(sim::BoardFirmware& fw) {
  fw.setSetting(protocol::code::SetEncoderPulseWidth, 3);  // delay index 2
  fw.setSetting(protocol::code::SetAnalogInputMode, 1);
  fw.setSetting(protocol::code::SetLedIntensityLsb, 40);
  fw.setSetting(protocol::code::SetLedIntensityMsb, 0);
}

// Every kind of frame the window sends, through the user's controls.
void EditEverything(frmMain& form) {
  form.Command2_Click();  // first, so the edits after it stay on the board
  form.masterClutchModeCombo->setCurrentIndex(1);
  form.delay->setCurrentIndex(4);
  form.ledPercentLabel->clear();
  QTest::keyClicks(form.ledPercentLabel, "20");
  QTest::keyClick(form.ledPercentLabel, Qt::Key_Return);
  form.CalibrateY_Click();
  form.CalibrateY_Click();  // step 1 goes out
  form.checkCurves_Click(1);
  form.checkCurves_Click(1);
}

TEST(HostileBoard, ReportLengths) {
  for (const auto& c : kLengths) {
    SCOPED_TRACE(c.name);
    Bench b;
    const int board = b.addBoard(u"LEN");
    if (c.honest) b.boards.device(board).descriptor = Descriptor(c.input, c.feature);
    StoreDistinctSettings(b.boards.firmware(board));
    b.platform.lengths = [&](hid::Handle, hid::ReportLengths& l) {
      l.input = c.input;
      l.feature = c.feature;
    };
    if (c.honest)
      b.platform.input = [&](hid::Handle, std::size_t maxBytes, hid::InputRead& r) {
        Reshape(r, c.input, maxBytes);
      };
    frmMain& form = b.load();
    ASSERT_TRUE(form.DeviceDetected);
    EXPECT_EQ(form.FeatureReportLength, c.feature);
    EXPECT_EQ(form.InputReportLength, c.input);
    EXPECT_TRUE(form.ConfigurationLoaded);
    // A read-back of ten attempts at most, each paused 20 ms, plus the identity pauses.
    EXPECT_LE(b.boards.nowUs(), 1'000'000);
    const bool recordsFit = c.feature >= protocol::kSettingsRecordMinLength;
    EXPECT_EQ(form.delay->currentIndex(), recordsFit ? 2 : 7);
    EXPECT_EQ(form.ledSlider->value(), c.feature >= protocol::kLedRecordMinLength ? 40 : 255);

    b.boards.clearLog();
    EditEverything(form);
    const auto sent = b.boards.sentTo(board);
    for (const auto& e : sent) {
      EXPECT_EQ(e.bytes.size(), c.feature);
      const int kind = e.bytes.at(1);
      if (kind == 4 || kind == 5) {
        EXPECT_GE(c.feature, protocol::kSpecialReportMinLength);
      }
    }
    if (c.feature < protocol::kSettingCommandMinLength) {
      EXPECT_TRUE(sent.empty());
    }
    // The board takes only frames of its own feature length (64 unless honest).
    const bool taken = c.honest || c.feature == 64;
    const bool stored = taken && c.feature >= protocol::kSettingCommandMinLength;
    EXPECT_EQ(b.boards.firmware(board).setting(protocol::code::SetMasterClutchMode),
              stored ? 1 : 0);
    EXPECT_EQ(b.boards.firmware(board).setting(protocol::code::SetEncoderPulseWidth),
              stored ? 5 : 3);

    // Live input: a pressed button shows only when a whole report holds it
    // and fits the 500-byte read.
    b.boards.firmware(board).setButton(5, true);
    b.tick();
    b.boards.firmware(board).setButton(6, true);
    b.tick();
    if (c.honest) {
      EXPECT_EQ(form.ButtonByteCache[0], c.input >= 13 && c.input <= 500 ? 0x60 : 999);
    }
    EXPECT_TRUE(form.DeviceDetected);  // a quiet or odd board is not a lost one
    EXPECT_EQ(b.platform.badBuffers(), 0);
    b.expectHandlesHeld();
    b.form.reset();
    EXPECT_EQ(b.boards.openHandleCount(), 0);
    EXPECT_EQ(b.boards.badCloseCount(), 0);
  }
}

// Garbage, short and wrong replies to the read-back never load anything
// they do not carry and never stall the window.
TEST(HostileBoard, RepliesThatAreNotRecords) {
  struct Case {
    const char* name;
    std::function<void(std::span<std::uint8_t>)> mangle;
    bool settingsLoaded;
  } cases[] = {
      {"all 0xFF", [](auto r) { std::fill(r.begin(), r.end(), 0xFF); }, false},
      {"all zero", [](auto r) { std::fill(r.begin(), r.end(), 0); }, false},
      {"wrong kind", [](auto r) { r[1] = 3; }, false},
      {"wrong base", [](auto r) { r[2] = 0x41; }, false},
      {"cut after byte 20", [](auto r) { std::fill(r.begin() + 20, r.end(), 0); }, true},
      {"report ID 7", [](auto r) { r[0] = 7; }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.addBoard(u"R");
    StoreDistinctSettings(b.boards.firmware(0));
    b.platform.reply = [&](hid::Handle, std::span<std::uint8_t> r) { c.mangle(r); };
    frmMain& form = b.load();
    EXPECT_TRUE(form.ConfigurationLoaded);
    EXPECT_EQ(b.platform.calls(Call::GetFeature), c.settingsLoaded ? 2 : 10);
    EXPECT_EQ(form.delay->currentIndex(), c.settingsLoaded ? 2 : 7);
    for (int i = 0; i < 5; ++i) b.tick();
    EXPECT_EQ(b.platform.badBuffers(), 0);
    b.expectHandlesHeld();
  }
}

// Identity strings of every size: shown whole up to 50 units, never more.
TEST(HostileBoard, IdentityStrings) {
  const std::u16string fifty(50, u'm');
  struct Case {
    const char* name;
    std::optional<std::u16string> manufacturer;
    std::u16string serial;
    QString shownManufacturer;
  } cases[] = {
      {"empty", u"", u"S1", QStringLiteral(" ")},
      {"absent", std::nullopt, u"S1", QString()},
      {"fifty", fifty, u"S1", QStringLiteral(" ") + QString::fromStdU16String(fifty)},
      {"fifty-one", fifty + u"X", u"S1", QStringLiteral(" ") + QString::fromStdU16String(fifty)},
      {"four thousand", std::u16string(4000, u'z'), u"S1",
       QStringLiteral(" ") + QString(50, QLatin1Char('z'))},
      {"pair across the limit", std::u16string(49, u'a') + u"\U0001F600", u"S1",
       QStringLiteral(" ") + QString(49, QLatin1Char('a'))},
      {"non-ASCII", u"Corvan\u00e9 \u20ac\u4e2d", u"S\u00fc\u4e2d",
       QString::fromUtf16(u" Corvan\u00e9 \u20ac\u4e2d")},
      {"zero unit inside", std::u16string(u"ab\0cd", 5), u"S1", QStringLiteral(" ab")},
      {"empty serial", u"M", u"", QStringLiteral(" M")},
      {"serial of 80", u"M", std::u16string(80, u'7'), QStringLiteral(" M")},
      {"non-ASCII serial", u"M", u"\u00c5\u00c4\u00d6-\u0416-\U0001F600", QStringLiteral(" M")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    sim::Identity id;
    id.manufacturer = c.manufacturer;
    id.serialNumber = c.serial;
    b.boards.addBoard(id);
    frmMain& form = b.load();
    EXPECT_TRUE(form.DeviceDetected);
    EXPECT_EQ(form.SerNo->currentText(), hid::IdentityText(c.serial));
    EXPECT_LE(form.SerNo->currentText().size(), 50);
    EXPECT_EQ(form.lblManuf->text(), c.shownManufacturer);
    b.tick();
    EXPECT_TRUE(form.DeviceDetected);  // the listed text reopens the same board
    b.expectHandlesHeld();
  }
}

// Stored values no control can show leave the control at its default, and
// the read-back writes nothing back to the board.
TEST(HostileBoard, StoredValuesOutsideTheControls) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> stored;
    std::function<int(frmMain&)> shown;
    int expected;
  } cases[] = {
      {"pulse width 0", {{0x40, 0}}, [](frmMain& f) { return f.delay->currentIndex(); }, 7},
      {"pulse width 26", {{0x40, 26}}, [](frmMain& f) { return f.delay->currentIndex(); }, 7},
      {"analog mode 2",
       {{0x45, 2}},
       [](frmMain& f) { return f.analogInputModeCombo->currentIndex(); },
       0},
      {"master clutch 200",
       {{0x48, 200}},
       [](frmMain& f) { return f.masterClutchModeCombo->currentIndex(); },
       0},
      {"left rotary 5",
       {{0x49, 5}},
       [](frmMain& f) { return f.rotarySwitchLeftCombo->currentIndex(); },
       0},
      {"right rotary 255",
       {{0x4A, 255}},
       [](frmMain& f) { return f.rotarySwitchRightCombo->currentIndex(); },
       0},
      {"X curve type 3",
       {{0x5C, 3}},
       [](frmMain& f) { return f.xClutchCurveCombo->currentIndex(); },
       0},
      {"X curve number 11",
       {{0x5E, 11}},
       [](frmMain& f) { return f.xSliderCurveNumber->value(); },
       0},
      {"Y curve number 255",
       {{0x5F, 255}},
       [](frmMain& f) { return f.ySliderCurveNumber->value(); },
       0},
      {"LED 256", {{0x60, 0}, {0x61, 1}}, [](frmMain& f) { return f.ledSlider->value(); }, 255},
      {"LED 65535",
       {{0x60, 255}, {0x61, 255}},
       [](frmMain& f) { return f.ledSlider->value(); },
       255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.addBoard(u"V");
    for (auto [code, value] : c.stored) b.boards.firmware(0).setSetting(code, value);
    frmMain& form = b.load();
    EXPECT_TRUE(form.ConfigurationLoaded);
    EXPECT_EQ(c.shown(form), c.expected);
    EXPECT_TRUE(b.boards.sentTo(0).empty());
    for (auto [code, value] : c.stored) EXPECT_EQ(b.boards.firmware(0).setting(code), value);
  }
}

// Many boards and a serial number used twice.
TEST(HostileBoard, ManyBoardsAndOneSerialTwice) {
  struct Case {
    const char* name;
    std::vector<std::u16string> serials;
    int listed;
    int opened;  // device index opened
  } cases[] = {
      {"sixteen", {}, 16, 15},
      {"two with one serial", {u"TWIN", u"TWIN"}, 2, 0},
      {"twin among others", {u"A", u"TWIN", u"B", u"TWIN"}, 4, 1},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    if (c.serials.empty())
      for (int i = 0; i < 16; ++i) c.serials.push_back(u"B" + std::u16string(1, u'A' + i));
    Bench b;
    b.boards.addForeign(0x046D, 0xC52B);
    for (const auto& s : c.serials) b.addBoard(s);
    frmMain& form = b.load();
    ASSERT_EQ(form.SerNo->count(), c.listed);
    EXPECT_TRUE(form.SerNo->isEnabled());
    EXPECT_EQ(form.SerNo->currentIndex(), c.listed - 1);
    ASSERT_TRUE(form.DeviceDetected);
    EXPECT_EQ(b.platform.deviceOf(form.DeviceHandle), c.opened + 1);  // after the foreign one
    b.expectHandlesHeld();
    // Pick every entry in turn: each pick closes the last board and opens one.
    for (int i = 0; i < c.listed; ++i) {
      form.SerNo->setCurrentIndex(i);
      EXPECT_TRUE(form.DeviceDetected);
      b.expectHandlesHeld();
    }
    // Unplug the open board: the next tick finds the last one still listed.
    const int open = b.platform.deviceOf(form.DeviceHandle);
    b.boards.unplug(open);
    b.tick();
    EXPECT_TRUE(form.DeviceDetected);
    EXPECT_NE(b.platform.deviceOf(form.DeviceHandle), open);
    b.expectHandlesHeld();
  }
}

}  // namespace
}  // namespace torvex::test
