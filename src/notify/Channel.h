// SPDX-License-Identifier: MIT
#pragma once
// The channel between torvex-ctl and a running torvex-config: a local socket
// in the user's runtime directory that only the user can reach. It carries
// notices, never settings or commands: whatever a notice says, the window
// decides for itself what to do (bring itself forward, read its board back).
//
// One connection carries one line of at most kMaxLineBytes bytes, "\n" included:
//   raise\n            a second window was started: come to the front
//   changed\n          some board was changed
//   changed SERIAL\n   the board with this serial number was changed
// The window answers "ok\n" to a notice it took, then closes the connection.
// Anything else is closed without an answer.

#include <QByteArray>
#include <QString>

namespace torvex::notify {

inline constexpr int kMaxLineBytes = 256;
// How long a sender waits for the window's answer.
inline constexpr int kAnswerMs = 1000;

// $XDG_RUNTIME_DIR/torvex-config.socket; empty when there is no runtime directory.
QString ChannelPath();

QByteArray RaiseNotice();
// With an empty serial, or one a line cannot carry (spaces, control
// characters, too long): some board changed.
QByteArray BoardChangedNotice(const QString& serial);

// Sends one notice; true when a window answered that it took it. Never waits
// longer than timeoutMs; returns at once when no window listens.
bool Send(const QByteArray& notice, int timeoutMs = kAnswerMs, const QString& path = ChannelPath());

}  // namespace torvex::notify
