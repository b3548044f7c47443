#pragma once
// torvex-ctl run in-process on emulated boards, output captured.

#include <QString>
#include <QTextStream>

#include "cli/Cli.h"
#include "support/FaultPlatform.h"
#include "support/Wire.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace torvex::test {

struct CliRig {
  sim::VirtualPlatform board;  // virtual clock
  FaultPlatform platform{board};
  QString out, err, in;
  bool terminal = false;
  volatile std::sig_atomic_t stop = 0;

  explicit CliRig(int boards = 1) {
    for (int i = 0; i < boards; ++i) {
      sim::Identity id;
      id.serialNumber = u"TVX" + std::u16string(1, char16_t(u'A' + i));
      board.addBoard(id);
    }
  }
  int run(const QString& line) {
    QTextStream o(&out), e(&err), i(&in);
    cli::Io io{o, e, &i, terminal, terminal, &stop};
    return cli::Run(line.split(u' ', Qt::SkipEmptyParts), platform, io);
  }
  std::string sent(bool times = false) const { return Sent(board, 0, times); }
};

}  // namespace torvex::test
