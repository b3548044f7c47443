// SPDX-License-Identifier: MIT
// torvex-config-demo: the same window over two emulated boards in real time,
// with a "Virtual wheel" window to play the user's hands.
#include <QApplication>

#include "gui/MainWindow.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"
#include "sim/VirtualWheel.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  torvex::sim::VirtualPlatform platform(std::make_unique<torvex::sim::WallClock>());
  torvex::sim::AddDemoBoards(platform);
  torvex::sim::VirtualWheel wheel(platform);
  // Closing the main window ends the demo; the wheel alone is no tool.
  wheel.setAttribute(Qt::WA_QuitOnClose, false);
  torvex::gui::MainWindow window(platform);
  window.start();
  wheel.move(window.frameGeometry().topRight() + QPoint(16, 0));
  wheel.show();
  return app.exec();
}
