// SPDX-License-Identifier: MIT
// torvex-ctl reset: the board's factory settings, after asking and after a
// backup profile of what the board held.
#include <QDateTime>

#include "board/ProfileStore.h"
#include "cli/Commands.h"

namespace torvex::cli {

int RunReset(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "reset takes no operands");
  const bool yes = c.parser.isSet("yes");
  // A script must say --yes: an answer read from a pipe is not a person's.
  if (!yes && !c.io.inIsTerminal)
    return Fail(c, kUsage, "reset asks for confirmation on a terminal; pass --yes to skip it");
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  if (!yes) {
    const auto answer =
        Ask(c, "Restore the factory settings of board " + Printable(c.boardSerial) + "? [y/N] ");
    if (!answer || (answer->toLower() != "y" && answer->toLower() != "yes")) {
      c.io.err << "Nothing changed.\n";
      return kDone;
    }
  }
  if (!c.parser.isSet("no-backup")) {
    const board::ProfileStore store;
    QString problem;
    const QString name = store.saveBackup(
        {read.settings,
         {c.boardSerial, read.identity.product.value_or(QString()), QDateTime::currentDateTime()}},
        QDateTime::currentDateTime(), &problem);
    if (name.isEmpty())
      return Fail(c, kCannotWrite,
                  "no backup could be saved (" + problem +
                      "); nothing was sent. Pass --no-backup to reset without one.");
    c.io.err << "Saved the board's settings as profile " << name << " (" << store.pathOf(name)
             << ", read back and checked); 'torvex-ctl apply " << name << "' restores them.\n";
  }
  const int refusedBefore = b.refusedFrames();
  c.changedBoard = true;
  b.sendReset();
  if (b.lockedOut()) return FailLockedOut(c);
  if (!b.isLoaded() || b.refusedFrames() != refusedBefore)
    return Fail(c, kNotTaken, "board " + c.boardSerial + " did not take the reset");
  c.io.err << "Factory settings restored on board " << Printable(c.boardSerial) << ".\n";
  return kDone;
}

}  // namespace torvex::cli
