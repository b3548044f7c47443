// SPDX-License-Identifier: MIT
#include "notify/AgentState.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace torvex::notify {
namespace {

QString StatusPath() {
  return RuntimeFile(QStringLiteral("agent.json"));
}

}  // namespace

QString RuntimeFile(const QString& name) {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (base.isEmpty() || !QDir().mkpath(base + "/torvex-config")) return {};
  return base + "/torvex-config/" + name;
}

int TakeAgentLock() {
  const QString path = RuntimeFile(QStringLiteral("agent.lock"));
  if (path.isEmpty()) return -1;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

bool AgentRuns() {
  if (RuntimeFile(QStringLiteral("agent.lock")).isEmpty()) return false;
  const int fd = TakeAgentLock();
  if (fd < 0) return true;
  ::close(fd);
  return false;
}

QJsonObject ReadAgentStatus() {
  if (!AgentRuns()) return {};
  QFile f(StatusPath());
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(f.readAll()).object();
}

void WriteAgentStatus(const QJsonObject& status) {
  QSaveFile f(StatusPath());
  if (f.open(QIODevice::WriteOnly)) {
    f.write(QJsonDocument(status).toJson());
    f.commit();
  }
}

void RemoveAgentStatus() {
  QFile::remove(StatusPath());
}

}  // namespace torvex::notify
