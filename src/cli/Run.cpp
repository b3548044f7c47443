// SPDX-License-Identifier: MIT
// The command word, the options every command takes, and help.
#include "cli/Cli.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

QList<QCommandLineOption> None() {
  return {};
}
QList<QCommandLineOption> ShowOptions() {
  return {{"json", "Print JSON: each setting's value (what set takes), text and stored value."},
          {"raw", "Add the values as the board stores them."}};
}
QList<QCommandLineOption> SetOptions() {
  return {{"dry-run", "Print the frames that would be sent, in hex; send nothing."}};
}
QList<QCommandLineOption> CalibrateOptions() {
  return {{"yes", "Start without asking to begin; the paddle is still waited for."}};
}
QList<QCommandLineOption> SaveOptions() {
  return {{"force", "Replace a profile or file that exists."}};
}
QList<QCommandLineOption> ApplyOptions() {
  return {{"dry-run", "Print the settings that would change; send nothing."}};
}
QList<QCommandLineOption> ResetOptions() {
  return {{"yes", "Do not ask or wait."},
          {"no-backup", "Do not save a backup profile of the board first."}};
}
QList<QCommandLineOption> MonitorOptions() {
  return {{"json", "Print one JSON object per change."}, {"seconds", "Stop after N seconds.", "N"}};
}

const QCommandLineOption kBoard("board", "The board to use.", "SERIAL");
const QCommandLineOption kDemo("demo", "Use the emulated demo boards.");
const QCommandLineOption kHelp({"h", "help"}, "Show help.");
const QCommandLineOption kVersion("version", "Show the version.");

QString GeneralHelp() {
  QString text = QStringLiteral(
      "Usage: torvex-ctl [--board SERIAL] [--demo] COMMAND [OPTIONS]\n"
      "Configures Torvex steering-wheel boards.\n\nCommands:\n");
  for (const Command& cmd : Commands())
    if (!cmd.hidden)
      text += QStringLiteral("  %1 %2\n      %3\n").arg(cmd.name, cmd.synopsis, cmd.summary);
  text += QStringLiteral(
      "\nOptions:\n"
      "  --board SERIAL  the board to use; needed when several are attached\n"
      "  --demo          two emulated boards instead of real ones (pick one with --board)\n"
      "  --help          this text; COMMAND --help for a command\n"
      "  --version       the version\n\n"
      "Exit codes:\n"
      "  0   done\n"
      "  1   diff: the board and the profile differ\n"
      "  2   no board, or none with the serial number given\n"
      "  3   a board is present but cannot be opened\n"
      "  4   the board did not take a change, was lost on the way, or another\n"
      "      program kept writing to it for 30 s\n"
      "  64  usage: bad arguments, or several boards and no --board\n"
      "  65  a file that cannot be read as a profile\n"
      "  73  a file or folder that cannot be written\n");
  return text;
}

QString CommandHelp(const Command& cmd) {
  QString text =
      QStringLiteral("Usage: torvex-ctl %1 %2\n%3\n").arg(cmd.name, cmd.synopsis, cmd.summary);
  if (cmd.details) text += "\n" + cmd.details();
  return text;
}

// The first word that is neither an option nor the value of --board.
qsizetype CommandIndex(const QStringList& args) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--board")) {
      ++i;
      continue;
    }
    if (!args[i].startsWith(u'-')) return i;
  }
  return -1;
}

}  // namespace

QList<QCommandLineOption> GlobalOptions() {
  return {kBoard, kDemo, kHelp, kVersion};
}

const QList<Command>& Commands() {
  static const QList<Command> commands = {
      {"list", "", "Every board with its identity, and whether it can be opened.", None, RunList,
       nullptr},
      {"show", "[--json] [--raw]", "The board's identity and every stored setting.", ShowOptions,
       RunShow, nullptr},
      {"set", "NAME=VALUE... [--dry-run]",
       "Changes settings, paced as the board needs, then reads them back.", SetOptions, RunSet,
       SetDetails},
      {"reset", "[--yes] [--no-backup]",
       "Saves a backup profile of the board, then restores its factory settings.", ResetOptions,
       RunReset, nullptr},
      {"monitor", "[--json] [--seconds N]",
       "Pressed buttons (1..64) and both axes live, until Ctrl-C.", MonitorOptions, RunMonitor,
       nullptr},
      {"calibrate", "x|y [--yes]",
       "Calibrates a paddle axis, each end once the paddle rests there. X only in "
       "throttle-and-brake mode.",
       CalibrateOptions, RunCalibrate, CalibrateDetails},
      {"profiles", "", "Every saved profile, with where and when it was saved.", None, RunProfiles,
       nullptr},
      {"save", "NAME|FILE [--force]", "Saves the board's settings as a profile.", SaveOptions,
       RunSave, ProfileDetails},
      {"apply", "NAME|FILE [--dry-run]",
       "Makes the board hold a profile: sends what differs, paced, then reads it back.",
       ApplyOptions, RunApply, ProfileDetails},
      {"diff", "NAME|FILE", "The board against a profile, setting by setting (* differs).", None,
       RunDiff, ProfileDetails},
      {"run", "PROFILE -- COMMAND [ARGS...]",
       "Runs a game with the board holding a profile; puts back what it held when it ends.", None,
       RunWrapped, WrappedDetails},
      {"link", "PROFILE --steam ID | --exe NAME",
       "Links a profile to a game, for the agent to apply while the game runs.", LinkOptions,
       RunLink, nullptr},
      {"unlink", "PROFILE [--steam ID | --exe NAME]",
       "Removes a profile's links (all of them without --steam or --exe).", LinkOptions, RunUnlink,
       nullptr},
      {"links", "[--json]", "Every link of a profile to a game, and the default profile.",
       LinksOptions, RunLinks, nullptr},
      {"default", "PROFILE | --none", "The profile the agent applies when no linked game runs.",
       DefaultOptions, RunDefault, nullptr},
      {"agent", "", "Applies linked profiles while their games run, until stopped.", AgentOptions,
       RunAgent, nullptr},
      {"status", "[--json]", "Whether the agent runs, the game it matched and what it applied.",
       StatusOptions, RunStatus, nullptr},
      {"udev-rule", "", "Prints the udev rule that gives the user at the seat the board.", None,
       RunUdevRule, nullptr},
      {"completion", "bash|zsh|fish", "Prints the shell's completion script.", None, RunCompletion,
       nullptr, true},
  };
  return commands;
}

int Run(const QStringList& args, hid::HidPlatform& platform, Io& io) {
  const qsizetype at = CommandIndex(args);
  const QString name = at >= 0 ? args[at] : QString();
  const Command* command = nullptr;
  for (const Command& cmd : Commands())
    if (name == QLatin1String(cmd.name)) command = &cmd;

  QCommandLineParser parser;
  parser.addOptions(GlobalOptions());
  if (command) parser.addOptions(command->options());
  if (!parser.parse(QStringList{"torvex-ctl"} + args)) {
    io.err << "torvex-ctl: " << parser.errorText() << "\nTry 'torvex-ctl --help'.\n";
    return kUsage;
  }
  if (parser.isSet(kVersion)) {
    io.out << "torvex-ctl " << TORVEX_VERSION << '\n';
    return kDone;
  }
  if (parser.isSet(kHelp)) {
    io.out << (command ? CommandHelp(*command) : GeneralHelp());
    return kDone;
  }
  if (!command) {
    if (!name.isEmpty()) io.err << "torvex-ctl: unknown command '" << name << "'\n\n";
    io.err << GeneralHelp();
    return kUsage;
  }
  QStringList operands = parser.positionalArguments();
  operands.removeFirst();
  Context c{platform, io, parser, operands, parser.value(kBoard)};
  const int code = command->run(c);
  if (c.changedBoard && io.boardChanged) io.boardChanged(c.boardSerial);
  io.out.flush();
  io.err.flush();
  return code;
}

}  // namespace torvex::cli
