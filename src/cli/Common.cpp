// SPDX-License-Identifier: MIT
// Choosing the board a command works on, asking, and what every command prints alike.
#include <QJsonDocument>

#include "board/Identity.h"
#include "cli/Commands.h"

namespace torvex::cli {

QString AccessHint(hid::OpenError why) {
  const QString reason = why == hid::OpenError::Busy ? QStringLiteral("another program holds it")
                                                     : QStringLiteral("no permission to open it");
  return QStringLiteral(
             "A board is present but cannot be opened (%1).\n"
             "Install the udev rule, as root, from the source tree:\n"
             "  sudo cmake --install build/default\n"
             "or install the torvex-config package; then reload the rules:\n"
             "  sudo udevadm control --reload-rules && sudo udevadm trigger "
             "--subsystem-match=hidraw\n")
      .arg(reason);
}

QString VersionText(std::uint16_t versionNumber) {
  return board::VersionLabel(versionNumber).trimmed();
}

void PrintJson(QTextStream& out, const QJsonObject& o, bool indented) {
  out << QJsonDocument(o).toJson(indented ? QJsonDocument::Indented : QJsonDocument::Compact);
  if (!indented) out << '\n';
  out.flush();
}

QString Printable(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x20 || (u >= 0x7F && u < 0xA0))
      out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    else
      out += ch;
  }
  return out;
}

int Fail(Context& c, int code, const QString& message) {
  QStringList lines = message.split(u'\n');
  for (QString& line : lines) line = Printable(line);
  const QString text = lines.join(u'\n');
  c.io.err << "torvex-ctl: " << text << (text.endsWith('\n') ? "" : "\n");
  c.io.err.flush();
  return code;
}

int OpenBoard(Context& c, board::Board& b, board::ReadBackResult* read) {
  const board::ScanResult found = b.scan();
  const bool someLocked = found.lastOpenError != hid::OpenError::None;
  QString serial = c.boardSerial;
  if (serial.isEmpty()) {
    if (found.serials.size() > 1) {
      QString list;
      for (const QString& s : found.serials) list += "  " + s + "\n";
      return Fail(c, kUsage, "several boards are attached; pick one with --board SERIAL:\n" + list);
    }
    if (found.serials.empty()) {
      if (someLocked) return Fail(c, kNotAccessible, AccessHint(found.lastOpenError));
      return Fail(c, kNoBoard, QStringLiteral("no board found"));
    }
    serial = found.serials.front();
  } else if (std::find(found.serials.begin(), found.serials.end(), serial) == found.serials.end()) {
    if (someLocked)
      return Fail(
          c, kNotAccessible,
          "no board " + serial + " among those that open.\n" + AccessHint(found.lastOpenError));
    return Fail(c, kNoBoard, "no board with serial number " + serial);
  }
  if (!b.open(serial)) return Fail(c, kNotAccessible, AccessHint(b.lastOpenError()));
  c.boardSerial = serial;
  b.setLockWaitNotice([&c](board::LockWait wait, const QString& serial) {
    if (wait != board::LockWait::Waiting) return;
    c.io.err << "torvex-ctl: waiting for another program that is writing to board "
             << Printable(serial) << "...\n";
    c.io.err.flush();
  });
  const board::ReadBackResult r = b.readBack();
  if (b.lockedOut()) return FailLockedOut(c);
  if (!b.isLoaded() || !r.complete())
    return Fail(c, kNotTaken, "board " + serial + " did not answer the read-back");
  if (read) *read = r;
  return kDone;
}

int FailLockedOut(Context& c) {
  return Fail(c, kNotTaken,
              QStringLiteral("gave up after %1 s: another program kept writing to board %2; "
                             "nothing was sent")
                  .arg(board::Board::kLockGiveUpMs / 1000)
                  .arg(c.boardSerial));
}

}  // namespace torvex::cli

namespace torvex::cli {

std::optional<QString> Ask(Context& c, const QString& prompt) {
  c.io.err << prompt;
  c.io.err.flush();
  if (!c.io.in || c.io.in->atEnd()) return std::nullopt;
  QString line;
  if (!c.io.in->readLineInto(&line)) return std::nullopt;
  return line.trimmed();
}

}  // namespace torvex::cli
