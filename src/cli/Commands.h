// SPDX-License-Identifier: MIT
#pragma once
// What every subcommand shares: its context, choosing and reading the board.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "board/Board.h"
#include "board/Profile.h"
#include "board/SettingWrites.h"
#include "cli/Cli.h"

namespace torvex::cli {

struct Context {
  hid::HidPlatform& platform;
  Io& io;
  const QCommandLineParser& parser;
  QStringList operands;       // positional arguments after the command name
  QString boardSerial;        // --board; the open board's once OpenBoard() chose it
  bool changedBoard = false;  // a change went out to the board
};

struct Command {
  const char* name;
  const char* synopsis;  // after "torvex-ctl NAME"
  const char* summary;
  QList<QCommandLineOption> (*options)();
  int (*run)(Context&);
  QString (*details)();  // more help text, may be null
  bool hidden = false;   // left out of the general help and of completion
};
const QList<Command>& Commands();
// --board, --demo, --help, --version: taken before or after any command.
QList<QCommandLineOption> GlobalOptions();

int RunList(Context& c);
int RunShow(Context& c);
int RunSet(Context& c);
QString SetDetails();
int RunReset(Context& c);
int RunMonitor(Context& c);
int RunCalibrate(Context& c);
QString CalibrateDetails();
int RunUdevRule(Context& c);
int RunCompletion(Context& c);
int RunProfiles(Context& c);
int RunSave(Context& c);
int RunApply(Context& c);
int RunDiff(Context& c);
QString ProfileDetails();
int RunWrapped(Context& c);
int RunAgent(Context& c);
QList<QCommandLineOption> AgentOptions();
int RunStatus(Context& c);
QList<QCommandLineOption> StatusOptions();
int RunLink(Context& c);
int RunUnlink(Context& c);
QList<QCommandLineOption> LinkOptions();
int RunLinks(Context& c);
QList<QCommandLineOption> LinksOptions();
int RunDefault(Context& c);
QList<QCommandLineOption> DefaultOptions();
QString WrappedDetails();

// Opens the board --board names (or the only one) and reads it back; sets
// c.boardSerial to the board's. A wait for another program's writes is told
// on err after a second. Returns
// kDone, or the exit code after saying on err what went wrong.
int OpenBoard(Context& c, board::Board& board, board::ReadBackResult* read);

// The profile NAME or FILE names, read and checked; nothing after saying why
// (exit kBadProfile).
std::optional<board::Profile> ReadProfile(Context& c, const QString& nameOrFile);

// kNotTaken, after saying that another program kept writing to the board.
int FailLockedOut(Context& c);

// Says how sending a plan went; kDone when every setting arrived.
int ReportOutcome(Context& c, const board::ApplyOutcome& outcome);
// "clutch-bite, led", or "none".
QString Names(const std::vector<board::SettingId>& ids);

// What fixes a board that is present but cannot be opened.
QString AccessHint(hid::OpenError why);

QString VersionText(std::uint16_t versionNumber);
// The "format" every JSON output carries: raised when a field changes meaning.
inline constexpr int kJsonFormat = 1;
void PrintJson(QTextStream& out, const QJsonObject& o, bool indented);
// Writes the prompt on err and reads one line; nothing at the end of input.
std::optional<QString> Ask(Context& c, const QString& prompt);

// "torvex-ctl: message" on err, control characters escaped but line ends.
int Fail(Context& c, int code, const QString& message);
// Text from a board or a file as it may be printed on a terminal: control
// characters (an escape sequence could retitle or clear it) as \xNN.
QString Printable(const QString& text);

}  // namespace torvex::cli
