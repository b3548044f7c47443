// torvex-config: the configuration tool for real boards, reached through hidapi.
#include <QApplication>

#include "app/frmMain.h"
#include "hid/HidapiPlatform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  torvex::hid::HidapiPlatform platform;
  frmMain window(platform);
  window.Form_Load();
  return app.exec();
}
