// SPDX-License-Identifier: MIT
#include "games/ProcessScan.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <utility>

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

// The last ID the kernel gave out, from /proc/loadavg ("0.1 0.2 0.3 1/234 5678").
std::optional<int> LastPid(const QString& root) {
  const auto loadavg = ReadWhole(root + "/loadavg");
  if (!loadavg) return std::nullopt;
  bool ok = false;
  const int pid = loadavg->trimmed().split(' ').value(4).toInt(&ok);
  return ok ? std::optional(pid) : std::nullopt;
}

// A thread's ID opens as a folder too, though no listing shows it.
bool IsThread(const QByteArray& status, int pid) {
  const qsizetype at = status.indexOf("\nTgid:");
  return at >= 0 &&
         status.mid(at + 6, status.indexOf('\n', at + 1) - at - 6).trimmed().toInt() != pid;
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
  if (RealUid(*status) != uid_ || IsThread(*status, pid)) {
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

std::set<int> ProcessScanner::listing() const {
  std::set<int> listed;
  if (DIR* dir = ::opendir(QFile::encodeName(root_).constData())) {
    while (const dirent* entry = ::readdir(dir)) {
      char* end = nullptr;
      const long pid = std::strtol(entry->d_name, &end, 10);
      if (std::isdigit(static_cast<unsigned char>(entry->d_name[0])) && *end == '\0' && pid > 0)
        listed.insert(static_cast<int>(pid));
    }
    ::closedir(dir);
  }
  return listed;
}

std::vector<ProcessInfo> ProcessScanner::newProcesses() {
  // IDs given out since the last scan, threads' included: when few, only they
  // are looked at, and a scan with none costs one small read.
  const auto last = LastPid(root_);
  std::set<int> candidates;
  if (last && lastPid_ && *last >= *lastPid_ && *last - *lastPid_ <= kProbedAtMost) {
    // Most IDs go to short-lived processes (a build's compilers, a browser's
    // threads): each is read one scan later, if it is still there.
    candidates = std::exchange(waiting_, {});
    for (int pid = *lastPid_ + 1; pid <= *last; ++pid) waiting_.insert(pid);
  } else {
    waiting_.clear();  // the listing holds those still there
    const std::set<int> listed = listing();
    // Forget the ended, so the sets do not grow and a reused ID reads as new.
    std::erase_if(known_, [&](int pid) { return !listed.contains(pid); });
    std::erase_if(lineage_, [&](const auto& entry) { return !listed.contains(entry.first); });
    std::erase_if(young_, [&](const auto& entry) { return !listed.contains(entry.first); });
    for (int pid : listed)
      if (!known_.contains(pid)) candidates.insert(pid);
  }
  lastPid_ = last;

  std::vector<ProcessInfo> found;
  // A process read just after its fork may not have run exec yet: read the
  // young again for a few scans, and report them once more when they changed.
  for (auto it = young_.begin(); it != young_.end();) {
    Outcome outcome;
    auto p = readFiles(it->first, outcome);
    const bool keep = p && --it->second.scansLeft > 0;
    if (p && (p->executable != it->second.executable || p->arguments != it->second.arguments)) {
      lineage_[p->pid] = {p->parentPid, LaunchedAppId(p->arguments)};
      it->second.executable = p->executable, it->second.arguments = p->arguments;
      found.push_back(std::move(*p));
    }
    it = keep ? std::next(it) : young_.erase(it);
  }
  for (int pid : candidates) {
    Outcome outcome;
    auto p = readFiles(pid, outcome);
    if (outcome == Outcome::Gone) continue;  // tried again while it is listed
    known_.insert(pid);
    if (!p) continue;
    lineage_[pid] = {p->parentPid, LaunchedAppId(p->arguments)};
    if (!first_) young_[pid] = {kYoungScans, p->executable, p->arguments};
    found.push_back(std::move(*p));
  }
  first_ = false;
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
