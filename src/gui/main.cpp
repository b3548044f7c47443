// SPDX-License-Identifier: MIT
// torvex-config: the configuration tool for real boards, reached through hidapi.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"
#include "notify/NoticeServer.h"

namespace {

// Whoever started this one sees why no second window opened.
int SayRaised() {
  std::fputs("torvex-config is already running; its window was brought to the front.\n", stderr);
  return 0;
}

}  // namespace

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
  // One window per user: a second start brings the running one forward
  // instead of opening the board twice.
  namespace notify = torvex::notify;
  if (notify::Send(notify::RaiseNotice())) return SayRaised();
  notify::NoticeServer notices;
  // Lost a race with a window starting at the same moment: that one answers now.
  if (!notices.claim() && notify::Send(notify::RaiseNotice())) return SayRaised();
  torvex::hid::HidapiPlatform platform;
  torvex::gui::MainWindow window(platform);
  window.followNotices(notices);
  window.start();
  return app.exec();
}
