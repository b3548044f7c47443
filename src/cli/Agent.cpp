// SPDX-License-Identifier: MIT
#include "cli/Agent.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QStandardPaths>

#include "board/ProfileStore.h"
#include "board/SettingWrites.h"
#include "cli/Commands.h"
#include "games/Links.h"

namespace torvex::cli {
namespace {

QString RuleName(games::MatchRule rule) {
  switch (rule) {
    case games::MatchRule::SteamAppId:
      return QStringLiteral("steam-app-id");
    case games::MatchRule::WindowsExe:
      return QStringLiteral("windows-exe");
    case games::MatchRule::NativeExe:
      return QStringLiteral("native-exe");
  }
  return {};
}

}  // namespace

Agent::Agent(hid::HidPlatform& platform, Io& io, Places places)
    : platform_(platform),
      io_(io),
      places_(std::move(places)),
      scanner_(platform),
      processes_(places_.procRoot, places_.uid) {}

Agent::~Agent() = default;

void Agent::reloadLinks() {
  const QString path = games::LinksPath(places_.profileDirectory);
  const QFileInfo info(path);
  const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
  if (stamp == linksStamp_ && !started_.isNull()) return;
  linksStamp_ = stamp;
  const games::LinksRead read = games::ReadLinksFile(path);
  if (!read.links) {
    // Keep the links that worked: a file being edited must not drop a running game.
    io_.err << "torvex-ctl agent: " << Printable(read.problem) << "; the links before it stay.\n";
    io_.err.flush();
    return;
  }
  links_ = *read.links;
}

void Agent::watchProcesses() {
  for (const games::ProcessInfo& p : processes_.newProcesses())
    if (auto match = games::MatchProcess(p, links_)) {
      games_.started(*match);
      ends_.erase(match->pid);
      ends_.emplace(match->pid, games::ProcessEnd(match->pid));
    }
  for (auto it = ends_.begin(); it != ends_.end();) {
    const games::ProcessEnd& end = it->second;
    bool ended = false;
    if (end.valid()) {
      ended = end.ended();
    } else {  // no pidfd: look again, a reused ID being another process
      const auto again = processes_.read(it->first);
      const auto& all = games_.all();
      const auto game = std::find_if(all.begin(), all.end(),
                                     [&](const games::GameMatch& g) { return g.pid == it->first; });
      ended = !again || game == all.end() || again->startTime != game->startTime;
    }
    if (ended) {
      games_.ended(it->first);
      it = ends_.erase(it);
    } else {
      ++it;
    }
  }
}

QString Agent::target() const {
  if (const auto game = games_.current()) return game->link.profile;
  return links_.defaultProfile;
}

bool Agent::round(const QDateTime& now) {
  const bool first = started_.isNull();
  reloadLinks();
  if (first) started_ = now;
  const auto gamesBefore = games_.all().size();
  const QString wasCurrent = games_.current() ? games_.current()->link.profile : QString();
  watchProcesses();
  bool changed = games_.all().size() != gamesBefore ||
                 (games_.current() ? games_.current()->link.profile : QString()) != wasCurrent;

  const QString wanted = target();
  // With nothing to apply or put back, the boards do not matter: an idle round
  // reads no bus. When they matter again, they are looked at afresh.
  if (wanted.isEmpty() && before_.empty()) {
    boardsSeen_ = false;
    return changed;
  }
  if (!boardsSeen_ || scanner_.worthScanning()) {
    const auto serials = scanner_.scan().serials;
    boards_ = QStringList(serials.begin(), serials.end());
    boardsSeen_ = true;
    for (auto it = held_.begin(); it != held_.end();)  // a board plugged back is looked at again
      it = boards_.contains(it->first) ? std::next(it) : held_.erase(it);
  }
  for (const QString& serial : boards_) {
    const auto held = held_.find(serial);
    const bool known = held != held_.end();
    if (known ? held->second == wanted : (wanted.isEmpty() && !before_.contains(serial))) continue;
    switchBoard(serial, wanted, now);
    changed = true;
  }
  return changed;
}

void Agent::switchBoard(const QString& serial, const QString& target, const QDateTime& now) {
  held_[serial] = target;  // tried once per change, whatever happens
  std::optional<board::Settings> wanted;
  if (!target.isEmpty()) {
    const board::ProfileRead r = board::ProfileStore(places_.profileDirectory).read(target);
    if (!r.profile) {
      io_.err << "torvex-ctl agent: " << Printable(r.problem) << "\n";
      return;
    }
    wanted = r.profile->settings;
  } else if (const auto it = before_.find(serial); it != before_.end()) {
    wanted = it->second;
  }
  if (!wanted) return;

  board::Board b(platform_);
  const auto hold = b.holdWrites();  // from the read-back the plan is made of to its check
  if (!b.open(serial)) return;
  const board::ReadBackResult read = b.readBack();
  if (!b.isLoaded() || !read.complete()) return;
  if (target.isEmpty()) {
    before_.erase(serial);
  } else if (!before_.contains(serial) && links_.defaultProfile.isEmpty()) {
    before_[serial] = read.settings;
  }
  const board::ApplyOutcome outcome = board::ApplySettings(b, read.settings, *wanted);
  // Even with nothing sent: a window shows which profile the board holds.
  if (io_.boardChanged) io_.boardChanged(serial);
  const QString what = target.isEmpty() ? QStringLiteral("what it held before") : target;
  io_.err << "Board " << Printable(serial) << (outcome.succeeded() ? " holds " : " did not take ")
          << Printable(what) << ".\n";
  io_.err.flush();
  lastApplied_ = {{"board", serial},
                  {"profile", target.isEmpty() ? QJsonValue() : QJsonValue(target)},
                  {"at", now.toString(Qt::ISODate)},
                  {"succeeded", outcome.succeeded()}};
}

void Agent::finish(const QDateTime& now) {
  games_ = {};
  ends_.clear();
  for (const QString& serial : boards_)
    if (before_.contains(serial)) switchBoard(serial, {}, now);
}

std::vector<int> Agent::endDescriptors() const {
  std::vector<int> fds;
  for (const auto& [pid, end] : ends_)
    if (end.valid()) fds.push_back(end.descriptor());
  return fds;
}

QJsonObject Agent::status() const {
  QJsonObject o{{"format", kJsonFormat},
                {"pid", static_cast<qint64>(QCoreApplication::applicationPid())},
                {"since", started_.toString(Qt::ISODate)},
                {"default", links_.defaultProfile.isEmpty() ? QJsonValue()
                                                            : QJsonValue(links_.defaultProfile)},
                {"boards", QJsonArray::fromStringList(boards_)},
                {"applied", lastApplied_.isEmpty() ? QJsonValue() : QJsonValue(lastApplied_)}};
  if (const auto game = games_.current())
    o["game"] = QJsonObject{{"pid", game->pid},
                            {"name", game->name},
                            {"rule", RuleName(game->link.rule)},
                            {"profile", game->link.profile}};
  else
    o["game"] = QJsonValue();
  return o;
}

}  // namespace torvex::cli
