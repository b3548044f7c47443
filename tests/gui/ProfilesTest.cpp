// SPDX-License-Identifier: MIT
// Profiles from the window: applying one sends only what differs, a file not
// taken whole sends nothing, a board lost mid-way is reported, and Reset All
// first keeps a backup that restores every stored byte.
#include <gmock/gmock.h>

#include "Gui.h"
#include "board/SettingWrites.h"
#include "gui/ProfilesDialog.h"

namespace torvex::test {
namespace {

// A board set away from the factory's, read back into the window.
struct ProfileRig : Rig {
  sim::BoardFirmware& fw;
  gui::MainWindow& w;
  const board::ProfileStore& store;
  ProfileRig()
      : fw(platform.firmware(platform.addBoard({}))),
        w((Store(fw, "40:04 45:01 46:C0 47:5D 49:02 4A:01 54:CB 55:0C 60:80"), loadConnected())),
        store(w.profileStore()) {}
};

std::array<std::uint8_t, 256> Memory(const sim::BoardFirmware& fw) {
  std::array<std::uint8_t, 256> m{};
  for (int c = 0; c < 256; ++c) m[c] = fw.setting(static_cast<std::uint8_t>(c));
  return m;
}

// Clicks, answering the modal box that opens with `button`: its name and
// text, or "no box" (then the answer is not left pending for later tests).
QString ClickAnswering(QPushButton* b, QMessageBox::StandardButton button = QMessageBox::Ok) {
  QString seen = "no box";
  QTimer::singleShot(0, [&seen, button] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      seen = box->objectName() + ": " + box->text(), box->done(button);
  });
  b->click();
  QCoreApplication::processEvents();
  return seen;
}

const board::Profile kAny{{.pulseWidthStep = 8}, {}};

const char* const kShown =
    "analogInputModeList clutchBiteSlider rotaryLeftList rotaryRightList pulseWidthList ledSlider "
    "xDeadLowField xDeadHighField";

// Only what differs goes out, in the window's order and pairing; the board's
// memory and the controls end holding the profile.
TEST(Profiles, ApplySendsOnlyWhatDiffersAndTheBoardAndWindowHoldTheProfile) {
  ProfileRig r;
  board::Settings wanted = r.w.readBackBoard().settings;
  wanted.analogInputMode = 0, wanted.clutchBite = 1000, wanted.rotaryLeft = 3;
  wanted.rotaryRight = 3, wanted.xDeadHigh = 6550, wanted.ledIntensity = 255;
  ASSERT_EQ(r.store.save("gt3-spa", {wanted, {}}), "");
  gui::ProfilesDialog d(r.w, r.store);
  EXPECT_TRUE(d.apply("gt3-spa"));
  EXPECT_EQ(r.sent(), "45:00 46:E8 47:03 49:03 4A:03 49:03 4A:03 60:FF 61:00 56:96 57:19");
  EXPECT_EQ(ShownAll(r.w, kShown), "0 1000 3 3- 3 255 5.0 10.0");
  EXPECT_EQ(ShownAll(d, "applyProgress profilesStatus"),
            "11 Every value arrived (6 settings changed).");
}

// Refused with its line and field before the board is even read.
TEST(Profiles, AFileNotTakenWholeSendsNothingAndSaysWhere) {
  ProfileRig r;
  QByteArray text = board::ProfileText({r.w.readBackBoard().settings, {}});
  const int line = int(text.left(text.indexOf("led = ")).count('\n')) + 1;
  r.platform.clearLog();
  QFile f(r.store.pathOf("bad"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(text.replace("led = ", "leds = ")) > 0);
  f.close();
  gui::ProfilesDialog d(r.w, r.store);
  EXPECT_FALSE(d.apply("bad"));
  EXPECT_THAT(d.status().toStdString(),
              testing::HasSubstr("bad.toml: line " + std::to_string(line) +
                                 ", settings.leds: not a field of a profile"));
  EXPECT_EQ(r.platform.featureLog().size(), 0u);
}

// Unplugged before the Nth frame: settings all of whose frames went are
// reached, the rest not set; the window and the dialog follow the loss at once.
TEST(Profiles, ABoardLostMidApplySaysWhatReachedItAndTheWindowFollows) {
  // clang-format off
  const std::pair<int, const char*> cases[] = {
      {1, "Reached the board: none.\nNot set: analog-mode, clutch-bite, led."},
      {3, "Reached the board: analog-mode.\nPartly sent, may hold either value: clutch-bite.\n"
          "Not set: led."}};
  // clang-format on
  for (auto [n, told] : cases) {
    ProfileRig r;
    board::Settings wanted = r.w.readBackBoard().settings;
    wanted.analogInputMode = 0, wanted.clutchBite = 1000, wanted.ledIntensity = 255;
    ASSERT_EQ(r.store.save("rally-wet", {wanted, {}}), "");
    int frames = 0;
    r.fault.before = [&](Call c, hid::Handle) {
      if (c == Call::SetFeature && ++frames == n) r.platform.unplug(0);
      return false;
    };
    gui::ProfilesDialog d(r.w, r.store);
    EXPECT_FALSE(d.apply("rally-wet"));
    EXPECT_EQ(d.status(), QString("The board was lost or refused a setting.\n") + told);
    EXPECT_EQ(Disabled(r.w) + " " + ShownAll(d, "applyButton saveBoardButton"),
              std::string(kNoBoard) + " Apply- Save Board As...-")
        << n;
  }
}

TEST(Profiles, ResetAllKeepsABackupThatRestoresEveryStoredByte) {
  ProfileRig r;
  Store(r.fw, "45:00");  // changed behind the window's back: kept, but not shown
  const auto memory = Memory(r.fw);
  const std::string shown = ShownAll(r.w, kShown);
  const QString told = ClickAnswering(r.ui().resetAllButton);
  EXPECT_EQ(r.sent(), "3/04:05");
  EXPECT_EQ(ShownAll(r.w, kShown), shown);  // as the window always did
  const QStringList names = r.store.names();
  ASSERT_EQ(names.size(), 1);
  EXPECT_TRUE(names[0].startsWith("backup-TVX0001-")) << names[0].toStdString();
  EXPECT_EQ(told, "resetBackupSaved: The settings before the reset were saved as the profile \"" +
                      names[0] + "\" in " + gui::ShownDirectory(r.store.directory()) +
                      ".\nApply it from Profiles... to restore them.");
  ASSERT_NE(Memory(r.fw), memory);
  gui::ProfilesDialog d(r.w, r.store);
  EXPECT_TRUE(d.apply(names[0])) << d.status().toStdString();
  EXPECT_EQ(Memory(r.fw), memory);
}

// A store under a file cannot be written, whoever runs the test.
TEST(Profiles, ABackupNotSavedAsksAndNoSendsNoReset) {
  for (auto [answer, sent] : {std::pair{QMessageBox::No, ""}, {QMessageBox::Yes, "3/04:05"}}) {
    ProfileRig r;
    QFile blocker(r.profiles.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    r.w.setProfileStore(board::ProfileStore(blocker.fileName() + "/profiles"));
    const QString asked = ClickAnswering(r.ui().resetAllButton, answer);
    EXPECT_TRUE(asked.startsWith("resetWithoutBackup: ") && asked.endsWith("Reset anyway?"));
    EXPECT_EQ(r.sent(), sent);
  }
}

// Without a board only the files can be handled; no poll runs while it is open.
TEST(Profiles, TheDialogHoldsThePollAndWithoutABoardOffersOnlyTheFiles) {
  Rig rig;
  gui::MainWindow& w = rig.load();
  ASSERT_EQ(w.profileStore().save("gt3-spa", kAny), "");
  std::string inside;
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<gui::ProfilesDialog*>(QApplication::activeModalWidget());
    d->select("gt3-spa");
    inside = ShownAll(*d, "saveBoardButton applyButton renameButton deleteButton exportButton") +
             (w.pollTimer()->isActive() ? " ticking" : "");
    d->accept();
  });
  w.controls().profilesButton->click();
  EXPECT_EQ(inside, "Save Board As...- Apply- Rename... Delete Export...");
  EXPECT_TRUE(w.pollTimer()->isActive());
}

}  // namespace
}  // namespace torvex::test
