// SPDX-License-Identifier: MIT
// The process around Run(): Qt, the platform, signals, standard streams.
#include <unistd.h>
#include <QCoreApplication>
#include <memory>

#include "cli/Cli.h"
#include "hid/HidapiPlatform.h"
#include "notify/Channel.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"

namespace torvex::cli {
namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) {
  gStop = 1;
}

}  // namespace

int Main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("torvex-ctl");
  QCoreApplication::setApplicationVersion(TORVEX_VERSION);
  const QStringList args = app.arguments().mid(1);
  // What follows "--" is a game's command line (torvex-ctl run), not ours.
  const QStringList ours = args.mid(0, args.indexOf("--") >= 0 ? args.indexOf("--") : args.size());

  std::unique_ptr<hid::HidPlatform> platform;
  if (ours.contains("--demo")) {
    auto demo = std::make_unique<sim::VirtualPlatform>(std::make_unique<sim::WallClock>());
    sim::AddDemoBoards(*demo);
    platform = std::move(demo);
  } else {
    platform = std::make_unique<hid::HidapiPlatform>();
  }

  // A stopped monitor ends its loop and returns normally.
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);

  QTextStream out(stdout);
  QTextStream err(stderr);
  QTextStream in(stdin);
  Io io{out, err, &in, isatty(STDIN_FILENO) == 1, isatty(STDOUT_FILENO) == 1, &gStop};
  // A running window shows real boards only; whether it listens does not matter here.
  if (!ours.contains("--demo"))
    io.boardChanged = [](const QString& serial) {
      notify::Send(notify::BoardChangedNotice(serial));
    };
  return Run(args, *platform, io);
}

}  // namespace torvex::cli
