// SPDX-License-Identifier: MIT
// torvex-ctl link, unlink, links and default: which profile goes with which
// game, kept in links.toml beside the profiles for the agent to follow.
#include <QJsonArray>

#include "board/ProfileStore.h"
#include "cli/Commands.h"
#include "games/Links.h"

namespace torvex::cli {
namespace {

QString Path() {
  return games::LinksPath(board::ProfileStore::DefaultDirectory());
}

std::optional<games::Links> ReadLinks(Context& c) {
  const games::LinksRead r = games::ReadLinksFile(Path());
  if (!r.links) Fail(c, kBadProfile, r.problem + "\nNothing was changed.");
  return r.links;
}

int WriteLinks(Context& c, const games::Links& links) {
  if (const QString problem = games::WriteLinksFile(Path(), links); !problem.isEmpty())
    return Fail(c, kCannotWrite, "cannot save the links: " + problem);
  return kDone;
}

// The profile operand, which must be a saved profile; kDone when it is.
int ProfileOperand(Context& c, const char* command, QString* name) {
  if (c.operands.size() != 1)
    return Fail(c, kUsage, QStringLiteral("%1 takes one PROFILE").arg(QLatin1String(command)));
  *name = c.operands.front();
  const board::ProfileStore store;
  if (!store.contains(*name))
    return Fail(c, kBadProfile, "no profile named " + *name + " in " + store.directory());
  return kDone;
}

// The game --steam or --exe names; nothing after saying why (or when neither is given and
// `optional`).
std::optional<games::Link> GameOption(Context& c, bool optional, int* code) {
  const bool steam = c.parser.isSet("steam"), exe = c.parser.isSet("exe");
  *code = kDone;
  if (!steam && !exe && optional) return std::nullopt;
  if (steam == exe) {
    *code = Fail(c, kUsage, QStringLiteral("give --steam ID or --exe NAME"));
    return std::nullopt;
  }
  if (steam) {
    bool ok = false;
    const QString id = c.parser.value("steam");
    const qulonglong n = id.toULongLong(&ok);
    if (!ok || n == 0 || n > 0xFFFFFFFFull || id.startsWith(u'+')) {
      *code = Fail(c, kUsage, "--steam takes a Steam app ID, a whole number such as 805550");
      return std::nullopt;
    }
    return games::Link{{}, games::MatchRule::SteamAppId, QString::number(n)};
  }
  const QString name = c.parser.value("exe");
  if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\')) {
    *code =
        Fail(c, kUsage, "--exe takes an executable's file name, such as AC2-Win64-Shipping.exe");
    return std::nullopt;
  }
  return games::Link{{}, games::RuleForExecutable(name), name};
}

QString GameText(const games::Link& l) {
  return l.rule == games::MatchRule::SteamAppId ? "steam " + l.key : "exe " + l.key;
}

}  // namespace

QList<QCommandLineOption> LinkOptions() {
  return {{"steam", "A Steam app ID.", "ID"},
          {"exe", "An executable's file name (NAME.exe: run through Wine or Proton).", "NAME"}};
}
QList<QCommandLineOption> DefaultOptions() {
  return {{"none", "No default profile."}};
}

int RunLink(Context& c) {
  QString profile;
  if (const int code = ProfileOperand(c, "link", &profile); code != kDone) return code;
  int code = kDone;
  auto game = GameOption(c, false, &code);
  if (!game) return code;
  game->profile = profile;
  auto links = ReadLinks(c);
  if (!links) return kBadProfile;
  const QString before = games::LinkGame(*links, *game);
  if (before == profile) {
    c.io.err << GameText(*game) << " is linked to " << Printable(profile) << " already.\n";
    return kDone;
  }
  if (!before.isEmpty())
    c.io.err << GameText(*game) << " was linked to " << Printable(before) << ".\n";
  if (const int written = WriteLinks(c, *links); written != kDone) return written;
  c.io.err << "Linked " << Printable(GameText(*game)) << " to " << Printable(profile) << ".\n";
  return kDone;
}

int RunUnlink(Context& c) {
  QString profile;
  if (c.operands.size() != 1) return Fail(c, kUsage, QStringLiteral("unlink takes one PROFILE"));
  profile = c.operands.front();  // a deleted profile's links can go too
  int code = kDone;
  const auto game = GameOption(c, true, &code);
  if (code != kDone) return code;
  auto links = ReadLinks(c);
  if (!links) return kBadProfile;
  const auto removed = std::erase_if(links->links, [&](const games::Link& l) {
    return l.profile == profile && (!game || games::SameGame(l, *game));
  });
  if (removed == 0) {
    c.io.err << "No such link of " << Printable(profile) << "; nothing changed.\n";
    return kDone;
  }
  if (const int written = WriteLinks(c, *links); written != kDone) return written;
  c.io.err << "Removed " << removed << " link(s) of " << Printable(profile) << ".\n";
  return kDone;
}

QList<QCommandLineOption> LinksOptions() {
  return {{"json", "Print JSON."}};
}

int RunLinks(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "links takes no operands");
  const auto links = ReadLinks(c);
  if (!links) return kBadProfile;
  if (c.parser.isSet("json")) {
    QJsonArray all;
    for (const games::Link& l : links->links)
      all.append(l.rule == games::MatchRule::SteamAppId
                     ? QJsonObject{{"profile", l.profile}, {"steam", l.key.toLongLong()}}
                     : QJsonObject{{"profile", l.profile}, {"exe", l.key}});
    PrintJson(c.io.out,
              {{"format", kJsonFormat},
               {"default",
                links->defaultProfile.isEmpty() ? QJsonValue() : QJsonValue(links->defaultProfile)},
               {"links", all}},
              c.io.outIsTerminal);
    return kDone;
  }
  for (const games::Link& l : links->links)
    c.io.out << Printable(l.profile) << '\t' << Printable(GameText(l)) << '\n';
  c.io.out << "default\t"
           << (links->defaultProfile.isEmpty() ? QStringLiteral("none")
                                               : Printable(links->defaultProfile))
           << '\n';
  return kDone;
}

int RunDefault(Context& c) {
  QString profile;
  if (c.parser.isSet("none")) {
    if (!c.operands.isEmpty()) return Fail(c, kUsage, "default takes PROFILE or --none");
  } else if (const int code = ProfileOperand(c, "default", &profile); code != kDone) {
    return code;
  }
  auto links = ReadLinks(c);
  if (!links) return kBadProfile;
  links->defaultProfile = profile;
  if (const int written = WriteLinks(c, *links); written != kDone) return written;
  c.io.err << (profile.isEmpty() ? QStringLiteral("No default profile.\n")
                                 : "Default profile: " + Printable(profile) + ".\n");
  return kDone;
}

}  // namespace torvex::cli
