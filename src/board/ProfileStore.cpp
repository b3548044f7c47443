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
  if (!QFileInfo(info.absolutePath()).isDir())
    return path + ": the folder " + info.absolutePath() + " does not exist";
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return path + ": " + file.errorString();
  return {};
}

QString MakeFolder(const QString& dir) {
  return QDir().mkpath(dir) ? QString() : "cannot create the folder " + dir;
}

// The run of digits at `at`, without leading zeros; `at` moves past it.
QStringView DigitRun(const QString& s, qsizetype& at) {
  const qsizetype from = at;
  while (at < s.size() && s[at].isDigit()) ++at;
  QStringView run = QStringView(s).mid(from, at - from);
  while (run.size() > 1 && run.front() == u'0') run = run.mid(1);
  return run;
}

// Digits compared as numbers, so "-10" sorts after "-2".
bool NaturalLess(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      const QStringView x = DigitRun(a, i), y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
    } else if (a[i] != b[j]) {
      return a[i] < b[j];
    } else {
      ++i, ++j;
    }
  }
  return i == a.size() && j < b.size();
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
  // By name, not by file name: "a" before "a-2".
  std::sort(names.begin(), names.end(), NaturalLess);
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
  // links.toml beside the profiles says which profile goes with which game.
  if (name == QLatin1String("links")) return QStringLiteral("\"links\" is kept for the game links");
  return {};
}

QString ProfileStore::save(const QString& name, const Profile& p) const {
  if (const QString problem = NameProblem(name); !problem.isEmpty()) return problem;
  if (const QString problem = MakeFolder(directory_); !problem.isEmpty()) return problem;
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
  return save(name, *r.profile);
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
  return WriteBytes(path, ProfileText(p));
}

QString ProfileStore::BackupName(const QString& serial, const QDateTime& when) {
  return kBackupPrefix + SafeSerial(serial) + "-" +
         when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString ProfileStore::saveBackup(const Profile& p, const QDateTime& when, QString* problem) const {
  const auto failed = [problem](const QString& why) {
    if (problem) *problem = why;
    return QString();
  };
  // Never over an earlier backup, even one of the same second.
  QString name = BackupName(p.origin.serial, when);
  for (int n = 2; contains(name); ++n)
    name = BackupName(p.origin.serial, when) + "-" + QString::number(n);
  if (const QString why = save(name, p); !why.isEmpty()) return failed(why);
  // A backup counts only once it reads back as what the board holds.
  const ProfileRead back = read(name);
  if (!back.profile || back.profile->settings != p.settings) {
    QFile::remove(pathOf(name));
    return failed(back.profile
                      ? "the backup " + pathOf(name) + " does not read back as the board's settings"
                      : back.problem);
  }
  // Oldest first by the time each records (a clock may have run ahead): the
  // name's stamp only when the file has none.
  const QString prefix = kBackupPrefix + SafeSerial(p.origin.serial) + "-";
  static const QRegularExpression kStamp(QStringLiteral("^(\\d{8}-\\d{6})(-\\d+)?$"));
  struct Backup {
    QDateTime saved;
    QString name;
  };
  std::vector<Backup> others;
  for (const QString& n : names()) {
    const auto m = kStamp.match(n.mid(prefix.size()));
    if (n == name || !n.startsWith(prefix) || !m.hasMatch()) continue;
    QDateTime saved;
    if (const ProfileRead r = read(n); r.profile) saved = r.profile->origin.saved;
    if (!saved.isValid())
      saved = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
    others.push_back({saved, n});
  }
  std::stable_sort(others.begin(), others.end(),
                   [](const Backup& a, const Backup& b) { return a.saved < b.saved; });
  for (std::size_t i = 0; i + kBackupsKept - 1 < others.size(); ++i)
    QFile::remove(pathOf(others[i].name));
  return name;
}

}  // namespace torvex::board
