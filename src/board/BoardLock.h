// SPDX-License-Identifier: MIT
#pragma once
// One writer per board across programs: the window, torvex-ctl and the agent
// each take an exclusive flock() on a file named after the board's serial
// number before they send frames or read settings back. The kernel drops the
// lock when its holder exits, however it exits.

#include <QString>

namespace torvex::board {

class BoardLock {
 public:
  BoardLock() = default;
  ~BoardLock() { release(); }
  BoardLock(const BoardLock&) = delete;
  BoardLock& operator=(const BoardLock&) = delete;

  // $XDG_RUNTIME_DIR/torvex-config, or a folder of this user's under the
  // temporary folder when the session has no runtime folder.
  static QString Folder();
  // The lock file of a board: the serial number with anything but ASCII
  // letters, digits, '-' and '_' as '_'.
  static QString PathFor(const QString& serial);

  enum class Take { Held, Busy, Unusable };
  // One attempt, without waiting. Unusable: the lock file cannot be made.
  Take tryTake(const QString& serial);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace torvex::board
