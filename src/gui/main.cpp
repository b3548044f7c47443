// torvex-config: the configuration tool for real boards, reached through hidapi.
#include <QApplication>
#include <QCommandLineParser>

#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("torvex-config"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TORVEX_VERSION));
  {
    // --help and --version must work without a display, which QApplication
    // needs; other options are left to it (-platform, -style, ...).
    QCoreApplication cli(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configure and test Torvex wheel boards."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.parse(cli.arguments());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp();
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
  }
  QApplication app(argc, argv);
  torvex::hid::HidapiPlatform platform;
  torvex::gui::MainWindow window(platform);
  window.start();
  return app.exec();
}
