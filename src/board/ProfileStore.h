// SPDX-License-Identifier: MIT
#pragma once
// Profiles on disk: one NAME.toml per profile in the user's configuration
// directory, automatic backups among them, and any other file by path.
// Every write goes through a temporary file, so a crash never leaves half a
// profile behind.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "board/Profile.h"

namespace torvex::board {

struct ProfileRead {
  std::optional<Profile> profile;
  QString problem;  // why not, with the path: "FILE: line 3, led: ..."
};

class ProfileStore {
 public:
  // $XDG_CONFIG_HOME/torvex-config/profiles (QStandardPaths).
  static QString DefaultDirectory();
  explicit ProfileStore(QString directory = DefaultDirectory());

  const QString& directory() const { return directory_; }
  // Profile names in natural order ("gt3-2" before "gt3-10"), backups
  // included, so a board's backups list oldest first.
  QStringList names() const;
  QString pathOf(const QString& name) const;
  bool contains(const QString& name) const;
  // Why a name cannot be a profile's (empty, a path, hidden, too long...), or empty.
  static QString NameProblem(const QString& name);

  // Each returns empty on success, else what went wrong.
  QString save(const QString& name, const Profile& p) const;
  QString rename(const QString& from, const QString& to) const;
  QString remove(const QString& name) const;
  // A checked copy of a file under a name, and of a profile to a path.
  QString importFile(const QString& path, const QString& name) const;
  QString exportTo(const QString& name, const QString& path) const;

  ProfileRead read(const QString& name) const { return ReadFile(pathOf(name)); }
  static ProfileRead ReadFile(const QString& path);
  // Into a folder that exists: a path with a typo must not grow folders.
  static QString WriteFile(const QString& path, const Profile& p);

  // "backup-SERIAL-YYYYMMDD-HHMMSS" (serial with anything but letters,
  // digits, '-' and '_' as '_').
  static QString BackupName(const QString& serial, const QDateTime& when);
  // Saves the board's settings as a backup, never over another ("-2" after a
  // same-second one), reads the file back and checks that it names exactly
  // those settings, then keeps the ten newest backups of that board by the
  // time each records, the one just saved always among them. Returns the
  // name, or empty with *problem set (and no backup left behind).
  QString saveBackup(const Profile& p, const QDateTime& when, QString* problem) const;
  static constexpr int kBackupsKept = 10;

 private:
  QString directory_;
};

}  // namespace torvex::board
