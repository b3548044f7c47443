// SPDX-License-Identifier: MIT
#include "notify/Channel.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

namespace torvex::notify {

QString ChannelPath() {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return dir.isEmpty() ? QString() : dir + QStringLiteral("/torvex-config.socket");
}

QByteArray RaiseNotice() {
  return QByteArrayLiteral("raise\n");
}

QByteArray BoardChangedNotice(const QString& serial) {
  const QByteArray line = QByteArrayLiteral("changed ") + serial.toUtf8() + '\n';
  // A serial the line cannot carry still tells the window that some board changed.
  const bool carried = !serial.isEmpty() && line.size() <= kMaxLineBytes &&
                       std::all_of(serial.begin(), serial.end(),
                                   [](QChar ch) { return ch.isPrint() && !ch.isSpace(); });
  return carried ? line : QByteArrayLiteral("changed\n");
}

bool Send(const QByteArray& notice, int timeoutMs, const QString& path) {
  if (path.isEmpty()) return false;
  QLocalSocket socket;
  QEventLoop loop;
  QByteArray answer;
  QObject::connect(&socket, &QLocalSocket::connected, &loop, [&] { socket.write(notice); });
  QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
    answer += socket.read(8);
    if (answer.contains('\n') || answer.size() >= 8) loop.quit();
  });
  QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  socket.connectToServer(path);
  // A missing or dead socket fails inside connectToServer, before the loop could see it.
  if (socket.state() == QLocalSocket::UnconnectedState) return false;
  // Its own loop rather than the blocking waits: the window may live in this thread.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  answer += socket.read(8);
  return answer.startsWith("ok\n");
}

}  // namespace torvex::notify
