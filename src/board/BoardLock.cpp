// SPDX-License-Identifier: MIT
#include "board/BoardLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "board/LogCategories.h"

namespace torvex::board {
namespace {

// The folder, made if missing; false when it is not a folder of ours that
// only we can enter (a fallback under /tmp could be planted by anyone).
bool MakeFolder(const QByteArray& path) {
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

QString BoardLock::Folder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return runtime + QStringLiteral("/torvex-config");
  return QDir::tempPath() + QStringLiteral("/torvex-config-%1").arg(::getuid());
}

QString BoardLock::PathFor(const QString& serial) {
  QString name = serial;
  for (QChar& ch : name) {
    const char16_t u = ch.unicode();
    const bool kept = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                      u == '-' || u == '_';
    if (!kept) ch = u'_';
  }
  return Folder() + QStringLiteral("/board-") + name + QStringLiteral(".lock");
}

BoardLock::Take BoardLock::tryTake(const QString& serial) {
  if (held()) return Take::Held;
  const QByteArray folder = QFile::encodeName(Folder());
  const QByteArray path = QFile::encodeName(PathFor(serial));
  const int fd = MakeFolder(folder)
                     ? ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)
                     : -1;
  if (fd < 0) {
    qCWarning(lcSettings) << "cannot make the board lock" << path << ::strerror(errno);
    return Take::Unusable;
  }
  // The file is never removed: a holder and a newcomer must meet on one inode.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK || error == EINTR) return Take::Busy;
    qCWarning(lcSettings) << "cannot lock" << path << ::strerror(error);
    return Take::Unusable;
  }
  fd_ = fd;
  return Take::Held;
}

void BoardLock::release() {
  if (fd_ < 0) return;
  // Closing the only descriptor of the open file drops the lock.
  ::close(fd_);
  fd_ = -1;
}

}  // namespace torvex::board
