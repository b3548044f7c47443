// SPDX-License-Identifier: MIT
// Saves a picture of the window on the demo boards with the curve monitor
// open on X and the paddle pulled through in one second, optionally of the
// demo as it opens (the window beside the virtual wheel), and of the profiles
// dialog over the window after applying a profile, and of it again with a
// profile linked to two games:
//   torvex_screenshots <window.png> [demo.png] [profiles.png] [links.png]
// Runs on the virtual clock, so the picture is the same on every run.

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "games/Links.h"
#include "gui/MainWindow.h"
#include "gui/ProfilesDialog.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"
#include "sim/VirtualWheel.h"

namespace {

// Three profiles in a home of its own, so the dialog shows "~/.config/...".
bool SaveProfiles(const torvex::board::ProfileStore& store, torvex::board::Settings s) {
  using torvex::board::Profile;
  const QDateTime when(QDate(2026, 3, 14), QTime(18, 42, 7));
  QString problem;
  const Profile backup{s, {"TVX-24A-0342", "Torvex Wheel", when}};
  s.clutchBite = 30000, s.xCurveNumber = 7, s.ledIntensity = 200;
  const bool gt3 = store.save("gt3-spa", {s, {"TVX-24A-0342", "Torvex Wheel", when}}).isEmpty();
  s.analogInputMode = 0, s.clutchBite = 42000, s.yCurveType = 0, s.ledIntensity = 64;
  const bool rally = store.save("rally-wet", {s, {"TVX-24A-0342", "Torvex Wheel", when}}).isEmpty();
  return gt3 && rally && !store.saveBackup(backup, when.addDays(-2), &problem).isEmpty();
}

// The dialog drawn over the window below its device details, under a plain
// title bar: offscreen windows have no frame of their own.
QImage Over(QImage window, const QImage& dialog, const QString& title) {
  QPainter p(&window);
  const int bar = 22;
  // Below the device details where it fits, else as low as it does.
  const int top = std::clamp(window.height() - dialog.height() - 8, bar, 150 + bar);
  const QRect r((window.width() - dialog.width()) / 2, top, dialog.width(), dialog.height());
  const QRect titleBar(r.left(), r.top() - bar, r.width(), bar);
  p.fillRect(titleBar, QColor(58, 64, 74));
  p.setPen(Qt::white);
  p.drawText(titleBar.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
  p.drawImage(r.topLeft(), dialog);
  p.setPen(QColor(58, 64, 74));
  p.drawRect(r.united(titleBar).adjusted(-1, -1, 0, 0));
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
  // No agent of the user's shows in the pictures.
  qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
  QApplication app(argc, argv);
  if (argc < 2 || argc > 5) return 2;
  torvex::sim::VirtualPlatform platform;
  torvex::sim::AddDemoBoards(platform);
  torvex::gui::MainWindow form(platform, QLocale(QLocale::English, QLocale::UnitedStates));
  form.start();
  const auto tick = [&] {
    platform.advanceUs(std::int64_t{form.pollTimer()->interval()} * 1000);
    form.onPollTick();
  };
  tick();
  tick();
  // The last board in the list is selected: throttle and brake, S-curve on X.
  const int board = platform.deviceCount() - 1;
  torvex::sim::BoardFirmware& fw = platform.firmware(board);
  fw.setButton(2, true);
  fw.setButton(11, true);
  fw.setButton(29, true);
  // The demo as it opens, the paddle where the wheel will show it.
  fw.setPaddle(0, 47000);
  tick();
  app.processEvents();
  const QImage opened = form.grab().toImage();
  fw.setPaddle(0, 0);
  form.controls().showCurveButtons[0]->click();
  tick();
  // A quick pull: the paddle crosses its travel in one second while the board
  // reports every millisecond and the window polls every 50 ms.
  platform.device(board).reportPeriodUs = 1000;
  for (int ms = 1; ms <= 1000; ++ms) {
    fw.setPaddle(0, static_cast<std::uint16_t>(65535LL * ms / 1000));
    platform.advanceUs(1000);
    if (ms % form.pollTimer()->interval() == 0) form.onPollTick();
  }
  fw.setPaddle(0, 47000);
  tick();
  app.processEvents();
  if (!form.grab().save(QString::fromLocal8Bit(argv[1]))) return 1;
  if (argc >= 3) {
    torvex::sim::VirtualWheel wheel(platform);
    wheel.show();
    app.processEvents();
    const QImage hands = wheel.grab().toImage();
    QImage demo(opened.width() + hands.width(), std::max(opened.height(), hands.height()),
                QImage::Format_RGB32);
    demo.fill(Qt::black);
    QPainter p(&demo);
    p.drawImage(0, 0, opened);
    p.drawImage(opened.width(), 0, hands);
    p.end();
    if (!demo.save(QString::fromLocal8Bit(argv[2]))) return 1;
  }
  if (argc >= 4) {
    form.controls().showCurveButtons[0]->click();
    const torvex::board::ProfileStore store;
    form.setProfileStore(store);
    if (!SaveProfiles(store, form.readBackBoard().settings)) return 1;
    torvex::gui::ProfilesDialog dialog(form, store, &form);
    dialog.select("rally-wet");
    if (!dialog.apply("rally-wet")) return 1;
    dialog.show();
    tick();
    app.processEvents();
    if (!Over(form.grab().toImage(), dialog.grab().toImage(), dialog.windowTitle())
             .save(QString::fromLocal8Bit(argv[3])))
      return 1;
  }
  if (argc == 5) {
    using torvex::games::MatchRule;
    const torvex::board::ProfileStore store;
    const torvex::games::Links links{{{"gt3-spa", MatchRule::WindowsExe, "AC2-Win64-Shipping.exe"},
                                      {"gt3-spa", MatchRule::SteamAppId, "805550"}},
                                     "rally-wet"};
    if (!torvex::games::WriteLinksFile(torvex::games::LinksPath(store.directory()), links)
             .isEmpty())
      return 1;
    torvex::gui::ProfilesDialog dialog(form, store, &form);
    dialog.select("gt3-spa");
    dialog.show();
    tick();
    app.processEvents();
    if (!Over(form.grab().toImage(), dialog.grab().toImage(), dialog.windowTitle())
             .save(QString::fromLocal8Bit(argv[4])))
      return 1;
  }
  return 0;
}
