// SPDX-License-Identifier: MIT
// Saves a picture of the window on the demo boards with the curve monitor
// open on X and the paddle pulled through in one second, and optionally of
// the virtual wheel:
//   torvex_screenshots <window.png> [wheel.png]
// Runs on the virtual clock, so the picture is the same on every run.

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "gui/MainWindow.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"
#include "sim/VirtualWheel.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2 || argc > 3) return 2;
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
  if (argc == 3) {
    torvex::sim::VirtualWheel wheel(platform);
    wheel.show();
    app.processEvents();
    if (!wheel.grab().save(QString::fromLocal8Bit(argv[2]))) return 1;
  }
  return 0;
}
