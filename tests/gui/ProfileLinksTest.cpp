// SPDX-License-Identifier: MIT
// Games and the agent from the profiles dialog: what running processes offer
// to link and what linking writes, a links file that cannot be read, what
// applying would change, and the commands that switch the agent.
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

using games::Link;
using games::MatchRule;

// The names that match, strongest first; a game linked elsewhere moves, and says so.
TEST(ProfileLinks, RunningProgramsOfferTheNameThatMatchesAndLinkingWritesIt) {
  Rig rig;
  gui::MainWindow& w = rig.load();
  const board::ProfileStore& store = w.profileStore();
  QTemporaryDir proc;
  const auto run = [&](int pid, const QByteArray& cmdline, const QString& exe,
                       const QByteArray& scope = "session-2") {
    Write(proc.path(), {.pid = pid,
                        .cmdline = cmdline,
                        .exe = exe,
                        .cgroup = "0::/user.slice/user-1000.slice/" + scope + ".scope\n",
                        .uid = ::getuid()});
  };
  run(300, "/usr/games/supertuxkart\0"_qba, "/usr/games/supertuxkart");
  run(310, "Z:\\games\\AC2\\AC2-Win64-Shipping.exe\0"_qba, "/usr/bin/wine64-preloader");
  run(320, "/games/rally/rally\0-f\0"_qba, "/games/rally/rally", "app-steam-app244210-3115");
  const QString path = games::LinksPath(store.directory());
  ASSERT_EQ(games::WriteLinksFile(
                path, {{{"rally-wet", MatchRule::WindowsExe, "ac2-win64-shipping.exe"}}, {}}),
            "");
  gui::ProfilesDialog d(w, store, nullptr, proc.path());
  const std::vector<Link> offers = d.runningGames();
  QStringList offered;
  for (const Link& l : offers) offered << gui::LinkText(l);
  EXPECT_EQ(offered.join(" | "),
            "Steam app 244210 | AC2-Win64-Shipping.exe (Windows, through Wine or Proton) | "
            "supertuxkart (native)");
  ASSERT_EQ(offers.size(), 3u);
  const std::pair<int, const char*> links[] = {
      {1,
       "AC2-Win64-Shipping.exe (Windows, through Wine or Proton) was linked to \"rally-wet\". "
       "Linked AC2-Win64-Shipping.exe (Windows, through Wine or Proton) to \"gt3-spa\"."},
      {0, "Linked Steam app 244210 to \"gt3-spa\"."},
      {0, "Steam app 244210 is linked to \"gt3-spa\" already."},
  };
  for (auto [offer, told] : links) {
    EXPECT_TRUE(d.linkGame("gt3-spa", offers[offer]));
    EXPECT_EQ(d.status(), told);
  }
  const games::Links written{{{"gt3-spa", MatchRule::WindowsExe, "AC2-Win64-Shipping.exe"},
                              {"gt3-spa", MatchRule::SteamAppId, "244210"}},
                             {}};
  EXPECT_EQ(games::ReadLinksFile(path).links, written);
}

// Every change to the links is refused whole: the file stays as it was.
TEST(ProfileLinks, ALinksFileThatCannotBeReadIsNamedWithLineAndFieldAndKept) {
  Rig rig;
  gui::MainWindow& w = rig.load();
  const QByteArray bad = "format = 1\n[[link]]\nprofile = \"gt3-spa\"\nsteam = \"x\"\n";
  QFile f(games::LinksPath(w.profileStore().directory()));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bad) == bad.size());
  f.close();
  gui::ProfilesDialog d(w, w.profileStore());
  const Link steam{"gt3-spa", MatchRule::SteamAppId, "805550"};
  const std::function<bool()> changes[] = {[&] { return d.linkGame("gt3-spa", steam); },
                                           [&] { return d.unlinkGame(steam); },
                                           [&] { return d.setDefaultProfile("gt3-spa"); }};
  for (const auto& change : changes) {
    EXPECT_FALSE(change());
    EXPECT_THAT(d.status().toStdString(),
                testing::MatchesRegex(".*links.toml: line 4, link\\[1\\]\\.steam: .*\n"
                                      "Nothing was changed\\."));
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), bad);
}

// Only the setting that differs, with the board's value and the profile's.
TEST(ProfileLinks, TheDifferencesAreTheRowsThatDiffer) {
  // clang-format off
  const struct { int led; bool board; const char* shown; } cases[] = {
      {128, true, "Applying changes on the board: | led 100 % 50 %"},
      {255, true, "Applying changes nothing."},
      {128, false, "No board open."}};
  // clang-format on
  for (const auto& c : cases) {
    Rig rig;
    gui::MainWindow& w = c.board ? rig.loadConnected() : rig.load();
    board::Settings s = w.readBackBoard().settings;
    s.ledIntensity = c.led;
    ASSERT_EQ(w.profileStore().save("gt3-spa", {s, {}}), "");
    gui::ProfilesDialog d(w, w.profileStore());
    d.select("gt3-spa");
    QString shown = d.findChild<QLabel*>("differenceSummary")->text();
    auto* rows = d.findChild<QTreeWidget*>("differenceList");
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* row = rows->topLevelItem(i);
      shown += " | " + row->text(0) + " " + row->text(1) + " " + row->text(2);
    }
    EXPECT_EQ(shown.toStdString(), c.shown);
  }
}

// The agent's word while it runs and names the board, else what the dialog applied.
TEST(ProfileLinks, TheWindowShowsTheProfileTheBoardHolds) {
  Rig rig;
  gui::MainWindow& w = rig.loadConnected();
  ASSERT_EQ(w.profileStore().save("rally-wet", {w.readBackBoard().settings, {}}), "");
  gui::ProfilesDialog d(w, w.profileStore());
  ASSERT_TRUE(d.apply("rally-wet"));
  EXPECT_EQ(w.activeProfileText(), "Profile: rally-wet");
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
    gui::AgentSwitch agent;
    QStringList commands;
    agent.run = [&](const QString& program, const QStringList& arguments, bool detached) {
      commands << (QStringList(program) + arguments).join(' ') + (detached ? " &" : "");
      return commands.size() == 1 ? c.answer : gui::CommandRun{0, {}};
    };
    EXPECT_EQ(c.on ? agent.turnOn() : agent.turnOff(), "");
    EXPECT_EQ(commands.join("; ").toStdString(), c.commands.toStdString());
    QFile entry(gui::AgentSwitch::AutostartPath());
    EXPECT_EQ(entry.open(QIODevice::ReadOnly), c.entry) << c.commands.toStdString();
    if (c.entry)
      EXPECT_EQ(entry.readAll(),
                "[Desktop Entry]\nType=Application\nName=Torvex per-game profiles\n"
                "Comment=Applies a game's linked wheel profile while the game runs\nExec=" +
                    ctl.toUtf8() + " agent\nIcon=torvex-config\nTerminal=false\nNoDisplay=true\n");
  }
}

}  // namespace
}  // namespace torvex::test
