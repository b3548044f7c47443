// SPDX-License-Identifier: MIT
// torvex-ctl agent and status: the loop around the agent's rounds, the one
// agent per user, and what it tells `status` through a file beside its lock.
#include <poll.h>
#include <unistd.h>

#include "board/ProfileStore.h"
#include "cli/Agent.h"
#include "cli/Commands.h"
#include "notify/AgentState.h"

namespace torvex::cli {
namespace {

using notify::AgentRuns;
using notify::TakeAgentLock;

constexpr int kRoundMs = 500;  // a game's start is seen within half a second

QString Local(const QJsonValue& isoTime) {
  return QDateTime::fromString(isoTime.toString(), Qt::ISODate)
      .toLocalTime()
      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString RuleText(const QString& rule) {
  if (rule == QLatin1String("steam-app-id")) return QStringLiteral("its Steam app ID");
  if (rule == QLatin1String("windows-exe")) return QStringLiteral("its Windows executable");
  return QStringLiteral("its executable");
}

}  // namespace

QList<QCommandLineOption> AgentOptions() {
  QCommandLineOption procRoot("proc-root", "Where /proc is (for tests).", "DIR", "/proc");
  procRoot.setFlags(QCommandLineOption::HiddenFromHelp);
  return {procRoot};
}

int RunAgent(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "agent takes no operands");
  const int lock = TakeAgentLock();
  if (lock < 0) {
    c.io.err << "torvex-ctl: an agent already runs for this user; see torvex-ctl status.\n";
    return kDone;
  }
  Agent agent(c.platform, c.io,
              {c.parser.value("proc-root"), static_cast<unsigned>(::getuid()),
               board::ProfileStore::DefaultDirectory()});
  c.io.err << "torvex-ctl agent: watching for linked games.\n";
  c.io.err.flush();
  for (bool first = true; !(c.io.stop && *c.io.stop); first = false) {
    if (agent.round(QDateTime::currentDateTime()) || first)
      notify::WriteAgentStatus(agent.status());
    std::vector<pollfd> ends;
    for (int fd : agent.endDescriptors()) ends.push_back({fd, POLLIN, 0});
    ::poll(ends.data(), ends.size(), kRoundMs);  // a signal ends it early too
  }
  agent.finish(QDateTime::currentDateTime());
  notify::RemoveAgentStatus();
  ::close(lock);
  return kDone;
}

QList<QCommandLineOption> StatusOptions() {
  return {{"json", "Print JSON."}};
}

int RunStatus(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "status takes no operands");
  const bool runs = AgentRuns();
  QJsonObject o = notify::ReadAgentStatus();
  o["format"] = kJsonFormat;
  o["running"] = runs;
  if (c.parser.isSet("json")) {
    PrintJson(c.io.out, o, c.io.outIsTerminal);
    return kDone;
  }
  QTextStream& out = c.io.out;
  if (!runs) {
    out << "Agent: not running. Turn it on with:\n"
           "  systemctl --user enable --now torvex-agent.service\n";
    return kDone;
  }
  out << "Agent: running (process " << o["pid"].toInteger() << ") since " << Local(o["since"])
      << "\n";
  const QJsonValue def = o["default"];
  out << "Default profile: " << (def.isString() ? Printable(def.toString()) : "none") << "\n";
  if (const QJsonObject game = o["game"].toObject(); !game.isEmpty())
    out << "Game: " << Printable(game["name"].toString()) << " (process " << game["pid"].toInteger()
        << "), matched by " << RuleText(game["rule"].toString()) << "; linked to "
        << Printable(game["profile"].toString()) << "\n";
  else
    out << "Game: none linked is running\n";
  if (const QJsonObject a = o["applied"].toObject(); !a.isEmpty())
    out << "Applied: "
        << (a["profile"].isString() ? Printable(a["profile"].toString())
                                    : QStringLiteral("what the board held before"))
        << " to " << Printable(a["board"].toString()) << " at " << Local(a["at"])
        << (a["succeeded"].toBool() ? "" : " (not all taken)") << "\n";
  return kDone;
}

}  // namespace torvex::cli
