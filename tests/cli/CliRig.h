// SPDX-License-Identifier: MIT
#pragma once
// torvex-ctl run in-process on emulated boards, output captured.

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>

#include "cli/Cli.h"
#include "support/FaultPlatform.h"
#include "support/Wire.h"

namespace torvex::test {

// What a board holds before the command: setting code, value.
using Holds = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

struct CliRig {
  QTemporaryDir home;          // $XDG_CONFIG_HOME: profiles and backups
  sim::VirtualPlatform board;  // virtual clock
  FaultPlatform platform{board};
  QString out, err, in, told;  // told: the serials the window would be told of
  bool terminal = false;
  volatile std::sig_atomic_t stop = 0;

  explicit CliRig(int boards = 1, const Holds& holds = {}) {
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    for (int i = 0; i < boards; ++i)
      board.addBoard({.serialNumber = u"TVX" + std::u16string(1, char16_t(u'A' + i))});
    for (auto [at, value] : holds) board.firmware(0).setSetting(at, value);
  }
  int run(const QString& line) {
    QTextStream o(&out), e(&err), i(&in);
    cli::Io io{o, e, &i, terminal, terminal, &stop, [this](const QString& s) { told += s; }};
    return cli::Run(line.split(u' ', Qt::SkipEmptyParts), platform, io);
  }
  std::string sent() const { return Sent(board, 0, true); }
  QString file(const QString& name) const { return home.path() + "/" + name; }
  void write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  }
};

}  // namespace torvex::test
