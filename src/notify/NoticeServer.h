// SPDX-License-Identifier: MIT
#pragma once
// The window's end of the channel (see Channel.h). Hostile clients cost it
// little: a line is capped, connections at once are capped, a connection
// without a complete line is dropped after kLineTimeoutMs, and a line it does
// not know is ignored.

#include <QObject>
#include <QString>

#include "notify/Channel.h"

class QLocalServer;
class QLocalSocket;

namespace torvex::notify {

class NoticeServer : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxConnections = 8;
  static constexpr int kLineTimeoutMs = 1000;

  explicit NoticeServer(QObject* parent = nullptr);

  // Listens at path unless a live window already does; a socket file left by
  // a crashed window is replaced. Two windows claiming at once: one wins.
  bool claim(const QString& path = ChannelPath());
  bool isListening() const;
  int connectionCount() const { return connections_; }

 signals:
  void raiseAsked();
  // An empty serial: some board changed.
  void boardChanged(const QString& serial);

 private:
  void acceptPending();
  // Answers a notice, then signals it; drops anything else.
  void readLine(QLocalSocket* socket);

  QLocalServer* server_;
  int connections_ = 0;
};

}  // namespace torvex::notify
