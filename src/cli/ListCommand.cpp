// SPDX-License-Identifier: MIT
// torvex-ctl list: every board, and whether it can be opened.
#include "board/BoardList.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

QString Reason(hid::OpenError e) {
  switch (e) {
    case hid::OpenError::AccessDenied:
      return QStringLiteral("not accessible: permission denied");
    case hid::OpenError::Busy:
      return QStringLiteral("not accessible: held by another program");
    default:
      return QStringLiteral("not accessible");
  }
}

}  // namespace

int RunList(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "list takes no operands");
  const auto boards = board::ListBoards(c.platform);
  if (boards.empty()) return Fail(c, kNoBoard, QStringLiteral("no board found"));

  QList<QStringList> rows{{"SERIAL", "MANUFACTURER", "PRODUCT", "VERSION", "ACCESS"}};
  hid::OpenError lastError = hid::OpenError::None;
  for (const auto& b : boards) {
    const QString dash = QStringLiteral("-");
    if (!b.accessible) lastError = b.openError;
    rows.append({b.accessible ? Printable(b.serial) : dash,
                 Printable(b.manufacturer.value_or(dash)), Printable(b.product.value_or(dash)),
                 b.accessible ? VersionText(b.versionNumber) : dash,
                 b.accessible ? QStringLiteral("ok") : Reason(b.openError)});
  }
  QList<qsizetype> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (qsizetype i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  for (const auto& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i)
      line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
    c.io.out << line << '\n';
  }
  c.io.out.flush();
  if (lastError != hid::OpenError::None) return Fail(c, kNotAccessible, AccessHint(lastError));
  return kDone;
}

}  // namespace torvex::cli
