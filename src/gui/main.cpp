// torvex-config: the configuration tool for real boards, reached through hidapi.
#include <QApplication>

#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  torvex::hid::HidapiPlatform platform;
  torvex::gui::MainWindow window(platform);
  window.start();
  return app.exec();
}
