// SPDX-License-Identifier: MIT
// torvex-ctl agent and status: the loop around the agent's rounds, the one
// agent per user, and what it tells `status` through a file beside its lock.
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include "board/ProfileStore.h"
#include "cli/Agent.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

constexpr int kRoundMs = 1000;

// The agent's lock: held while it runs, so a second one stops and `status`
// knows whether one runs. -1 when another holds it (or there is no runtime folder).
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

void WriteStatus(const QJsonObject& status) {
  QSaveFile f(RuntimeFile(QStringLiteral("agent.json")));
  if (f.open(QIODevice::WriteOnly)) {
    f.write(QJsonDocument(status).toJson());
    f.commit();
  }
}

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
    if (agent.round(QDateTime::currentDateTime()) || first) WriteStatus(agent.status());
    std::vector<pollfd> ends;
    for (int fd : agent.endDescriptors()) ends.push_back({fd, POLLIN, 0});
    ::poll(ends.data(), ends.size(), kRoundMs);  // a signal ends it early too
  }
  agent.finish(QDateTime::currentDateTime());
  QFile::remove(RuntimeFile(QStringLiteral("agent.json")));
  ::close(lock);
  return kDone;
}

QList<QCommandLineOption> StatusOptions() {
  return {{"json", "Print JSON."}};
}

int RunStatus(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "status takes no operands");
  const bool runs = AgentRuns();
  QJsonObject o;
  if (runs) {
    QFile f(RuntimeFile(QStringLiteral("agent.json")));
    if (f.open(QIODevice::ReadOnly)) o = QJsonDocument::fromJson(f.readAll()).object();
  }
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
