// SPDX-License-Identifier: MIT
#pragma once
// torvex-ctl: the command line over the board core. Run() is the whole tool
// minus the process: tests call it with emulated boards and string streams.

#include <QStringList>
#include <QTextStream>
#include <csignal>
#include <functional>

#include "hid/HidPlatform.h"

namespace torvex::cli {

// One meaning each; --help, the man page and the README list them.
enum ExitCode : int {
  kDone = 0,
  kDiffers = 1,        // diff: the board and the profile differ
  kNoBoard = 2,        // none attached, or none with the serial asked for
  kNotAccessible = 3,  // present, but it cannot be opened
  kNotTaken = 4,       // the board did not take a change, was lost mid-way, or stayed busy
  kUsage = 64,         // bad arguments; several boards and no --board
  kBadProfile = 65,    // a file that cannot be read as a profile
  kCannotWrite = 73,   // a file or folder that cannot be written
};

struct Io {
  QTextStream& out;           // data
  QTextStream& err;           // messages and prompts
  QTextStream* in = nullptr;  // answers to prompts; none: nothing can be asked
  bool inIsTerminal = false;
  bool outIsTerminal = false;
  // Set from a SIGINT/SIGTERM handler; commands that run until stopped poll it.
  const volatile std::sig_atomic_t* stop = nullptr;
  // Told the board's serial after a command sent it a change, even one that
  // only partly reached it; none: nobody is told.
  std::function<void(const QString& serial)> boardChanged = nullptr;
};

// args without the program name, e.g. {"set", "led=50"}.
int Run(const QStringList& args, hid::HidPlatform& platform, Io& io);

// The process: Qt, the platform (real boards, or the demo's with --demo),
// signals and the standard streams.
int Main(int argc, char** argv);

}  // namespace torvex::cli
