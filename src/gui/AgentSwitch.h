// SPDX-License-Identifier: MIT
#pragma once
// Turning the agent on and off for the user: as a systemd user service when
// a user manager answers, else as an XDG autostart entry plus an agent
// started now. Commands go through a runner that tests replace.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace torvex::gui {

struct CommandRun {
  int exitCode = -1;  // -1: it did not start, crashed or timed out
  QByteArray output;
};
// `detached`: started and left running; exit code 0 when it started.
using CommandRunner =
    std::function<CommandRun(const QString& program, const QStringList& arguments, bool detached)>;

// Runs through QProcess, waiting at most a few seconds for one that is not detached.
CommandRun RunCommand(const QString& program, const QStringList& arguments, bool detached);

class AgentSwitch {
 public:
  CommandRunner run = RunCommand;

  // Each returns empty on success, else why not.
  QString turnOn() const;
  QString turnOff() const;

  // $XDG_CONFIG_HOME/autostart/torvex-agent.desktop
  static QString AutostartPath();
  // The packaged entry, switched on, running `ctl`.
  static QByteArray AutostartEntry(const QString& ctl);
  // torvex-ctl beside the running executable, else the one on the PATH.
  static QString CtlPath();

 private:
  bool systemdAnswers() const;
  QString systemctl(const QString& action) const;
};

}  // namespace torvex::gui
