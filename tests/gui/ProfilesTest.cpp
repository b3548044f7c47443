// SPDX-License-Identifier: MIT
// Profiles from the window: applying one says what reached the board, Reset
// All first keeps a backup of what the board held; games and the agent from
// the profiles dialog: what running processes offer to link and what linking
// writes, a links file that cannot be read, what applying would change, and
// the commands that switch the agent.
#include <gmock/gmock.h>
#include <unistd.h>

#include "Gui.h"
#include "games/Links.h"
#include "gui/AgentSwitch.h"
#include "gui/ProfilesDialog.h"
#include "notify/AgentState.h"
#include "support/FakeProc.h"

namespace torvex::test {
namespace {

// A board set away from the factory's.
const char* const kAway = "40:04 45:01 46:C0 47:5D 49:02 4A:01 54:CB 55:0C 60:80";

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
    Rig r;
    gui::MainWindow& w = LoadHolding(r, kAway);
    board::Settings wanted = w.readBackBoard().settings;
    wanted.analogInputMode = 0, wanted.clutchBite = 1000, wanted.rotaryLeft = 3;
    wanted.rotaryRight = 3, wanted.xDeadHigh = 6550, wanted.ledIntensity = 255;
    QFile f(w.profileStore().pathOf("gt3-spa"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) &&
                f.write(board::ProfileText({wanted, {}}).replace("led = ", c.led)) > 0);
    f.close();
    int frames = 0;
    r.fault.before = [&](Call call, hid::Handle) {
      if (call == Call::SetFeature && ++frames == c.lostAt) r.platform.unplug(0);
      return false;
    };
    r.platform.clearLog();
    gui::ProfilesDialog d(w, w.profileStore());
    d.select("gt3-spa");
    EXPECT_EQ(d.apply("gt3-spa"), c.lostAt == 0 && c.led[3] == ' ');
    EXPECT_EQ(r.platform.featureLog().empty(), c.led[3] != ' ');
    EXPECT_THAT(d.status().toStdString(), testing::EndsWith(c.status));
    EXPECT_EQ(ShownAll(w, kShown) + " " + ShownAll(d, "applyProgress applyButton saveBoardButton"),
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
    Rig r;
    gui::MainWindow& w = LoadHolding(r, kAway);
    QFile blocker(r.profiles.filePath("file"));
    ASSERT_TRUE(c.told == saved || blocker.open(QIODevice::WriteOnly));
    if (c.told != saved) w.setProfileStore(board::ProfileStore(blocker.fileName() + "/profiles"));
    // Changed behind the window's back: kept, but not shown.
    Store(r.platform.firmware(0), "45:00");
    const std::string shown = ShownAll(w, kShown);
    const QString told = ClickAnswering(r.ui().resetAllButton, c.answer);
    EXPECT_EQ(r.sent(), c.sent);
    EXPECT_EQ(ShownAll(w, kShown), shown);  // as the window always did
    EXPECT_TRUE(told.startsWith(c.told)) << told.toStdString();
    const QStringList names = w.profileStore().names();
    ASSERT_EQ(names.size(), c.told == saved ? 1 : 0);
    if (names.isEmpty()) continue;
    EXPECT_EQ(told, saved + " \"" + names[0] + "\" in " +
                        gui::ShownDirectory(w.profileStore().directory()) +
                        ".\nApply it from Profiles... to restore them.");
    EXPECT_EQ(w.profileStore().read(names[0]).profile->settings.analogInputMode, 0);
  }
}

// Without a board the dialog handles only the files, and no poll runs while
// it is open. Running programs offer the names that match, strongest first;
// a game linked elsewhere moves, and says so.
TEST(ProfileLinks, WithoutABoardTheDialogOffersRunningGamesAndLinksThem) {
  Rig rig;
  gui::MainWindow& w = rig.load();
  const board::ProfileStore& store = w.profileStore();
  ASSERT_EQ(w.profileStore().save("gt3-spa", {{.pulseWidthStep = 8}, {}}), "");
  const auto inside = [&](QDialog& d) {
    static_cast<gui::ProfilesDialog&>(d).select("gt3-spa");
    return QString::fromStdString(ShownAll(d,
                                           "saveBoardButton applyButton renameButton "
                                           "deleteButton exportButton")) +
           (w.pollTimer()->isActive() ? " ticking" : "");
  };
  EXPECT_EQ(ClickAnswering(w.controls().profilesButton, QDialog::Accepted, inside),
            "profilesDialog: Save Board As...- Apply- Rename... Delete Export...");
  EXPECT_TRUE(w.pollTimer()->isActive());
  QTemporaryDir proc;
  // clang-format off
  FakeProcess running[] = {
      {.pid = 300, .cmdline = "/usr/games/supertuxkart\0"_qba, .exe = "/usr/games/supertuxkart"},
      {.pid = 310, .cmdline = "Z:\\games\\AC2\\AC2-Win64-Shipping.exe\0"_qba, .exe = "/usr/bin/wine64-preloader"},
      {.pid = 320, .cmdline = "/games/rally/rally\0-f\0"_qba, .exe = "/games/rally/rally",
       .cgroup = "0::/user.slice/user-1000.slice/app-steam-app244210-3115.scope\n"}};
  // clang-format on
  for (FakeProcess& p : running) {
    p.uid = ::getuid();  // the scanner offers only the user's own
    Write(proc.path(), p);
  }
  const QString path = games::LinksPath(store.directory());
  const games::Link wet{"rally-wet", games::MatchRule::WindowsExe, "ac2-win64-shipping.exe"};
  ASSERT_EQ(games::WriteLinksFile(path, {{wet}, {}}), "");
  gui::ProfilesDialog d(w, store, nullptr, proc.path());
  const std::vector<games::Link> offers = d.runningGames();
  const QString ac2 = "AC2-Win64-Shipping.exe (Windows, through Wine or Proton)";
  QStringList offered;
  for (const games::Link& l : offers) offered << gui::LinkText(l);
  EXPECT_EQ(offered.join(" | "), "Steam app 244210 | " + ac2 + " | supertuxkart (native)");
  ASSERT_EQ(offers.size(), 3u);
  // clang-format off
  const std::pair<int, QString> links[] = {
      {1, ac2 + " was linked to \"rally-wet\". Linked " + ac2 + " to \"gt3-spa\"."},
      {0, "Linked Steam app 244210 to \"gt3-spa\"."},
      {0, "Steam app 244210 is linked to \"gt3-spa\" already."}};
  // clang-format on
  for (const auto& [offer, told] : links) {
    EXPECT_TRUE(d.linkGame("gt3-spa", offers[offer]));
    EXPECT_EQ(d.status(), told);
  }
  // A file that cannot be read is named with line and field, and kept: linking,
  // unlinking and the default all take it through one path.
  const QByteArray bad = "format = 1\n[[link]]\nprofile = \"gt3-spa\"\nsteam = \"x\"\n";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bad) == bad.size());
  f.close();
  EXPECT_FALSE(d.linkGame("rally-wet", offers[2]));
  EXPECT_THAT(d.status().toStdString(),
              testing::MatchesRegex(".*links.toml: line 4, link\\[1\\]\\.steam: .*\n"
                                    "Nothing was changed\\."));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), bad);
}

// Selected, a profile shows only the settings that differ, with the board's
// value and the profile's. Applied, the window names it, unless the agent runs
// and names another for the board.
TEST(ProfileLinks, TheDifferencesAndTheProfileTheBoardHolds) {
  Rig rig;
  gui::MainWindow& w = rig.loadConnected();
  board::Settings s = w.readBackBoard().settings;
  s.ledIntensity = 128;
  ASSERT_EQ(w.profileStore().save("rally-wet", {s, {}}), "");
  gui::ProfilesDialog d(w, w.profileStore());
  const auto differences = [&] {
    d.select("rally-wet");
    QString shown = d.findChild<QLabel*>("differenceSummary")->text();
    for (const QTreeWidgetItem* row :
         d.findChild<QTreeWidget*>("differenceList")->findItems("*", Qt::MatchWildcard))
      shown += " | " + row->text(0) + " " + row->text(1) + " " + row->text(2);
    return shown.toStdString();
  };
  EXPECT_EQ(differences(), "Applying changes on the board: | led 100 % 50 %");
  ASSERT_TRUE(d.apply("rally-wet"));
  EXPECT_EQ(differences() + " " + w.activeProfileText().toStdString(),
            "Applying changes nothing. Profile: rally-wet");
  const int lock = notify::TakeAgentLock();
  notify::WriteAgentStatus(
      {{"game", QJsonObject{{"name", "AC2-Win64-Shipping.exe"}, {"profile", "gt3-spa"}}},
       {"applied", QJsonObject{{"board", "TVX0001"}, {"profile", "gt3-spa"}}}});
  w.onBoardChangedElsewhere("TVX0001");
  EXPECT_EQ(w.controls().activeProfileLabel->toolTip().toStdString(),
            "Profile: gt3-spa (for AC2-Win64-Shipping.exe)");
  ::close(lock);
  EXPECT_EQ(w.activeProfileText(), "Profile: rally-wet");
}

// Through systemd when a user manager answers; else an autostart entry and
// an agent started now, both undone by switching off. An answer to
// is-system-running; on or off; the commands run; an entry left in autostart.
TEST(AgentSwitch, RunsTheServiceWhereSystemdAnswersElseAnAutostartEntry) {
  const QString ctl = gui::AgentSwitch::CtlPath(), asks = "systemctl --user is-system-running";
  // clang-format off
  const struct { gui::CommandRun answer; bool on; QString commands; bool entry; } cases[] = {
      {{1, "degraded\n"}, true, asks + "; systemctl --user enable --now torvex-agent.service", false},
      {{0, "running\n"}, false, asks + "; systemctl --user disable --now torvex-agent.service", false},
      {{1, "Failed to connect to bus: No medium found\n"}, true, asks + "; " + ctl + " agent &", true},
      {{1, "offline\n"}, false, asks, false}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commands.toStdString());
    gui::AgentSwitch agent;
    QStringList commands;
    agent.run = [&](const QString& program, const QStringList& arguments, bool detached) {
      commands << (QStringList(program) + arguments).join(' ') + (detached ? " &" : "");
      return commands.size() == 1 ? c.answer : gui::CommandRun{0, {}};
    };
    EXPECT_EQ(c.on ? agent.turnOn() : agent.turnOff(), "");
    EXPECT_EQ(commands.join("; ").toStdString(), c.commands.toStdString());
    // The packaged entry, switched on and running the ctl beside the window.
    QFile entry(gui::AgentSwitch::AutostartPath());
    const QByteArray written = entry.open(QIODevice::ReadOnly) ? entry.readAll() : "";
    EXPECT_EQ(written.contains("Exec=" + ctl.toUtf8() + " agent\n") && !written.contains("Hidden"),
              c.entry);
  }
}

}  // namespace
}  // namespace torvex::test
