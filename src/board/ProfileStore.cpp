// SPDX-License-Identifier: MIT
#include "board/ProfileStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace torvex::board {
namespace {

const QString kSuffix = QStringLiteral(".toml");
const QString kBackupPrefix = QStringLiteral("backup-");
constexpr int kNameMax = 100;

QString SafeSerial(const QString& serial) {
  static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9_-]"));
  QString s = serial;
  s.replace(kUnsafe, QStringLiteral("_"));
  return s.isEmpty() ? QStringLiteral("unknown") : s;
}

QString WriteBytes(const QString& path, const QByteArray& bytes) {
  const QFileInfo info(path);
  if (!QDir().mkpath(info.absolutePath())) return "cannot create the folder " + info.absolutePath();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return path + ": " + file.errorString();
  return {};
}

}  // namespace

QString ProfileStore::DefaultDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/torvex-config/profiles");
}

ProfileStore::ProfileStore(QString directory) : directory_(std::move(directory)) {}

QStringList ProfileStore::names() const {
  QStringList names;
  const QDir dir(directory_);
  for (const QFileInfo& f : dir.entryInfoList({"*" + kSuffix}, QDir::Files, QDir::Name))
    if (NameProblem(f.completeBaseName()).isEmpty()) names << f.completeBaseName();
  names.sort();  // by name, not by file name: "a" before "a-2"
  return names;
}

QString ProfileStore::pathOf(const QString& name) const {
  return directory_ + "/" + name + kSuffix;
}

bool ProfileStore::contains(const QString& name) const {
  return NameProblem(name).isEmpty() && QFileInfo::exists(pathOf(name));
}

QString ProfileStore::NameProblem(const QString& name) {
  if (name.trimmed().isEmpty()) return QStringLiteral("a profile needs a name");
  if (name != name.trimmed()) return QStringLiteral("a name cannot start or end with a space");
  if (name.size() > kNameMax)
    return QStringLiteral("a name is at most %1 characters long").arg(kNameMax);
  if (name.startsWith(u'.')) return QStringLiteral("a name cannot start with a dot");
  for (QChar c : name)
    if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
      return QStringLiteral("a name cannot hold '/', '\\' or control characters");
  return {};
}

QString ProfileStore::save(const QString& name, const Profile& p) const {
  if (const QString problem = NameProblem(name); !problem.isEmpty()) return problem;
  return WriteFile(pathOf(name), p);
}

QString ProfileStore::rename(const QString& from, const QString& to) const {
  if (const QString problem = NameProblem(to); !problem.isEmpty()) return problem;
  if (!contains(from)) return "no profile named " + from;
  if (contains(to)) return "a profile named " + to + " exists already";
  if (!QFile::rename(pathOf(from), pathOf(to))) return "cannot rename " + from + " to " + to;
  return {};
}

QString ProfileStore::remove(const QString& name) const {
  if (!contains(name)) return "no profile named " + name;
  if (!QFile::remove(pathOf(name))) return "cannot delete " + pathOf(name);
  return {};
}

QString ProfileStore::importFile(const QString& path, const QString& name) const {
  if (const QString problem = NameProblem(name); !problem.isEmpty()) return problem;
  const ProfileRead r = ReadFile(path);
  if (!r.profile) return r.problem;
  return WriteFile(pathOf(name), *r.profile);
}

QString ProfileStore::exportTo(const QString& name, const QString& path) const {
  const ProfileRead r = read(name);
  if (!r.profile) return r.problem;
  return WriteFile(path, *r.profile);
}

ProfileRead ProfileStore::ReadFile(const QString& path) {
  ProfileRead r;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    r.problem = path + ": " + file.errorString();
    return r;
  }
  // One byte over the limit is enough to know the file is not a profile.
  const ProfileParse parsed = ParseProfile(file.read(kProfileMaxBytes + 1));
  r.profile = parsed.profile;
  if (!r.profile) r.problem = path + ": " + parsed.error.text();
  return r;
}

QString ProfileStore::WriteFile(const QString& path, const Profile& p) {
  SettingId unsaved{};
  const auto text = ProfileText(p, &unsaved);
  if (!text)
    return "the board holds a value of " + SettingName(unsaved) +
           " that a profile cannot hold: " + SettingText(unsaved, StoredValue(p.settings, unsaved));
  return WriteBytes(path, *text);
}

QString ProfileStore::BackupName(const QString& serial, const QDateTime& when) {
  return kBackupPrefix + SafeSerial(serial) + "-" +
         when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString ProfileStore::saveBackup(const Profile& p, const QDateTime& when, QString* problem) const {
  // Never over an earlier backup, even one of the same second.
  QString name = BackupName(p.origin.serial, when);
  for (int n = 2; contains(name); ++n)
    name = BackupName(p.origin.serial, when) + "-" + QString::number(n);
  if (const QString why = save(name, p); !why.isEmpty()) {
    if (problem) *problem = why;
    return {};
  }
  // The stamp sorts by time, a same-second one after its first: oldest first.
  const QString prefix = kBackupPrefix + SafeSerial(p.origin.serial) + "-";
  static const QRegularExpression kStamp(QStringLiteral("^\\d{8}-\\d{6}(-\\d+)?$"));
  QStringList backups;
  for (const QString& n : names())
    if (n.startsWith(prefix) && kStamp.match(n.mid(prefix.size())).hasMatch()) backups << n;
  std::sort(backups.begin(), backups.end());
  for (qsizetype i = 0; i + kBackupsKept < backups.size(); ++i) QFile::remove(pathOf(backups[i]));
  return name;
}

}  // namespace torvex::board
