// SPDX-License-Identifier: MIT
#pragma once
// What the agent tells the window and `torvex-ctl status`: whether it runs
// (it holds a lock while it does, so one runs per user) and a status file of
// the game it matched and the profile it applied, both in the user's runtime
// directory.

#include <QJsonObject>
#include <QString>

namespace torvex::notify {

// $XDG_RUNTIME_DIR/torvex-config/NAME (the folder made when missing); empty
// without a runtime directory.
QString RuntimeFile(const QString& name);

// The agent's lock: a descriptor to keep open while the agent runs, or -1
// when another agent holds it (or there is no runtime directory).
int TakeAgentLock();
bool AgentRuns();

// The status the running agent wrote last; empty when none runs.
QJsonObject ReadAgentStatus();
void WriteAgentStatus(const QJsonObject& status);
void RemoveAgentStatus();

}  // namespace torvex::notify
