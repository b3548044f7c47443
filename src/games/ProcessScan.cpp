// SPDX-License-Identifier: MIT
#include "games/ProcessScan.h"

#include <QDirIterator>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace torvex::games {
namespace {

// Steam's launcher sits a few processes above a game; past this the chain
// is the desktop's, not a game's.
constexpr int kAncestorsWalked = 32;

// Plain system calls: a thousand processes read in a scan, six files each.
std::optional<QByteArray> ReadWhole(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  QByteArray bytes;
  char chunk[4096];
  ssize_t n;  // procfs files report no size: read to the end
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0) bytes.append(chunk, n);
  ::close(fd);
  return n < 0 ? std::nullopt : std::optional(bytes);
}

// The file name a symbolic link points to, " (deleted)" taken off.
QString LinkedName(const QString& path) {
  char target[4096];
  const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
  if (n <= 0) return {};
  QString name = QFile::decodeName(QByteArray(target, n));
  if (name.endsWith(QLatin1String(" (deleted)"))) name.chop(10);
  return name.mid(name.lastIndexOf(u'/') + 1);
}

std::optional<std::uint32_t> AppIdFrom(QStringView digits) {
  bool ok = false;
  const qulonglong id = digits.toULongLong(&ok);
  if (!ok || id == 0 || id > 0xFFFFFFFFu || !digits.front().isDigit()) return std::nullopt;
  return static_cast<std::uint32_t>(id);
}

std::optional<unsigned> RealUid(const QByteArray& status) {
  for (const QByteArray& line : status.split('\n')) {
    if (!line.startsWith("Uid:")) continue;
    bool ok = false;
    const unsigned uid = line.mid(4).simplified().split(' ').value(0).toUInt(&ok);
    if (ok) return uid;
  }
  return std::nullopt;
}

// The parent and start time of "PID (COMM) STATE PPID ... STARTTIME ...": the
// command name may hold spaces and parentheses, so fields count from the last ')'.
bool ParseStat(const QByteArray& stat, ProcessInfo& p) {
  const qsizetype close = stat.lastIndexOf(')');
  if (close < 0) return false;
  const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
  if (fields.size() < 20) return false;
  bool parentOk = false, startOk = false;
  p.parentPid = fields[1].toInt(&parentOk);        // field 4
  p.startTime = fields[19].toULongLong(&startOk);  // field 22
  return parentOk && startOk;
}

// NUL after each argument; a process that rewrote its arguments may end without.
QStringList Arguments(const QByteArray& cmdline) {
  QList<QByteArray> parts = cmdline.split('\0');
  if (cmdline.isEmpty() || cmdline.endsWith('\0')) parts.removeLast();
  QStringList args;
  for (const QByteArray& a : parts) args << QString::fromUtf8(a);
  return args;
}

// "app-steam-app<ID>-<anything>.scope", the scope Steam starts a game in.
std::optional<std::uint32_t> SteamScope(const QByteArray& cgroup) {
  static const QByteArray kPrefix = "app-steam-app";
  for (const QByteArray& line : cgroup.split('\n')) {
    const qsizetype pathAt = line.indexOf(':', line.indexOf(':') + 1);
    if (pathAt < 0) continue;
    for (const QByteArray& part : line.mid(pathAt + 1).split('/')) {
      if (!part.startsWith(kPrefix) || !part.endsWith(".scope")) continue;
      const QByteArray rest = part.mid(kPrefix.size());
      const qsizetype dash = rest.indexOf('-');
      if (dash <= 0) continue;
      if (auto id = AppIdFrom(QString::fromLatin1(rest.left(dash)))) return id;
    }
  }
  return std::nullopt;
}

// Steam's reaper: ".../reaper SteamLaunch AppId=805550 -- GAME ...". Only
// its own arguments count, not the game's after "--".
std::optional<std::uint32_t> LaunchedAppId(const QStringList& args) {
  bool launch = false;
  std::optional<std::uint32_t> id;
  for (const QString& a : args) {
    if (a == QLatin1String("--")) break;
    launch |= a == QLatin1String("SteamLaunch");
    if (a.startsWith(QLatin1String("AppId="))) id = AppIdFrom(QStringView(a).mid(6));
  }
  return launch ? id : std::nullopt;
}

// The nearest Steam launch at or above `pid`; `lineage(pid)` tells a
// process's parent and launch, or nothing where the chain leaves the user.
template <typename Lookup>
std::optional<std::uint32_t> LaunchAbove(int pid, const Lookup& lineage) {
  for (int step = 0; step < kAncestorsWalked && pid > 1; ++step) {
    const auto l = lineage(pid);
    if (!l) return std::nullopt;
    if (l->launchedAppId) return l->launchedAppId;
    pid = l->parentPid;
  }
  return std::nullopt;
}

}  // namespace

ProcessScanner::ProcessScanner(QString procRoot, unsigned uid)
    : root_(std::move(procRoot)), uid_(uid) {}

std::optional<ProcessInfo> ProcessScanner::readFiles(int pid, Outcome& outcome) const {
  const QString dir = root_ + "/" + QString::number(pid) + "/";
  outcome = Outcome::Gone;
  const auto status = ReadWhole(dir + "status");
  if (!status) return std::nullopt;
  if (RealUid(*status) != uid_) {
    outcome = Outcome::NotOurs;
    return std::nullopt;
  }
  ProcessInfo p;
  p.pid = pid;
  const auto stat = ReadWhole(dir + "stat");
  if (!stat || !ParseStat(*stat, p)) return std::nullopt;
  const auto cmdline = ReadWhole(dir + "cmdline");
  if (!cmdline) return std::nullopt;
  p.arguments = Arguments(*cmdline);
  // Unreadable for a process that made itself undumpable: the rest still tells.
  p.executable = LinkedName(dir + "exe");
  const auto comm = ReadWhole(dir + "comm");
  const auto cgroup = ReadWhole(dir + "cgroup");
  if (!comm || !cgroup) return std::nullopt;
  p.comm = QString::fromUtf8(comm->endsWith('\n') ? comm->chopped(1) : *comm);
  p.steamAppId = SteamScope(*cgroup);
  outcome = Outcome::Read;
  return p;
}

std::optional<ProcessInfo> ProcessScanner::read(int pid) const {
  Outcome outcome;
  auto p = readFiles(pid, outcome);
  if (p && !p->steamAppId)
    p->steamAppId = LaunchAbove(pid, [&](int at) -> std::optional<Lineage> {
      if (at == pid) return Lineage{p->parentPid, LaunchedAppId(p->arguments)};
      if (const auto known = lineage_.find(at); known != lineage_.end()) return known->second;
      Outcome o;
      const auto up = readFiles(at, o);
      return up ? std::optional(Lineage{up->parentPid, LaunchedAppId(up->arguments)})
                : std::nullopt;
    });
  return p;
}

std::vector<ProcessInfo> ProcessScanner::newProcesses() {
  std::set<int> listed;
  QDirIterator entries(root_, QDir::Dirs | QDir::NoDotAndDotDot);
  while (entries.hasNext()) {
    entries.next();
    const QString name = entries.fileName();
    bool ok = false;
    const int pid = name.toInt(&ok);
    if (ok && pid > 0 && name.front().isDigit()) listed.insert(pid);
  }
  // Forget the ended, so the sets do not grow and a reused ID reads as new.
  std::erase_if(known_, [&](int pid) { return !listed.contains(pid); });
  std::erase_if(lineage_, [&](const auto& entry) { return !listed.contains(entry.first); });

  std::vector<ProcessInfo> found;
  for (int pid : listed) {
    if (known_.contains(pid)) continue;
    Outcome outcome;
    auto p = readFiles(pid, outcome);
    if (outcome == Outcome::Gone) continue;  // tried again while it is listed
    known_.insert(pid);
    if (!p) continue;
    lineage_[pid] = {p->parentPid, LaunchedAppId(p->arguments)};
    found.push_back(std::move(*p));
  }
  // Ancestors are read by now: this scan or an earlier one.
  for (ProcessInfo& p : found)
    if (!p.steamAppId)
      p.steamAppId = LaunchAbove(p.pid, [this](int at) -> std::optional<Lineage> {
        const auto known = lineage_.find(at);
        return known == lineage_.end() ? std::nullopt : std::optional(known->second);
      });
  return found;
}

}  // namespace torvex::games
