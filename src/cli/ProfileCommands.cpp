// SPDX-License-Identifier: MIT
// torvex-ctl profiles, save, apply and diff: a board's settings to and from
// profile files. A profile is named (kept in the user's profile folder) or
// given as a path: anything with a '/' or ending in ".toml".
#include <QDateTime>
#include <QFileInfo>

#include "board/ProfileStore.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

using board::SettingId;

bool IsPath(const QString& arg) {
  return arg.contains(u'/') || arg.endsWith(QLatin1String(".toml"));
}

// The single operand, or a usage failure.
std::optional<QString> Operand(Context& c, const char* command) {
  if (c.operands.size() == 1) return c.operands.front();
  Fail(c, kUsage, QStringLiteral("%1 takes one NAME or FILE").arg(QLatin1String(command)));
  return std::nullopt;
}

}  // namespace

std::optional<board::Profile> ReadProfile(Context& c, const QString& arg) {
  const board::ProfileStore store;
  if (!IsPath(arg) && !store.contains(arg)) {
    Fail(c, kBadProfile, "no profile named " + arg + " in " + store.directory());
    return std::nullopt;
  }
  const board::ProfileRead r = IsPath(arg) ? board::ProfileStore::ReadFile(arg) : store.read(arg);
  if (!r.profile) Fail(c, kBadProfile, r.problem + "\nNothing was sent.");
  return r.profile;
}

namespace {

// Exact, so two values that differ never read the same: "50.0016 %".
QString ValueText(SettingId id, const board::Settings& s) {
  return board::ExactText(id, board::StoredValue(s, id));
}

// The profile an operand names and the board it goes with, read back; the
// exit code after saying what went wrong otherwise.
int ProfileAndBoard(Context& c, const char* command, std::optional<board::Profile>& profile,
                    board::Board& b, board::ReadBackResult& read) {
  const auto arg = Operand(c, command);
  if (!arg) return kUsage;
  profile = ReadProfile(c, *arg);
  if (!profile) return kBadProfile;
  return OpenBoard(c, b, &read);
}

}  // namespace

QString ProfileDetails() {
  return QStringLiteral(
      "NAME is a profile in the profile folder (see 'torvex-ctl profiles');\n"
      "FILE is any path with a '/' or ending in .toml.\n");
}

int RunProfiles(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "profiles takes no operands");
  const board::ProfileStore store;
  const QStringList names = store.names();
  if (names.isEmpty()) c.io.err << "No profiles in " << store.directory() << ".\n";
  for (const QString& name : names) {
    const board::ProfileRead r = store.read(name);
    c.io.out << name;
    if (!r.profile)
      c.io.out << "\t(cannot be applied: " << Printable(r.problem.section(": ", 1, -1)) << ')';
    else if (r.profile->origin.saved.isValid())
      c.io.out << "\tsaved " << r.profile->origin.saved.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
               << " from " << Printable(r.profile->origin.serial);
    c.io.out << '\n';
  }
  return kDone;
}

int RunSave(Context& c) {
  const auto arg = Operand(c, "save");
  if (!arg) return kUsage;
  const board::ProfileStore store;
  if (!IsPath(*arg))
    if (const QString problem = board::ProfileStore::NameProblem(*arg); !problem.isEmpty())
      return Fail(c, kUsage, "'" + *arg + "': " + problem);
  const QString path = IsPath(*arg) ? *arg : store.pathOf(*arg);
  if (QFileInfo::exists(path) && !c.parser.isSet("force"))
    return Fail(c, kUsage, path + " exists; pass --force to replace it");

  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  board::Profile p{
      read.settings,
      {c.boardSerial, read.identity.product.value_or(QString()), QDateTime::currentDateTime()}};
  const QString problem =
      IsPath(*arg) ? board::ProfileStore::WriteFile(path, p) : store.save(*arg, p);
  if (!problem.isEmpty()) return Fail(c, kCannotWrite, "cannot save: " + problem);
  c.io.err << "Saved board " << Printable(c.boardSerial) << " to " << Printable(path) << ".\n";
  return kDone;
}

int RunApply(Context& c) {
  std::optional<board::Profile> profile;
  board::Board b(c.platform);
  // The plan is made from this read-back: nothing may change the board in between.
  const auto hold = b.holdWrites();
  board::ReadBackResult read;
  if (const int code = ProfileAndBoard(c, "apply", profile, b, read); code != kDone) return code;
  const std::vector<SettingId> differ = board::Differences(read.settings, profile->settings);
  if (c.parser.isSet("dry-run")) {
    for (SettingId id : differ)
      c.io.out << board::SettingName(id) << ": " << ValueText(id, read.settings) << " -> "
               << ValueText(id, profile->settings) << '\n';
    c.io.err << "Nothing was sent.\n";
    return kDone;
  }
  const board::WritePlan plan = board::PlanExact(read.settings, profile->settings);
  c.changedBoard = !plan.frames.empty();
  if (const int code = ReportOutcome(c, board::ApplyPlan(b, plan)); code != kDone) return code;
  c.io.err << "Board " << Printable(c.boardSerial) << " holds " << Printable(c.operands.front())
           << " ("
           << (differ.empty() ? QStringLiteral("nothing to change") : "changed: " + Names(differ))
           << ").\n";
  return kDone;
}

int RunDiff(Context& c) {
  std::optional<board::Profile> profile;
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = ProfileAndBoard(c, "diff", profile, b, read); code != kDone) return code;
  const std::vector<SettingId> differ = board::Differences(read.settings, profile->settings);
  c.io.out << QStringLiteral("%1%2%3\n")
                  .arg(QStringLiteral("  setting"), -18)
                  .arg(QStringLiteral("board"), -24)
                  .arg(QStringLiteral("profile"));
  for (SettingId id : board::AllSettings()) {
    const bool differs = std::find(differ.begin(), differ.end(), id) != differ.end();
    c.io.out << QStringLiteral("%1 %2%3%4\n")
                    .arg(differs ? QStringLiteral("*") : QStringLiteral(" "))
                    .arg(board::SettingName(id), -16)
                    .arg(ValueText(id, read.settings), -24)
                    .arg(ValueText(id, profile->settings));
  }
  c.io.err << (differ.empty() ? QStringLiteral("No differences.\n")
                              : QStringLiteral("%1 setting(s) differ.\n").arg(differ.size()));
  return differ.empty() ? kDone : kDiffers;
}

}  // namespace torvex::cli
