// SPDX-License-Identifier: MIT
#include "gui/AgentSwitch.h"

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "gui/AgentDesktopEntry.h"
#include "notify/AgentState.h"

namespace torvex::gui {
namespace {

constexpr int kCommandTimeoutMs = 5000;
const QString kService = QStringLiteral("torvex-agent.service");

}  // namespace

CommandRun RunCommand(const QString& program, const QStringList& arguments, bool detached) {
  if (detached) return {QProcess::startDetached(program, arguments) ? 0 : -1, {}};
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(kCommandTimeoutMs)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  if (p.exitStatus() != QProcess::NormalExit) return {};
  return {p.exitCode(), p.readAllStandardOutput() + p.readAllStandardError()};
}

QString AgentSwitch::AutostartPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         "/autostart/torvex-agent.desktop";
}

QByteArray AgentSwitch::AutostartEntry(const QString& ctl) {
  QByteArray out;
  for (const QByteArray& line : QByteArray(kAgentDesktopEntry).split('\n')) {
    // The packaged entry is switched off, and says so in a comment.
    if (line.startsWith('#') || line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
      continue;
    out += (line.startsWith("Exec=") ? "Exec=" + QFile::encodeName(ctl) + " agent" : line) + '\n';
  }
  return out.trimmed() + '\n';
}

QString AgentSwitch::CtlPath() {
  const QString beside = QCoreApplication::applicationDirPath() + "/torvex-ctl";
  if (QFileInfo(beside).isExecutable()) return beside;
  const QString found = QStandardPaths::findExecutable(QStringLiteral("torvex-ctl"));
  return found.isEmpty() ? QStringLiteral("torvex-ctl") : found;
}

bool AgentSwitch::systemdAnswers() const {
  // Any state but "offline" (or no answer) has a manager that takes units.
  const CommandRun r = run("systemctl", {"--user", "is-system-running"}, false);
  const QByteArray state = r.output.trimmed();
  return r.exitCode >= 0 && !state.isEmpty() && state != "offline" && !state.contains(' ');
}

QString AgentSwitch::systemctl(const QString& action) const {
  const CommandRun r = run("systemctl", {"--user", action, "--now", kService}, false);
  if (r.exitCode == 0) return {};
  return "systemctl --user " + action + " --now " + kService + " failed" +
         (r.output.trimmed().isEmpty() ? QString(".")
                                       : ": " + QString::fromLocal8Bit(r.output.trimmed()));
}

QString AgentSwitch::turnOn() const {
  if (systemdAnswers()) return systemctl("enable");
  const QString path = AutostartPath();
  const QString ctl = CtlPath();
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(AutostartEntry(ctl)) < 0 || !f.commit())
    return "cannot write " + QDir::toNativeSeparators(path) + ": " + f.errorString();
  if (notify::AgentRuns()) return {};
  if (run(ctl, {"agent"}, true).exitCode != 0) return "cannot start " + ctl + " agent.";
  return {};
}

QString AgentSwitch::turnOff() const {
  if (systemdAnswers()) return systemctl("disable");
  const QString path = AutostartPath();
  if (QFileInfo::exists(path) && !QFile::remove(path))
    return "cannot remove " + QDir::toNativeSeparators(path) + ".";
  // An agent that ends restores what each board held before it.
  const qint64 pid = notify::ReadAgentStatus().value("pid").toInteger();
  if (pid > 0 && ::kill(static_cast<pid_t>(pid), SIGTERM) != 0)
    return QStringLiteral("cannot stop the agent (process %1).").arg(pid);
  return {};
}

}  // namespace torvex::gui
