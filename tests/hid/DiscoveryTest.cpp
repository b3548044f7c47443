// Discovery on the real window against emulated boards: what is listed, what
// is opened, which handles stay open, and the hint shown when nothing opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <optional>

#include "hid/Config.h"
#include "soak/FaultPlatform.h"
#include "support/Rig.h"

namespace torvex::test {
namespace {

using hid::OpenError;
using sim::Op;
using Texts = std::vector<std::u16string>;

Texts Items(const frmMain& form) {
  Texts out;
  for (int i = 0; i < form.SerNo->count(); ++i)
    out.push_back(form.SerNo->itemText(i).toStdU16String());
  return out;
}

// The board `index` is the one open, with both of its handles, and nothing else is.
void ExpectOpen(Rig& rig, int index) {
  const frmMain& form = rig.form();
  EXPECT_TRUE(form.DeviceDetected && form.ReadChannelReady);
  EXPECT_EQ(form.DevicePathName, rig.platform.device(index).path);
  EXPECT_EQ(rig.platform.openHandleCount(), 2);
  EXPECT_EQ(rig.platform.openHandleCount(index), 2);
  EXPECT_TRUE(form.DeviceHandle != hid::kNoHandle && form.ReadHandle != hid::kNoHandle);
}

void ExpectNoneOpen(Rig& rig) {
  EXPECT_FALSE(rig.form().DeviceDetected || rig.form().ReadChannelReady);
  EXPECT_EQ(rig.platform.openHandleCount(), 0);
}

// After the window is gone nothing may stay open, and nothing was closed twice.
void ExpectBalancedAfterDestroy(Rig& rig) {
  rig.destroyForm();
  EXPECT_EQ(rig.platform.openHandleCount(), 0);
  EXPECT_EQ(rig.platform.badCloseCount(), 0);
}

TEST(Discovery, StartupListsInOrderAndOpensTheLastListed) {
  const struct {
    const char* name;
    std::vector<std::optional<std::u16string>> serials;  // nullopt: unreadable serial
    Texts listed;
    int opened;             // board index, -1 for none
    int noAttributes = -1;  // board whose attributes cannot be read
  } cases[] = {
      {"three boards", {u"C", u"A", u"B"}, {u"C", u"A", u"B"}, 2},
      {"unreadable serial", {std::nullopt, u"TVX0002"}, {u"TVX0002"}, 1},
      {"unreadable attributes", {u"TVX0001", u"TVX0002"}, {u"TVX0001"}, 0, 1},
      // Opening compares whole texts: same low bytes, or another case, is another board.
      {"high bytes", {u"\u0141\u0142", u"\u0241\u0242"}, {u"\u0141\u0142", u"\u0241\u0242"}, 1},
      {"case", {u"abc", u"ABC"}, {u"abc", u"ABC"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    for (const auto& s : c.serials) rig.platform.addBoard({.serialNumber = s});
    if (c.noAttributes >= 0) rig.platform.device(c.noAttributes).failAlways[Op::Attributes] = true;
    frmMain& form = rig.load();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Items(form), c.listed);
    EXPECT_EQ(form.SerNo->isEnabled(), c.listed.size() > 1);
    EXPECT_EQ(form.SerNo->currentIndex(), static_cast<int>(c.listed.size()) - 1);
    EXPECT_TRUE(form.SerialListReady);
    // One scan and one search; a pick raised while the list filled did no work.
    EXPECT_EQ(rig.platform.enumerateCount(), 2);
    EXPECT_EQ(form.Timer->interval(), 100);
    if (c.opened < 0)
      ExpectNoneOpen(rig);
    else
      ExpectOpen(rig, c.opened);
    ExpectBalancedAfterDestroy(rig);
  }
}

TEST(Discovery, ForeignInterfacesAreNeverOpened) {
  Rig rig;
  constexpr int kUntouched = 1000;  // open attempts would count these down
  const int foreign[] = {rig.platform.addForeign(0x046D, 0xC31C),
                         rig.platform.addForeign(DeviceVendorId, DeviceProductId + 1),
                         rig.platform.addForeign(DeviceVendorId + 1, DeviceProductId)};
  const int board = rig.addBoard(u"TVX0001");
  for (int f : foreign) rig.platform.device(f).failNext[Op::Open] = kUntouched;

  frmMain& form = rig.load();
  form.SerNo_Click();
  rig.ticks(3);

  for (int f : foreign) EXPECT_EQ(rig.platform.device(f).failNext[Op::Open], kUntouched) << f;
  EXPECT_EQ(Items(form), Texts{u"TVX0001"});
  ExpectOpen(rig, board);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, PickingABoardClosesTheOpenOneWithoutARescan) {
  Rig rig;
  rig.addBoard(u"TVX0001");
  rig.addBoard(u"TVX0002");
  frmMain& form = rig.load();
  form.SerNo->setCurrentIndex(0);  // the user's pick
  ExpectOpen(rig, 0);
  EXPECT_EQ(form.Timer->interval(), 250);       // it closed an open board
  EXPECT_EQ(rig.platform.enumerateCount(), 3);  // the search only
  form.SerNo->setCurrentIndex(1);
  ExpectOpen(rig, 1);

  // A picked board that has gone leaves nothing open; the next tick rescans.
  rig.platform.unplug(0);
  form.SerNo->setCurrentIndex(0);
  EXPECT_FALSE(form.ConfigurationLoaded);
  ExpectNoneOpen(rig);
  EXPECT_EQ(form.Timer->interval(), 250);
  EXPECT_TRUE(form.Timer->isActive());
  rig.tick();
  EXPECT_EQ(Items(form), Texts{u"TVX0002"});
  ExpectOpen(rig, 1);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, PickWithNoBoardOpenKeepsTheInterval) {
  Rig rig;
  frmMain& form = rig.load();
  const int b = rig.addBoard(u"TVX0001");
  form.SerNo->setEditText("TVX0001");
  form.SerNo_Click();
  ExpectOpen(rig, b);
  EXPECT_EQ(form.Timer->interval(), 100);
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, ReportLengthsFollowTheBoardNowOpen) {
  Rig rig;
  rig.addBoard(u"WIDE");
  rig.addBoard(u"BOARD");
  // Another firmware: 21-byte input, 32-byte feature report.
  rig.platform.device(0).descriptor = {0x75, 0x08, 0x95, 0x14, 0x81, 0x02, 0x95, 0x1F, 0xB1, 0x02};
  frmMain& form = rig.load();
  const auto lengths = [&] {
    return std::pair<int, int>(form.InputReportLength, form.FeatureReportLength);
  };
  form.SerNo->setCurrentIndex(0);
  EXPECT_EQ(lengths(), std::pair(21, 32));
  form.SerNo->setCurrentIndex(1);
  EXPECT_EQ(lengths(), std::pair(13, 64));

  // Lengths that cannot be read leave the previous ones.
  rig.platform.device(0).failAlways[Op::ReportLengths] = true;
  form.SerNo->setCurrentIndex(0);
  ExpectOpen(rig, 0);
  EXPECT_EQ(lengths(), std::pair(13, 64));
  ExpectBalancedAfterDestroy(rig);
}

TEST(Discovery, ReadChannelThatWillNotOpenLeavesNoHandle) {
  sim::VirtualPlatform boards;
  boards.addBoard({});
  FaultPlatform platform(boards);
  // The read channel is opened after the lengths are read; fail every open from then on.
  bool lengthsRead = false;
  platform.before = [&](Call c, hid::Handle) {
    lengthsRead |= c == Call::ReportLengths;
    return c == Call::Open && lengthsRead;
  };
  {
    frmMain form(platform, QLocale(QLocale::English, QLocale::UnitedStates));
    form.Form_Load();
    EXPECT_FALSE(form.DeviceDetected);
    EXPECT_EQ(form.DeviceHandle, hid::kNoHandle);
    EXPECT_EQ(form.ReadHandle, hid::kNoHandle);
    EXPECT_EQ(form.LastOpenError, OpenError::Failed);
    EXPECT_EQ(boards.openHandleCount(), 0);
  }
  EXPECT_EQ(boards.badCloseCount(), 0);
  EXPECT_TRUE(boards.sentTo(0).empty());
}

const QString kNoAccess = "Board found but not accessible: install the udev rule";
const QString kNoBoard = "No board connected";

TEST(Discovery, PlaceholderNamesTheSituationWithoutADialog) {
  const struct {
    std::vector<OpenError> boards;  // how each board's open fails
    QString placeholder;
    OpenError recorded;
  } cases[] = {
      {{}, kNoBoard, OpenError::None},
      {{OpenError::AccessDenied}, kNoAccess, OpenError::AccessDenied},
      {{OpenError::Busy}, kNoAccess, OpenError::Busy},
      {{OpenError::NotFound}, kNoBoard, OpenError::NotFound},  // vanished while opening
      {{OpenError::None}, QString(), OpenError::None},
      {{OpenError::None, OpenError::AccessDenied}, QString(), OpenError::AccessDenied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.boards.size() << " boards, " << int(c.recorded));
    Rig rig;
    for (OpenError e : c.boards) rig.platform.device(rig.addBoard(u"TVX0001")).openError = e;
    frmMain& form = rig.load();
    const bool listed = c.placeholder.isEmpty();
    EXPECT_EQ(form.SerNo->count(), listed ? 1 : 0);
    EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), c.placeholder);
    EXPECT_EQ(form.LastOpenError, c.recorded);
    // No dialog and nothing sent, on load, on the rescans that follow and on closing.
    rig.ticks(2);
    EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), c.placeholder);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    if (!listed) {
      form.close();
      EXPECT_TRUE(rig.platform.featureLog().empty());
    }
    ExpectBalancedAfterDestroy(rig);
  }
}

TEST(Discovery, TicksRescanUntilABoardOpensAndTheHintFollows) {
  Rig rig;
  frmMain& form = rig.load();
  rig.tick();
  EXPECT_EQ(form.Timer->interval(), 100);
  const int b = rig.addBoard(u"TVX0001");
  rig.platform.device(b).openError = OpenError::AccessDenied;
  rig.tick();
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), kNoAccess);

  rig.platform.device(b).openError = OpenError::None;  // the rule is installed
  rig.tick();
  ExpectOpen(rig, b);
  EXPECT_EQ(Items(form), Texts{u"TVX0001"});
  EXPECT_EQ(form.SerNo->lineEdit()->placeholderText(), QString());
  EXPECT_EQ(form.LastOpenError, OpenError::None);
  ExpectBalancedAfterDestroy(rig);
}

}  // namespace
}  // namespace torvex::test
