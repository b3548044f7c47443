// SPDX-License-Identifier: MIT
#include "games/Links.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string_view>

#include "games/TomlText.h"

#define TOML_EXCEPTIONS 1
#include <toml++/toml.h>

namespace torvex::games {
namespace {

constexpr std::int64_t kLinksFormat = 1;
constexpr qsizetype kLinksMaxBytes = 1 << 20;
constexpr int kNameMax = 100;  // as a profile's name
constexpr std::int64_t kSteamIdMax = 4294967295;
const QString kFormat = QStringLiteral("format");
const QString kDefault = QStringLiteral("default");

int LineOf(const toml::node& n) {
  return static_cast<int>(n.source().begin.line);
}

QString Key(std::string_view k) {
  return QString::fromUtf8(k.data(), static_cast<qsizetype>(k.size()));
}

QString KindName(const toml::node& n) {
  switch (n.type()) {
    case toml::node_type::string:
      return QStringLiteral("text");
    case toml::node_type::integer:
    case toml::node_type::floating_point:
      return QStringLiteral("a number");
    case toml::node_type::boolean:
      return QStringLiteral("true/false");
    case toml::node_type::table:
      return QStringLiteral("a table");
    case toml::node_type::array:
      return QStringLiteral("a list");
    default:
      return QStringLiteral("a date");
  }
}

// The profile store's rule for names, and "links", which is this file.
QString ProfileNameProblem(const QString& name) {
  if (name.trimmed().isEmpty()) return QStringLiteral("a profile needs a name");
  if (name != name.trimmed()) return QStringLiteral("a name cannot start or end with a space");
  if (name.size() > kNameMax)
    return QStringLiteral("a name is at most %1 characters long").arg(kNameMax);
  if (name.startsWith(u'.')) return QStringLiteral("a name cannot start with a dot");
  for (QChar c : name)
    if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
      return QStringLiteral("a name cannot hold '/', '\\' or control characters");
  if (name == QLatin1String("links")) return QStringLiteral("\"links\" is kept for the game links");
  return {};
}

// Reads one file; the first fault found ends it.
class Reader {
 public:
  LinksRead read(const QByteArray& bytes) {
    Links links;
    if (parse(bytes, links)) out_.links = links;
    return out_;
  }

 private:
  bool fail(int line, const QString& field, const QString& message) {
    QString where = line > 0 ? QStringLiteral("line %1").arg(line) : QString();
    if (!field.isEmpty()) where += (where.isEmpty() ? "" : ", ") + field;
    out_.problem = where.isEmpty() ? message : where + ": " + message;
    return false;
  }

  bool parse(const QByteArray& bytes, Links& links) {
    if (bytes.size() > kLinksMaxBytes)
      return fail(0, {}, QStringLiteral("the file is too large for game links"));
    const QByteArray text = WithoutTrippingChars(bytes);
    toml::table root;
    try {
      root = toml::parse(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    } catch (const toml::parse_error& e) {
      return fail(static_cast<int>(e.source().begin.line), {},
                  "not a valid links file (" + Key(e.description()) + ")");
    }
    const toml::node* format = root.get("format");
    if (!format) return fail(0, kFormat, QStringLiteral("missing: not a torvex-config links file"));
    const auto version = format->value_exact<std::int64_t>();
    if (!version || *version < 1)
      return fail(LineOf(*format), kFormat,
                  QStringLiteral("takes a format version, a whole number from 1"));
    if (*version > kLinksFormat)
      return fail(LineOf(*format), kFormat,
                  QStringLiteral("written by a newer version (format %1)").arg(*version));
    for (auto&& [key, node] : root) {
      if (key == "format") continue;
      if (key == "default") {
        const auto name = profileName(node, kDefault);
        if (!name) return false;
        links.defaultProfile = *name;
      } else if (key == "link") {
        if (!readLinks(node, links.links)) return false;
      } else {
        return fail(LineOf(node), Key(key.str()), QStringLiteral("not a field of game links"));
      }
    }
    return true;
  }

  std::optional<QString> profileName(const toml::node& n, const QString& field) {
    const auto text = n.value_exact<std::string>();
    const QString name = text ? QString::fromStdString(*text) : QString();
    const QString problem =
        text ? ProfileNameProblem(name) : "takes a profile's name, not " + KindName(n);
    if (problem.isEmpty()) return name;
    fail(LineOf(n), field, problem);
    return std::nullopt;
  }

  bool readLinks(const toml::node& n, std::vector<Link>& out) {
    const toml::array* list = n.as_array();
    if (!list || !list->is_array_of_tables())
      return fail(LineOf(n), QStringLiteral("link"),
                  "takes [[link]] tables, not " + (list ? QStringLiteral("a list") : KindName(n)));
    for (std::size_t i = 0; i < list->size(); ++i) {
      const toml::table& t = *list->get(i)->as_table();
      const QString field = QStringLiteral("link[%1]").arg(i + 1);
      Link link;
      if (!readLink(t, field, link)) return false;
      for (const Link& earlier : out)
        if (SameGame(earlier, link))
          return fail(
              LineOf(t), field,
              "links a game linked before (" + earlier.key + " to " + earlier.profile + ")");
      out.push_back(link);
    }
    return true;
  }

  bool readLink(const toml::table& t, const QString& field, Link& link) {
    bool named = false, game = false;
    for (auto&& [key, node] : t) {
      const QString at = field + "." + Key(key.str());
      if ((key == "steam" || key == "exe") && game)
        return fail(LineOf(node), at, QStringLiteral("a link names one game: steam or exe"));
      if (key == "profile") {
        const auto name = profileName(node, at);
        if (!name) return false;
        link.profile = *name;
        named = true;
      } else if (key == "steam") {
        const auto id = node.value_exact<std::int64_t>();
        if (!id || *id < 1 || *id > kSteamIdMax)
          return fail(
              LineOf(node), at,
              QStringLiteral("takes a Steam app ID, a whole number from 1 to %1").arg(kSteamIdMax));
        link.rule = MatchRule::SteamAppId;
        link.key = QString::number(*id);
        game = true;
      } else if (key == "exe") {
        const auto text = node.value_exact<std::string>();
        const QString name = text ? QString::fromStdString(*text) : QString();
        if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\'))
          return fail(LineOf(node), at,
                      QStringLiteral("takes an executable's file name, without a folder"));
        link.rule = RuleForExecutable(name);
        link.key = name;
        game = true;
      } else {
        return fail(LineOf(node), at, QStringLiteral("not a field of a link"));
      }
    }
    if (!named) return fail(LineOf(t), field + ".profile", QStringLiteral("missing"));
    if (!game) return fail(LineOf(t), field, QStringLiteral("names no game: add steam or exe"));
    return true;
  }

  LinksRead out_;
};

}  // namespace

// Two links for the same game, whatever their profiles.
bool SameGame(const Link& a, const Link& b) {
  return a.rule == b.rule &&
         a.key.compare(
             b.key, a.rule == MatchRule::WindowsExe ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

QString LinkGame(Links& links, const Link& game) {
  for (auto it = links.links.begin(); it != links.links.end(); ++it) {
    if (!SameGame(*it, game)) continue;
    const QString before = it->profile;
    if (before != game.profile) {
      links.links.erase(it);
      links.links.push_back(game);
    }
    return before;
  }
  links.links.push_back(game);
  return {};
}

MatchRule RuleForExecutable(const QString& name) {
  return name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) ? MatchRule::WindowsExe
                                                                   : MatchRule::NativeExe;
}

LinksRead ParseLinks(const QByteArray& text) {
  return Reader().read(text);
}

QByteArray LinksText(const Links& links) {
  std::string text =
      "# Game links for torvex-config: which profile goes with which game.\n"
      "# steam: the app ID Steam runs a game under (the number in its store page).\n"
      "# exe: an executable's file name; one ending in \".exe\" runs through Wine or\n"
      "# Proton and is compared without case, any other is native and exact.\n"
      "# default: the profile for when no linked game runs. This file is named\n"
      "# links.toml, so \"links\" is no profile's name.\n";
  text += "format = " + std::to_string(kLinksFormat) + "\n";
  if (!links.defaultProfile.isEmpty()) text += "default = " + Quoted(links.defaultProfile) + "\n";
  for (const Link& l : links.links) {
    text += "\n[[link]]\nprofile = " + Quoted(l.profile) + "\n";
    text += l.rule == MatchRule::SteamAppId ? "steam = " + l.key.toStdString()
                                            : "exe = " + Quoted(l.key);
    text += "\n";
  }
  return QByteArray::fromStdString(text);
}

QString LinksPath(const QString& profileDirectory) {
  return profileDirectory + QStringLiteral("/links.toml");
}

LinksRead ReadLinksFile(const QString& path) {
  QFile file(path);
  if (!file.exists()) return {Links{}, {}};
  if (!file.open(QIODevice::ReadOnly)) return {std::nullopt, path + ": " + file.errorString()};
  // One byte over the limit is enough to refuse it.
  LinksRead r = ParseLinks(file.read(kLinksMaxBytes + 1));
  if (!r.links) r.problem = path + ": " + r.problem;
  return r;
}

QString WriteLinksFile(const QString& path, const Links& links) {
  // The profile folder, made as the profile store makes it when missing.
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder)) return "cannot create the folder " + folder;
  QSaveFile file(path);
  const QByteArray bytes = LinksText(links);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return path + ": " + file.errorString();
  return {};
}

}  // namespace torvex::games
