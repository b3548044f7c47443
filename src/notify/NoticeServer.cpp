// SPDX-License-Identifier: MIT
#include "notify/NoticeServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStringDecoder>
#include <QTimer>

namespace torvex::notify {
namespace {

// How long a claim waits for another window's claim to finish.
constexpr int kClaimLockMs = 2000;
constexpr int kProbeMs = 200;

void Drop(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

// Printable UTF-8 without spaces or control characters; empty otherwise.
QString SerialFrom(QByteArrayView bytes) {
  QStringDecoder decode(QStringDecoder::Utf8);
  const QString serial = decode(bytes);
  if (decode.hasError()) return {};
  for (QChar ch : serial)
    if (!ch.isPrint() || ch.isSpace()) return {};
  return serial;
}

}  // namespace

NoticeServer::NoticeServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &NoticeServer::acceptPending);
}

bool NoticeServer::isListening() const {
  return server_->isListening();
}

bool NoticeServer::claim(const QString& path) {
  if (path.isEmpty()) return false;
  // Probe, remove and listen as one step, or two windows could each remove
  // the other's fresh socket and both believe they own the channel.
  QLockFile lock(path + QStringLiteral(".lock"));
  if (!lock.tryLock(kClaimLockMs)) return false;
  QLocalSocket probe;
  probe.connectToServer(path);
  if (probe.waitForConnected(kProbeMs)) return false;
  // Only a refused or missing socket is stale; a busy owner is still an owner.
  if (probe.error() != QLocalSocket::ConnectionRefusedError &&
      probe.error() != QLocalSocket::ServerNotFoundError)
    return false;
  QLocalServer::removeServer(path);
  return server_->listen(path);
}

void NoticeServer::acceptPending() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (connections_ >= kMaxConnections) {
      Drop(socket);
      continue;
    }
    ++connections_;
    connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Qt buffers no more than a line can hold.
    socket->setReadBufferSize(kMaxLineBytes);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readLine(socket); });
    QTimer::singleShot(kLineTimeoutMs, socket, [socket] { Drop(socket); });
    readLine(socket);
  }
}

void NoticeServer::readLine(QLocalSocket* socket) {
  if (socket->state() != QLocalSocket::ConnectedState) return;
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() >= kMaxLineBytes) Drop(socket);
    return;
  }
  QByteArray line = socket->readLine(kMaxLineBytes + 1);
  if (!line.endsWith('\n')) return Drop(socket);
  line.chop(1);
  // One line per connection: it is answered or refused, and the rest is not read.
  disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
  if (line == "raise") {
    socket->write("ok\n");
    socket->disconnectFromServer();
    emit raiseAsked();
  } else if (line == "changed" || line.startsWith("changed ")) {
    const QString serial = SerialFrom(line.mid(8));
    if (line.size() > 7 && serial.isEmpty()) return Drop(socket);
    socket->write("ok\n");
    socket->disconnectFromServer();
    emit boardChanged(serial);
  } else {
    Drop(socket);
  }
}

}  // namespace torvex::notify
