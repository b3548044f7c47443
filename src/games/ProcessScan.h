// SPDX-License-Identifier: MIT
#pragma once
// The user's processes, read from a /proc tree whose root is a parameter so
// tests use fake trees. The first scan reads every process; later scans read
// only process IDs not seen before, which keeps a scan about once a second
// cheap with a thousand processes. Processes of other users, processes that
// end mid-read and unreadable entries are skipped without a word.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace torvex::games {

struct ProcessInfo {
  int pid = 0;
  int parentPid = 0;
  std::uint64_t startTime = 0;  // in clock ticks after boot: tells a reused ID
  QString executable;           // file name of /proc/PID/exe, if readable
  QStringList arguments;        // /proc/PID/cmdline
  QString comm;                 // /proc/PID/comm: at most 15 bytes, never matched alone
  // From the process's cgroup scope ("app-steam-app<ID>-<PID>.scope") or from
  // the "reaper ... SteamLaunch AppId=<ID>" that launched it (the reaper
  // itself included: it lives as long as the game).
  std::optional<std::uint32_t> steamAppId;
};

class ProcessScanner {
 public:
  // `uid`: only processes of this user are read.
  ProcessScanner(QString procRoot, unsigned uid);

  // Processes started since the last call (every process on the first).
  std::vector<ProcessInfo> newProcesses();
  // One process, read now.
  std::optional<ProcessInfo> read(int pid) const;

 private:
  // What a walk up to a Steam launch needs of a process read before.
  struct Lineage {
    int parentPid = 0;
    std::optional<std::uint32_t> launchedAppId;
  };
  enum class Outcome { Read, NotOurs, Gone };
  std::optional<ProcessInfo> readFiles(int pid, Outcome& outcome) const;
  std::set<int> listing() const;

  // New IDs beyond this many since the last scan: list /proc instead.
  static constexpr int kProbedAtMost = 256;
  // Scans a new process is read again in, in case it runs exec meanwhile.
  static constexpr int kYoungScans = 3;
  struct Young {
    int scansLeft = 0;
    QString executable;
    QStringList arguments;
  };

  QString root_;
  unsigned uid_;
  // Listed by the last scan: this user's processes read then, and others'
  // (never read again). A reused ID is new because its process was missing
  // from a listing in between: IDs are handed out in a cycle through
  // pid_max (32768 at least), far more than start within one scan.
  std::set<int> known_;
  std::map<int, Lineage> lineage_;  // this user's among them
  std::map<int, Young> young_;      // this user's, read in the last few scans
  std::optional<int> lastPid_;      // from /proc/loadavg at the last scan
  std::set<int> waiting_;           // IDs given out before the last scan, read at the next
  bool first_ = true;
};

}  // namespace torvex::games
