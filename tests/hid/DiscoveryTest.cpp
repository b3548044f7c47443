// Discovery on the real window against emulated boards: what is listed, what
// is opened, which handles stay open, and the hint shown when nothing opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <optional>

#include "hid/Config.h"
#include "support/Rig.h"

namespace torvex::test {
namespace {

using hid::OpenError;
using sim::Op;

QStringList Items(const frmMain& form) {
  QStringList out;
  for (int i = 0; i < form.SerNo->count(); ++i) out << form.SerNo->itemText(i);
  return out;
}

QStringList Q(std::initializer_list<const char16_t*> texts) {
  QStringList out;
  for (const auto* t : texts) out << QString::fromUtf16(t);
  return out;
}

// The board `index` is the one open, with both of its handles, and nothing else is.
void ExpectOpen(Rig& rig, int index) {
  const frmMain& form = rig.form();
  EXPECT_TRUE(form.DeviceDetected);
  EXPECT_TRUE(form.ReadChannelReady);
  EXPECT_EQ(form.DevicePathName, rig.platform.device(index).path);
  EXPECT_EQ(rig.platform.openHandleCount(), 2);
  EXPECT_EQ(rig.platform.openHandleCount(index), 2);
  EXPECT_NE(form.DeviceHandle, hid::kNoHandle);
  EXPECT_NE(form.ReadHandle, hid::kNoHandle);
}

void ExpectNoneOpen(Rig& rig) {
  EXPECT_FALSE(rig.form().DeviceDetected);
  EXPECT_FALSE(rig.form().ReadChannelReady);
  EXPECT_EQ(rig.platform.openHandleCount(), 0);
}

// After the window is gone nothing may stay open, and nothing was closed twice.
void ExpectBalancedAfterDestroy(Rig& rig) {
  rig.destroyForm();
  EXPECT_EQ(rig.platform.openHandleCount(), 0);
  EXPECT_EQ(rig.platform.badCloseCount(), 0);
}

struct StartupCase {
  const char* name;
  std::vector<std::optional<std::u16string>> serials;  // nullopt: unreadable serial
  QStringList listed;
  int opened;  // board index, -1 for none
  bool enabled;
};

const StartupCase kStartupCases[] = {
    {"NoBoard", {}, {}, -1, false},
    {"OneBoard", {u"TVX0001"}, Q({u"TVX0001"}), 0, false},
    {"TwoBoardsLastOpened", {u"TVX0001", u"TVX0002"}, Q({u"TVX0001", u"TVX0002"}), 1, true},
    {"ThreeBoards", {u"C", u"A", u"B"}, Q({u"C", u"A", u"B"}), 2, true},
    {"SameSerialFirstOpened", {u"SAME", u"SAME"}, Q({u"SAME", u"SAME"}), 0, true},
    {"UnreadableSerialPassedOver", {std::nullopt, u"TVX0002"}, Q({u"TVX0002"}), 1, false},
    {"OnlyUnreadable", {std::nullopt}, {}, -1, false},
    {"UnreadableLastLeavesEarlierOpen", {u"TVX0001", std::nullopt}, Q({u"TVX0001"}), 0, false},
};

class DiscoveryStartup : public testing::TestWithParam<StartupCase> {};

TEST_P(DiscoveryStartup, ListsSelectsAndOpens) {
  const StartupCase& c = GetParam();
  Rig rig;
  for (const auto& s : c.serials) {
    sim::Identity id;
    id.serialNumber = s;
    rig.platform.addBoard(id);
  }
  frmMain& form = rig.load();

  EXPECT_EQ(Items(form), c.listed);
  EXPECT_EQ(form.SerNo->isEnabled(), c.enabled);
  EXPECT_EQ(form.SerNo->currentIndex(), c.listed.size() - 1);
  EXPECT_EQ(form.SerNo->currentText(), c.listed.isEmpty() ? QString() : c.listed.back());
  EXPECT_TRUE(form.SerialListReady);
  // One scan and one search; a pick raised while the list filled did no work.
  EXPECT_EQ(rig.platform.enumerateCount(), 2);
  EXPECT_EQ(form.Timer->interval(), 100);
  if (c.opened < 0) {
    ExpectNoneOpen(rig);
  } else {
    ExpectOpen(rig, c.opened);
    EXPECT_EQ(form.InputReportLength, 13);
    EXPECT_EQ(form.FeatureReportLength, 64);
  }
  ExpectBalancedAfterDestroy(rig);
}

INSTANTIATE_TEST_SUITE_P(Boards, DiscoveryStartup, testing::ValuesIn(kStartupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Discovery, AttributesUnreadableIsNotABoard) {
  Rig rig;
  rig.addBoard(u"TVX0001");
  rig.addBoard(u"TVX0002");
  rig.platform.device(1).failAlways[Op::Attributes] = true;
  frmMain& form = rig.load();
  EXPECT_EQ(Items(form), Q({u"TVX0001"}));
  ExpectOpen(rig, 0);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, ForeignInterfacesAreNeverOpened) {
  Rig rig;
  constexpr int kUntouched = 1000;  // open attempts would count these down
  const int keyboard = rig.platform.addForeign(0x046D, 0xC31C);
  const int sameVendor = rig.platform.addForeign(DeviceVendorId, DeviceProductId + 1);
  const int sameProduct = rig.platform.addForeign(DeviceVendorId + 1, DeviceProductId);
  rig.addBoard(u"TVX0001");
  const int mouse = rig.platform.addForeign(0x046D, 0xC077);
  for (int f : {keyboard, sameVendor, sameProduct, mouse})
    rig.platform.device(f).failNext[Op::Open] = kUntouched;

  frmMain& form = rig.load();
  form.SerNo_Click();
  rig.ticks(3);

  for (int f : {keyboard, sameVendor, sameProduct, mouse})
    EXPECT_EQ(rig.platform.device(f).failNext[Op::Open], kUntouched) << f;
  EXPECT_EQ(Items(form), Q({u"TVX0001"}));
  ExpectOpen(rig, 3);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, PickingTheFirstOfTwoClosesTheSecondAndOpensTheFirst) {
  Rig rig;
  rig.addBoard(u"TVX0001");
  rig.addBoard(u"TVX0002");
  frmMain& form = rig.load();
  ExpectOpen(rig, 1);

  form.SerNo->setCurrentIndex(0);  // the user's pick

  ExpectOpen(rig, 0);
  EXPECT_EQ(rig.platform.openHandleCount(1), 0);
  EXPECT_EQ(form.Timer->interval(), 250);  // it closed an open board
  EXPECT_TRUE(form.Timer->isActive());
  EXPECT_EQ(Items(form), Q({u"TVX0001", u"TVX0002"}));  // a pick does not rescan

  form.SerNo->setCurrentIndex(1);
  ExpectOpen(rig, 1);
  EXPECT_EQ(rig.platform.badCloseCount(), 0);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, PickWithNoBoardOpenKeepsTheInterval) {
  Rig rig;
  frmMain& form = rig.load();
  const int b = rig.addBoard(u"TVX0001");
  form.SerNo->setEditText("TVX0001");
  form.SerNo_Click();
  ExpectOpen(rig, b);
  EXPECT_EQ(form.Timer->interval(), 100);  // nothing was closed
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, SerialsDifferingOnlyInHighBytesAreDifferentBoards) {
  Rig rig;
  // Same low bytes ("A" and "B" as 0x41, 0x42): only the whole text tells them apart.
  rig.addBoard(u"\u0141\u0142");
  rig.addBoard(u"\u0241\u0242");
  frmMain& form = rig.load();
  EXPECT_EQ(Items(form), Q({u"\u0141\u0142", u"\u0241\u0242"}));
  ExpectOpen(rig, 1);
  form.SerNo->setCurrentIndex(0);
  ExpectOpen(rig, 0);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, SerialComparisonIsCaseSensitive) {
  Rig rig;
  rig.addBoard(u"abc");
  rig.addBoard(u"ABC");
  frmMain& form = rig.load();
  form.SerNo->setCurrentIndex(0);
  ExpectOpen(rig, 0);
  form.SerNo->setEditText("Abc");  // matches no board
  form.SerNo_Click();
  ExpectNoneOpen(rig);
  ExpectBalancedAfterDestroy(rig);
}

struct SerialTextCase {
  const char* name;
  std::u16string serial;
  QString listed;
};

const SerialTextCase kSerialTexts[] = {
    {"NonAscii", u"Zürich-Ωmega-7", QString::fromUtf16(u"Zürich-Ωmega-7")},
    {"ZeroLowByteKept", u"TV\u0100X\u4E00", QString::fromUtf16(u"TV\u0100X\u4E00")},
    {"LongCutAtFifty", std::u16string(60, u'9'), QString(50, '9')},
    {"PairAtLimitNotSplit", std::u16string(49, u'x') + u"\U0001D11E", QString(49, 'x')},
};

class DiscoverySerialText : public testing::TestWithParam<SerialTextCase> {};

TEST_P(DiscoverySerialText, ListedAndOpenedByItsText) {
  Rig rig;
  rig.addBoard(u"OTHER");
  rig.addBoard(GetParam().serial);
  frmMain& form = rig.load();
  EXPECT_EQ(Items(form), (QStringList{"OTHER", GetParam().listed}));
  ExpectOpen(rig, 1);
  ExpectBalancedAfterDestroy(rig);
}

INSTANTIATE_TEST_SUITE_P(Texts, DiscoverySerialText, testing::ValuesIn(kSerialTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Discovery, ReportLengthsFollowTheBoardNowOpen) {
  Rig rig;
  rig.addBoard(u"WIDE");
  rig.addBoard(u"BOARD");
  // Another firmware: 21-byte input, 32-byte feature report.
  rig.platform.device(0).descriptor = {0x75, 0x08, 0x95, 0x14, 0x81, 0x02, 0x95, 0x1F, 0xB1, 0x02};
  frmMain& form = rig.load();
  EXPECT_EQ(form.InputReportLength, 13);
  EXPECT_EQ(form.FeatureReportLength, 64);

  form.SerNo->setCurrentIndex(0);
  EXPECT_EQ(form.InputReportLength, 21);
  EXPECT_EQ(form.FeatureReportLength, 32);

  form.SerNo->setCurrentIndex(1);
  EXPECT_EQ(form.InputReportLength, 13);
  EXPECT_EQ(form.FeatureReportLength, 64);

  // Lengths that cannot be read leave the previous ones.
  rig.platform.device(0).failAlways[Op::ReportLengths] = true;
  form.SerNo->setCurrentIndex(0);
  ExpectOpen(rig, 0);
  EXPECT_EQ(form.InputReportLength, 13);
  EXPECT_EQ(form.FeatureReportLength, 64);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, AttributesOfTheOpenBoardAreKept) {
  Rig rig;
  sim::Identity id;
  id.serialNumber = u"TVX0001";
  id.versionNumber = 0x0210;
  rig.platform.addBoard(id);
  frmMain& form = rig.load();
  EXPECT_EQ(form.DeviceAttributes.vendorId, DeviceVendorId);
  EXPECT_EQ(form.DeviceAttributes.productId, DeviceProductId);
  EXPECT_EQ(form.DeviceAttributes.versionNumber, 0x0210);
}

TEST(Discovery, PickedBoardThatHasGoneLeavesNothingOpen) {
  Rig rig;
  rig.addBoard(u"TVX0001");
  rig.addBoard(u"TVX0002");
  frmMain& form = rig.load();
  rig.platform.unplug(0);

  form.SerNo->setCurrentIndex(0);

  EXPECT_FALSE(form.DeviceDetected);
  EXPECT_FALSE(form.ConfigurationLoaded);
  ExpectNoneOpen(rig);
  EXPECT_EQ(form.Timer->interval(), 250);
  EXPECT_TRUE(form.Timer->isActive());

  // The next tick rescans and opens what is there (the reconnect path of
  // ServiceInputReport).
  rig.tick();
  EXPECT_EQ(Items(form), Q({u"TVX0002"}));
  ExpectOpen(rig, 1);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, BoardAbsentAtStartupIsFoundByTheNextTick) {
  Rig rig;
  frmMain& form = rig.load();
  ExpectNoneOpen(rig);
  rig.tick();
  EXPECT_EQ(form.Timer->interval(), 100);  // rescans every 100 ms until a board was opened
  const int b = rig.addBoard(u"TVX0001");
  rig.tick();  // needs the reconnect path of ServiceInputReport
  ExpectOpen(rig, b);
  EXPECT_EQ(Items(form), Q({u"TVX0001"}));
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, UnpluggedBoardIsReplacedByTheLastListed) {
  Rig rig;
  rig.addBoard(u"TVX0001");
  rig.addBoard(u"TVX0002");
  rig.addBoard(u"TVX0003");
  frmMain& form = rig.load();
  form.SerNo->setCurrentIndex(0);
  ExpectOpen(rig, 0);

  rig.platform.unplug(0);
  rig.tick();  // needs ServiceInputReport: the failed read closes, the rescan reopens

  EXPECT_EQ(Items(form), Q({u"TVX0002", u"TVX0003"}));
  ExpectOpen(rig, 2);
  EXPECT_EQ(form.Timer->interval(), 250);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, ClosingWithNoBoardSendsNothing) {
  Rig rig;
  frmMain& form = rig.load();
  rig.ticks(2);
  form.close();
  EXPECT_TRUE(rig.platform.featureLog().empty());
  EXPECT_FALSE(form.SerialListReady);
  ExpectBalancedAfterDestroy(rig);
}

// A platform whose non-blocking opens fail: the board opens but its read
// channel does not.
class NoReadChannel final : public hid::HidPlatform {
 public:
  explicit NoReadChannel(sim::VirtualPlatform& inner) : p(inner) {}
  sim::VirtualPlatform& p;
  std::vector<hid::InterfaceInfo> enumerate() override { return p.enumerate(); }
  hid::Handle open(const std::string& path, hid::OpenMode mode, OpenError* error) override {
    if (mode == hid::OpenMode::NonBlocking) {
      if (error) *error = OpenError::Failed;
      return hid::kNoHandle;
    }
    return p.open(path, mode, error);
  }
  bool close(hid::Handle h) override { return p.close(h); }
  std::optional<hid::Attributes> attributes(hid::Handle h) override { return p.attributes(h); }
  std::optional<std::u16string> string(hid::Handle h, hid::StringKind k) override {
    return p.string(h, k);
  }
  std::optional<hid::ReportLengths> reportLengths(hid::Handle h) override {
    return p.reportLengths(h);
  }
  bool setFeature(hid::Handle h, std::span<const std::uint8_t> r) override {
    return p.setFeature(h, r);
  }
  bool getFeature(hid::Handle h, std::span<std::uint8_t> r) override { return p.getFeature(h, r); }
  hid::InputRead readInput(hid::Handle h, std::size_t n) override { return p.readInput(h, n); }
  void sleep(int ms) override { p.sleep(ms); }
};

TEST(Discovery, ReadChannelThatWillNotOpenLeavesNoHandle) {
  sim::VirtualPlatform platform;
  sim::Identity id;
  platform.addBoard(id);
  NoReadChannel failing(platform);
  {
    frmMain form(failing, QLocale(QLocale::English, QLocale::UnitedStates));
    form.Form_Load();
    EXPECT_FALSE(form.DeviceDetected);
    EXPECT_EQ(form.DeviceHandle, hid::kNoHandle);
    EXPECT_EQ(form.ReadHandle, hid::kNoHandle);
    EXPECT_EQ(form.LastOpenError, OpenError::Failed);
    EXPECT_EQ(platform.openHandleCount(), 0);
  }
  EXPECT_EQ(platform.badCloseCount(), 0);
  EXPECT_TRUE(platform.sentTo(0).empty());
}

struct HintCase {
  const char* name;
  std::vector<OpenError> boards;  // how each board's open fails
  QString placeholder;
  OpenError recorded;
  int listed;
};

const QString kNoAccess = "Board found but not accessible: install the udev rule";
const QString kNoBoard = "No board connected";

const HintCase kHintCases[] = {
    {"NoBoard", {}, kNoBoard, OpenError::None, 0},
    {"AccessDenied", {OpenError::AccessDenied}, kNoAccess, OpenError::AccessDenied, 0},
    {"Busy", {OpenError::Busy}, kNoAccess, OpenError::Busy, 0},
    {"VanishedWhileOpening", {OpenError::NotFound}, kNoBoard, OpenError::NotFound, 0},
    {"OtherFailure", {OpenError::Failed}, kNoBoard, OpenError::Failed, 0},
    {"BoardListed", {OpenError::None}, QString(), OpenError::None, 1},
    {"OneListedOneLocked",
     {OpenError::None, OpenError::AccessDenied},
     QString(),
     OpenError::AccessDenied,
     1},
};

class DiscoveryHint : public testing::TestWithParam<HintCase> {};

TEST_P(DiscoveryHint, PlaceholderNamesTheSituation) {
  const HintCase& c = GetParam();
  Rig rig;
  for (std::size_t i = 0; i < c.boards.size(); ++i) {
    const int b = rig.addBoard(u"TVX000" + std::u16string(1, char16_t(u'1' + i)));
    rig.platform.device(b).openError = c.boards[i];
  }
  frmMain& form = rig.load();
  EXPECT_EQ(form.SerNo->count(), c.listed);
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), c.placeholder);
  EXPECT_EQ(form.LastOpenError, c.recorded);
  // No dialog and nothing sent, on load and on the rescans that follow.
  rig.ticks(2);
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), c.placeholder);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  if (c.listed == 0) {
    EXPECT_TRUE(form.SerNo->currentText().isEmpty());
    EXPECT_TRUE(rig.platform.featureLog().empty());
  }
  ExpectBalancedAfterDestroy(rig);
}

INSTANTIATE_TEST_SUITE_P(Situations, DiscoveryHint, testing::ValuesIn(kHintCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Discovery, HintGoesOnceTheRuleIsInstalled) {
  Rig rig;
  const int b = rig.addBoard(u"TVX0001");
  rig.platform.device(b).openError = OpenError::AccessDenied;
  frmMain& form = rig.load();
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), kNoAccess);
  rig.platform.device(b).openError = OpenError::None;
  rig.tick();  // needs the reconnect path of ServiceInputReport
  ExpectOpen(rig, b);
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), QString());
  EXPECT_EQ(form.LastOpenError, OpenError::None);
  ExpectBalancedAfterDestroy(rig);
}

}  // namespace
}  // namespace torvex::test
