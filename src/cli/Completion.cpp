// SPDX-License-Identifier: MIT
// torvex-ctl completion bash|zsh|fish: the shell's completion script, made
// from the command table, the options and the setting names, so it offers
// exactly what --help lists. The build writes all three for the package.
#include <functional>

#include "board/SettingNames.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

// What a command's first operand is, read from its synopsis.
enum class Operand { None, Profile, Setting, Word };

struct Flag {
  QString name;       // "--json", "-h"
  QString valueName;  // "N"; empty for a switch
  QString help;
};

struct Completable {
  QString name;
  QString summary;
  Operand operand = Operand::None;
  QStringList words;         // Word: "x", "y"
  bool runsCommand = false;  // "-- COMMAND [ARGS...]" follows
  QList<Flag> flags;
};

struct Setting {
  QString name;
  QStringList words;  // empty: it takes a number
};

// "Changes settings, paced. Then..." -> "Changes settings, paced"
QString Sentence(const QString& text) {
  QString s = text.section(QStringLiteral(". "), 0, 0);
  if (s.endsWith(u'.')) s.chop(1);
  return s;
}

// Single-quoted for bash, zsh and fish alike.
QString Quoted(QString text) {
  return "'" + text.replace(u'\'', QStringLiteral("'\\''")) + "'";
}

QList<Flag> Flags(const QList<QCommandLineOption>& options) {
  QList<Flag> flags;
  for (const QCommandLineOption& o : options) {
    if (o.flags() & QCommandLineOption::HiddenFromHelp) continue;
    for (const QString& n : o.names())
      flags.append({(n.size() == 1 ? "-" : "--") + n, o.valueName(), Sentence(o.description())});
  }
  return flags;
}

QList<Completable> AllCommands() {
  QList<Completable> all;
  for (const Command& cmd : Commands()) {
    if (cmd.hidden) continue;
    const QString synopsis = QString::fromUtf8(cmd.synopsis);
    const QString first = synopsis.section(u' ', 0, 0);
    Completable c{cmd.name, Sentence(cmd.summary), Operand::None, {}, false, {}};
    c.runsCommand = synopsis.contains(QStringLiteral(" -- "));
    c.flags = Flags(cmd.options());
    if (first.startsWith(QStringLiteral("NAME="))) {
      c.operand = Operand::Setting;
    } else if (first.startsWith(QStringLiteral("NAME|")) || first == QStringLiteral("PROFILE")) {
      c.operand = Operand::Profile;
    } else if (first.contains(u'|') && first == first.toLower()) {
      c.operand = Operand::Word;
      c.words = first.split(u'|');
    }
    all.append(c);
  }
  return all;
}

QList<Setting> AllSettingNames() {
  QList<Setting> all;
  for (board::SettingId id : board::AllSettings()) {
    QStringList words = board::SettingValueWords(id);
    words.removeAll(QString());
    all.append({board::SettingName(id), words});
  }
  return all;
}

QStringList NamesWhere(const QList<Completable>& commands,
                       const std::function<bool(const Completable&)>& pick) {
  QStringList names;
  for (const Completable& c : commands)
    if (pick(c)) names << c.name;
  return names;
}

// Every option that takes a value, as a shell pattern: "--board|--seconds".
QString ValuedFlags(const QList<Flag>& global, const QList<Completable>& commands) {
  QStringList names;
  for (const Flag& f : global)
    if (!f.valueName.isEmpty()) names << f.name;
  for (const Completable& c : commands)
    for (const Flag& f : c.flags)
      if (!f.valueName.isEmpty() && !names.contains(f.name)) names << f.name;
  return names.join(u'|');
}

QString FlagNames(const QList<Flag>& flags) {
  QStringList names;
  for (const Flag& f : flags) names << f.name;
  return names.join(u' ');
}

QString Bash(const QList<Flag>& global, const QList<Completable>& commands,
             const QList<Setting>& settings) {
  const QString valued = ValuedFlags(global, commands);
  const auto names = [&](auto pick) { return NamesWhere(commands, pick).join(u'|'); };
  QString s =
      QStringLiteral(R"sh(# bash completion for torvex-ctl, made by `torvex-ctl completion bash`

_torvex_ctl_profiles() {
  local f
  for f in "${XDG_CONFIG_HOME:-$HOME/.config}"/torvex-config/profiles/*.toml; do
    [[ -f $f && $f != */links.toml ]] || continue
    f=${f##*/}
    printf '%s\n' "${f%.toml}"
  done
}

_torvex_ctl() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local cmd= operands=0 demo= i w
  for ((i = 1; i < COMP_CWORD; i++)); do
    w=${COMP_WORDS[i]}
    case $w in
      --demo) demo=--demo ;;
      )sh") +
      valued + QStringLiteral(R"sh() [[ ${COMP_WORDS[i + 1]} == = ]] && ((i++)); ((i++)) ;;
      --)
        case $cmd in
          )sh") +
      names([](const Completable& c) { return c.runsCommand; }) + QStringLiteral(R"sh()
            if declare -F _command_offset >/dev/null; then
              _command_offset $((i + 1))
            elif ((i + 1 == COMP_CWORD)); then
              COMPREPLY=($(compgen -c -- "$cur"))
            else
              COMPREPLY=($(compgen -f -- "$cur"))
            fi
            return ;;
        esac ;;
      -*) ;;
      *) if [[ -z $cmd ]]; then cmd=$w; else ((operands++)); fi ;;
    esac
  done

  # Readline splits NAME=VALUE at "=", so the value may come as a word of its own.
  local name= value=$cur prefix=
  if [[ $cur == = ]]; then
    name=$prev value=
  elif [[ $prev == = ]]; then
    name=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == *=* ]]; then
    name=${cur%%=*} value=${cur#*=} prefix=${cur%%=*}=
  fi

  if [[ $prev == --board || $name == --board ]]; then
    COMPREPLY=($(compgen -P "$prefix" -W "$("$1" $demo list 2>/dev/null |
      awk 'NR > 1 && $1 != "-" { print $1 }')" -- "$value"))
    return
  fi
  case $prev in )sh") +
      valued + QStringLiteral(R"sh() return ;;
  esac

  if [[ $cur == -* ]]; then
    local flags=)sh") +
      Quoted(FlagNames(global)) + QStringLiteral(R"sh(
    case $cmd in
)sh");
  for (const Completable& c : commands)
    if (!c.flags.isEmpty())
      s += QStringLiteral("      %1) flags+=%2 ;;\n").arg(c.name, Quoted(" " + FlagNames(c.flags)));
  s += QStringLiteral(R"sh(    esac
    COMPREPLY=($(compgen -W "$flags" -- "$cur"))
    return
  fi

  case $cmd in
    '')
      COMPREPLY=($(compgen -W )sh") +
       Quoted(NamesWhere(commands, [](const Completable&) { return true; }).join(u' ')) +
       QStringLiteral(R"sh( -- "$cur")) ;;
    )sh") +
       names([](const Completable& c) { return c.operand == Operand::Setting; }) +
       QStringLiteral(R"sh()
      local words=
      case $name in
)sh");
  for (const Setting& setting : settings)
    if (!setting.words.isEmpty())
      s += QStringLiteral("        %1) words=%2 ;;\n")
               .arg(setting.name, Quoted(setting.words.join(u' ')));
  QStringList settingNames;
  for (const Setting& setting : settings) settingNames << setting.name;
  s += QStringLiteral(R"sh(        '')
          COMPREPLY=($(compgen -S = -W )sh") +
       Quoted(settingNames.join(u' ')) + QStringLiteral(R"sh( -- "$cur"))
          compopt -o nospace 2>/dev/null
          return ;;
      esac
      COMPREPLY=($(compgen -P "$prefix" -W "$words" -- "$value")) ;;
    )sh") +
       names([](const Completable& c) { return c.operand == Operand::Profile; }) +
       QStringLiteral(R"sh()
      if [[ $cur == */* ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
      elif ((operands == 0)); then
        COMPREPLY=($(compgen -W "$(_torvex_ctl_profiles)" -- "$cur"))
      fi ;;
)sh");
  for (const Completable& c : commands)
    if (c.operand == Operand::Word)
      s += QStringLiteral(
               "    %1) ((operands == 0)) && COMPREPLY=($(compgen -W %2 -- \"$cur\")) ;;\n")
               .arg(c.name, Quoted(c.words.join(u' ')));
  s += QStringLiteral(R"sh(  esac
}

complete -F _torvex_ctl torvex-ctl
)sh");
  return s;
}

}  // namespace

int RunCompletion(Context& c) {
  const QList<Flag> global = Flags(GlobalOptions());
  const QList<Completable> commands = AllCommands();
  const QList<Setting> settings = AllSettingNames();
  const QString shell = c.operands.size() == 1 ? c.operands.first() : QString();
  if (shell == QLatin1String("bash"))
    c.io.out << Bash(global, commands, settings);
  else
    return Fail(c, kUsage, "completion takes bash, zsh or fish");
  return kDone;
}

}  // namespace torvex::cli
