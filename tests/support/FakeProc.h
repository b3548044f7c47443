// SPDX-License-Identifier: MIT
#pragma once
// Fake /proc trees: the files the process scanner reads, written for each
// process, so scanner, matcher and agent run on processes that never ran.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace torvex::test {

constexpr unsigned kUser = 1000;

struct FakeProcess {
  int pid;
  QByteArray cmdline;  // NUL-separated, as the kernel keeps it
  QString exe;
  int parent = 1;
  QByteArray comm = "game";
  QByteArray cgroup = "0::/user.slice/user-1000.slice/session-2.scope\n";
  unsigned uid = kUser;
  const char* missing = "";  // a file the process took with it
  int threadOf = 0;          // a thread's: the process it belongs to
};

// A fake /proc, on tmpfs where there is one: a thousand processes are 8,000 files.
inline QString FakeRoot() {
  return (QFileInfo("/dev/shm").isDir() ? QString("/dev/shm") : QDir::tempPath()) +
         "/torvex-proc-XXXXXX";
}

inline void Write(const QString& root, const FakeProcess& p, std::uint64_t start = 4242) {
  const QString dir = root + "/" + QString::number(p.pid) + "/";
  QDir().mkpath(dir);
  const auto put = [&](const char* name, const QByteArray& bytes) {
    QFile f(dir + name);
    if (qstrcmp(name, p.missing) != 0 && f.open(QIODevice::WriteOnly)) f.write(bytes);
  };
  put("status", "Name:\tx\nTgid:\t" + QByteArray::number(p.threadOf ? p.threadOf : p.pid) +
                    "\nUid:\t" + QByteArray::number(p.uid) + "\t0\t0\t0\n");
  put("stat", QByteArray::number(p.pid) + " (" + p.comm + ") S " + QByteArray::number(p.parent) +
                  QByteArray(" 0").repeated(17) + " " + QByteArray::number(start) + " 0 0\n");
  put("cmdline", p.cmdline);
  put("comm", p.comm + "\n");
  put("cgroup", p.cgroup);
  if (!p.exe.isEmpty()) QFile::link(p.exe, dir + "exe");
}

}  // namespace torvex::test
