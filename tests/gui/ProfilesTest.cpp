// SPDX-License-Identifier: MIT
// Profiles from the window: applying one sends only what differs, a file not
// taken whole sends nothing, a board lost mid-way is reported, and Reset All
// first keeps a backup of what the board held.
#include <gmock/gmock.h>

#include "Gui.h"
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

const char* const kShown =
    "analogInputModeList clutchBiteSlider rotaryLeftList rotaryRightList pulseWidthList ledSlider "
    "xDeadLowField xDeadHighField";

// The controls end holding the profile (which frames go out the board's tests
// pin). A file not taken whole sends nothing, not even a read-back. Unplugged
// mid-way: settings all of whose frames went are reached, the rest not set;
// the window and the dialog follow the loss at once.
TEST(Profiles, ApplySaysWhatReachedTheBoard) {
  // clang-format off
  const struct { const char* led; int lostAt; const char *status, *shown; } cases[] = {
      {"led = ", 0, "Every value arrived (6 settings changed).", "0 1000 3 3- 3 255 5.0 10.0 11 Apply Save Board As..."},
      {"led = ", 3, "Reached the board: analog-mode.\nPartly sent, may hold either value: clutch-bite.\n"
       "Not set: rotary-left, rotary-right, led, x-dead-high.", "1- 24000- 2- 1- 3- 128- 5.0- 0.0- 2 Apply- Save Board As...-"},
      {"leds = ", 0, "gt3-spa.toml: line 26, settings.leds: not a field of a profile",
       "1 24000 2 1 3 128 5.0 0.0 0 Apply Save Board As..."}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.led + std::to_string(c.lostAt));
    ProfileRig r;
    board::Settings wanted = r.w.readBackBoard().settings;
    wanted.analogInputMode = 0, wanted.clutchBite = 1000, wanted.rotaryLeft = 3;
    wanted.rotaryRight = 3, wanted.xDeadHigh = 6550, wanted.ledIntensity = 255;
    QFile f(r.store.pathOf("gt3-spa"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) &&
                f.write(board::ProfileText({wanted, {}}).replace("led = ", c.led)) > 0);
    f.close();
    int frames = 0;
    r.fault.before = [&](Call call, hid::Handle) {
      if (call == Call::SetFeature && ++frames == c.lostAt) r.platform.unplug(0);
      return false;
    };
    r.platform.clearLog();
    gui::ProfilesDialog d(r.w, r.store);
    d.select("gt3-spa");
    EXPECT_EQ(d.apply("gt3-spa"), c.lostAt == 0 && c.led[3] == ' ');
    EXPECT_EQ(r.platform.featureLog().empty(), c.led[3] != ' ');
    EXPECT_THAT(d.status().toStdString(), testing::EndsWith(c.status));
    EXPECT_EQ(
        ShownAll(r.w, kShown) + " " + ShownAll(d, "applyProgress applyButton saveBoardButton"),
        c.shown);
  }
}

// The backup holds what the board held, not what the window showed. A store
// under a file cannot be written, whoever runs the test: then it asks first.
TEST(Profiles, ResetAllKeepsABackupOfWhatTheBoardHeldOrAsks) {
  const QString saved = "resetBackupSaved: The settings before the reset were saved as the profile";
  // clang-format off
  const struct { QMessageBox::StandardButton answer; const char* sent; QString told; } cases[] = {
      {QMessageBox::Ok, "3/04:05", saved}, {QMessageBox::No, "", "resetWithoutBackup: "},
      {QMessageBox::Yes, "3/04:05", "resetWithoutBackup: "}};
  // clang-format on
  for (const auto& c : cases) {
    ProfileRig r;
    QFile blocker(r.profiles.filePath("file"));
    ASSERT_TRUE(c.told == saved || blocker.open(QIODevice::WriteOnly));
    if (c.told != saved) r.w.setProfileStore(board::ProfileStore(blocker.fileName() + "/profiles"));
    Store(r.fw, "45:00");  // changed behind the window's back: kept, but not shown
    const std::string shown = ShownAll(r.w, kShown);
    const QString told = ClickAnswering(r.ui().resetAllButton, c.answer);
    EXPECT_EQ(r.sent(), c.sent);
    EXPECT_EQ(ShownAll(r.w, kShown), shown);  // as the window always did
    EXPECT_TRUE(told.startsWith(c.told)) << told.toStdString();
    const QStringList names = r.store.names();
    ASSERT_EQ(names.size(), c.told == saved ? 1 : 0);
    if (names.isEmpty()) continue;
    EXPECT_EQ(told, saved + " \"" + names[0] + "\" in " + gui::ShownDirectory(r.store.directory()) +
                        ".\nApply it from Profiles... to restore them.");
    EXPECT_EQ(r.store.read(names[0]).profile->settings.analogInputMode, 0);
  }
}

}  // namespace
}  // namespace torvex::test
