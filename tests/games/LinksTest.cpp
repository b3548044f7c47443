// SPDX-License-Identifier: MIT
// The links file: whatever is written reads back the same, every fault is
// refused with its line and field, and a missing file is no links.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "games/Links.h"

namespace torvex::games {
namespace {

// Quotes, escapes and letters toml++ 3.3 trips on, in names and file names
// alike, through the file in the profile folder; no file there is no links.
TEST(Links, EveryLinksValueReadsBackFromTheFileAsWritten) {
  static const QStringList kPieces = {"a", "Z", "7",  "-", " ", "\"", "'", "é",
                                      "ß", "€", "日", "😀", "ﬀ", "ѐ",  "_", "."};
  std::mt19937 random(20261207);
  const auto text = [&](bool exe) {
    QString s = "x";
    for (int n = random() % 12; n > 0; --n) s += kPieces[random() % kPieces.size()];
    return s + (exe && random() % 2 ? (random() % 2 ? "x.exe" : "x.EXE") : "x");
  };
  QTemporaryDir dir;
  const QString path = LinksPath(dir.path() + "/profiles");
  EXPECT_EQ(ReadLinksFile(path).links, Links{});
  for (int i = 0; i < 300; ++i) {
    Links links;
    if (random() % 2) links.defaultProfile = text(false);
    for (int n = random() % 6; n > 0; --n) {
      Link l{text(false), MatchRule::SteamAppId, {}};
      if (random() % 2)
        l.key = QString::number(n == 1 && random() % 3 ? 4294967295u : random() % 100000 * 8 + n);
      else
        l.rule = RuleForExecutable(l.key = text(true) + QString::number(n));
      links.links.push_back(l);
    }
    ASSERT_EQ(WriteLinksFile(path, links), "");
    const LinksRead back = ReadLinksFile(path);
    ASSERT_EQ(back.links, links) << back.problem.toStdString() << "\n"
                                 << LinksText(links).toStdString();
  }
  // A fault in the file names the file.
  ASSERT_EQ(WriteLinksFile(path, {{{"rally", MatchRule::NativeExe, "dirt"}}, "everyday"}), "");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write("x = 1\n") == 6);
  file.close();
  EXPECT_EQ(ReadLinksFile(path).problem.toStdString(),
            (path + ": line 13, link[1].x: not a field of a link").toStdString());
}

TEST(Links, EachFaultIsRefusedWithLineAndField) {
  const QByteArray head = "# links\nformat = 1\n";
  const QByteArray link = "[[link]]\nprofile = \"gt3\"\n";
  // clang-format off
  const struct {
    QByteArray text;
    const char* problem;
  } cases[] = {
      {"format = 1\n[[link]]\nprofile = \"a\"\nsteam = 1\n[x", "line 5: not a valid links file (Error while parsing table header: encountered end-of-file)"},
      {"# no format\ndefault = \"a\"\n", "format: missing: not a torvex-config links file"},
      {"\n\nformat = \"1\"\n", "line 3, format: takes a format version, a whole number from 1"},
      {"\nformat = 2\n", "line 2, format: written by a newer version (format 2)"},
      {head + "profile = \"a\"\n", "line 3, profile: not a field of game links"},
      {head + "default = 3\n", "line 3, default: takes a profile's name, not a number"},
      {head + "default = \"links\"\n", "line 3, default: \"links\" is kept for the game links"},
      {head + "[link]\nprofile = \"a\"\n", "line 3, link: takes [[link]] tables, not a table"},
      {head + link + "steam = 4294967296\n", "line 5, link[1].steam: takes a Steam app ID, a whole number from 1 to 4294967295"},
      {head + link + "exe = \"a.exe\"\nsteam = 1\n", "line 6, link[1].steam: a link names one game: steam or exe"},
      {head + link, "line 3, link[1]: names no game: add steam or exe"},
      {head + link + "exe = \"C:\\\\Games\\\\a.exe\"\n", "line 5, link[1].exe: takes an executable's file name, without a folder"},
      {head + "[[link]]\nsteam = 1\n", "line 3, link[1].profile: missing"},
      {head + "[[link]]\nprofile = \"a/b\"\nexe = \"a\"\n", "line 4, link[1].profile: a name cannot hold '/', '\\' or control characters"},
      {head + link + "exe = \"a\"\nwine = true\n", "line 6, link[1].wine: not a field of a link"},
      {head + link + "exe = \"Dirt.exe\"\n" + link + "exe = \"dirt.EXE\"\n", "line 6, link[2]: links a game linked before (Dirt.exe to gt3)"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const LinksRead r = ParseLinks(c.text);
    EXPECT_FALSE(r.links) << c.text.toStdString();
    EXPECT_EQ(r.problem.toStdString(), c.problem) << c.text.toStdString();
  }
}

}  // namespace
}  // namespace torvex::games
