// SPDX-License-Identifier: MIT
// torvex-ctl completion bash|zsh|fish: made from the command table, options and setting
// names, so it offers what --help lists. The build writes all three for the package.
#include <QMap>
#include <QRegularExpression>
#include <optional>

#include "board/SettingNames.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

// What a command's first operand is, read from its synopsis.
enum class Operand { None, Profile, Setting, Word, Command };  // Command: PROFILE -- COMMAND

struct Flag {
  QString name;       // "--json", "-h"
  QString valueName;  // "N"; empty for a switch
  QString help;
};

struct Completable {
  QString name;
  QString summary;
  Operand operand = Operand::None;
  QStringList words;  // Word: "x", "y"
  QList<Flag> flags;
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
    const bool words = first.contains(u'|') && first == first.toLower();  // "x|y"
    const Operand operand = synopsis.contains(" -- ")                         ? Operand::Command
                            : first.startsWith("NAME=")                       ? Operand::Setting
                            : first.startsWith("NAME|") || first == "PROFILE" ? Operand::Profile
                            : words                                           ? Operand::Word
                                                                              : Operand::None;
    all.append({cmd.name, Sentence(cmd.summary), operand, words ? first.split(u'|') : QStringList(),
                Flags(cmd.options())});
  }
  return all;
}

// The commands whose first operand is that; every command without one.
QStringList Names(const QList<Completable>& commands, std::optional<Operand> operand = {}) {
  QStringList names;
  for (const Completable& c : commands)
    if (!operand || c.operand == *operand) names << c.name;
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

// One case per list setting: format's %1 its name, %2 its words.
QString SettingWordsCases(const QString& format) {
  QString s;
  for (board::SettingId id : board::AllSettings())
    if (QStringList words = board::SettingValueWords(id).filter(QRegularExpression("."));
        !words.isEmpty())
      s += format.arg(board::SettingName(id), words.join(u' '));
  return s;
}

QString SettingNames() {
  QStringList names;
  for (board::SettingId id : board::AllSettings()) names << board::SettingName(id);
  return names.join(u' ');
}

// The script with each @KEY@ replaced by its text.
QString Filled(QString script, const QList<std::pair<const char*, QString>>& values) {
  for (const auto& [key, text] : values) script.replace(QStringLiteral("@%1@").arg(key), text);
  return script;
}

QString Bash(const QList<Flag>& global, const QList<Completable>& commands) {
  QString flagCases, wordCases;
  for (const Completable& c : commands) {
    if (!c.flags.isEmpty())
      flagCases +=
          QStringLiteral("      %1) flags+=%2 ;;\n").arg(c.name, Quoted(" " + FlagNames(c.flags)));
    if (c.operand == Operand::Word)
      wordCases += QStringLiteral(
                       "    %1) ((operands == 0)) && COMPREPLY=($(compgen -W %2 -- \"$cur\")) ;;\n")
                       .arg(c.name, Quoted(c.words.join(u' ')));
  }
  return Filled(
      QStringLiteral(R"sh(# bash completion for torvex-ctl, made by `torvex-ctl completion bash`

_torvex_ctl_profiles() {
  local f
  for f in "${XDG_CONFIG_HOME:-$HOME/.config}"/torvex-config/profiles/*.toml; do
    [[ -f $f && $f != */links.toml ]] && f=${f##*/} && printf '%s\n' "${f%.toml}"
  done
}

_torvex_ctl() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local cmd= operands=0 demo= i w
  for ((i = 1; i < COMP_CWORD; i++)); do
    w=${COMP_WORDS[i]}
    case $w in
      --demo) demo=--demo ;;
      @VALUED@) [[ ${COMP_WORDS[i + 1]} == = ]] && ((i++)); ((i++)) ;;
      --) case $cmd in @RUNS@) _command_offset $((i + 1)) && return ;; esac ;;
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
  case $prev in @VALUED@) return ;; esac

  if [[ $cur == -* ]]; then
    local flags=@GLOBAL@
    case $cmd in
@FLAG_CASES@    esac
    COMPREPLY=($(compgen -W "$flags" -- "$cur"))
    return
  fi

  case $cmd in
    '') COMPREPLY=($(compgen -W @COMMANDS@ -- "$cur")) ;;
    @SET@)
      local words=
      case $name in
@SETTING_CASES@        '')
          COMPREPLY=($(compgen -S = -W @SETTINGS@ -- "$cur"))
          compopt -o nospace 2>/dev/null
          return ;;
      esac
      COMPREPLY=($(compgen -P "$prefix" -W "$words" -- "$value")) ;;
    @PROFILE@)
      if [[ $cur == */* ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
      elif ((operands == 0)); then
        COMPREPLY=($(compgen -W "$(_torvex_ctl_profiles)" -- "$cur"))
      fi ;;
@WORD_CASES@  esac
}

complete -F _torvex_ctl torvex-ctl
)sh"),
      {{"VALUED", ValuedFlags(global, commands)},
       {"RUNS", Names(commands, Operand::Command).join(u'|')},
       {"GLOBAL", Quoted(FlagNames(global))},
       {"FLAG_CASES", flagCases},
       {"COMMANDS", Quoted(Names(commands).join(u' '))},
       {"SET", Names(commands, Operand::Setting).join(u'|')},
       {"SETTING_CASES", SettingWordsCases("        %1) words='%2' ;;\n")},
       {"SETTINGS", Quoted(SettingNames())},
       {"PROFILE",
        (Names(commands, Operand::Profile) + Names(commands, Operand::Command)).join(u'|')},
       {"WORD_CASES", wordCases}});
}

// One _arguments entry: '--seconds=[Stop after N seconds]:N:'.
QString ZshFlag(const Flag& f, const QString& action = {}) {
  const QString help = QString(f.help).replace(u'[', u'(').replace(u']', u')');
  if (f.valueName.isEmpty()) return Quoted(f.name + "[" + help + "]");
  return Quoted(f.name + "=[" + help + "]:" + f.valueName + ":" + action);
}

QString Zsh(const QList<Flag>& global, const QList<Completable>& commands) {
  QString globalSpecs, commandList, commandCases;
  for (const Flag& f : global)
    globalSpecs += "    " + ZshFlag(f, f.name == "--board" ? "_torvex-ctl_boards" : "") + "\n";
  for (const Completable& c : commands) {
    commandList += "        " + Quoted(c.name + ":" + c.summary) + "\n";
    QStringList specs{"$global"};
    for (const Flag& f : c.flags) specs << ZshFlag(f);
    if (c.operand == Operand::Setting) specs << "'*:setting:_torvex-ctl_settings'";
    if (c.operand == Operand::Profile || c.operand == Operand::Command)
      specs << "'1:profile:_torvex-ctl_profiles'";
    if (c.operand == Operand::Command) specs << "'2:separator:(--)' '*::command:_normal'";
    if (c.operand == Operand::Word) specs << Quoted("1:operand:(" + c.words.join(u' ') + ")");
    commandCases +=
        QStringLiteral("        %1) _arguments %2 && ret=0 ;;\n").arg(c.name, specs.join(u' '));
  }
  return Filled(QStringLiteral(R"sh(#compdef torvex-ctl
# zsh completion for torvex-ctl, made by `torvex-ctl completion zsh`

_torvex-ctl_profiles() {
  local -a names
  names=(${XDG_CONFIG_HOME:-$HOME/.config}/torvex-config/profiles/*.toml(N.:t:r))
  _wanted profiles expl profile compadd -- ${names:#links}
  [[ $PREFIX == */* ]] && _files
}

_torvex-ctl_boards() {
  local demo
  [[ $BUFFER == *' --demo'* ]] && demo=--demo
  _wanted boards expl serial compadd -- ${(f)"$(_call_program boards torvex-ctl $demo list \
    2>/dev/null | awk 'NR > 1 && $1 != "-" { print $1 }')"}
}

_torvex-ctl_settings() {
  local name=${PREFIX%%=*}
  if compset -P '*='; then
    case $name in
@SETTING_CASES@      *) _message -e values value ;;
    esac
  else
    _wanted settings expl setting compadd -S = -- @SETTINGS@
  fi
}

_torvex-ctl() {
  local curcontext=$curcontext state line ret=1
  local -a global=(
@GLOBAL@  )
  _arguments -C $global '1:command:->command' '*::argument:->argument' && ret=0
  case $state in
    command)
      local -a commands=(
@COMMANDS@      )
      _describe -t commands command commands && ret=0 ;;
    argument)
      curcontext=${curcontext%:*:*}:torvex-ctl-$words[1]:
      case $words[1] in
@COMMAND_CASES@      esac ;;
  esac
  return ret
}

_torvex-ctl "$@"
)sh"),
                {{"SETTING_CASES",
                  SettingWordsCases("      %1) _wanted values expl value compadd -- %2 ;;\n")},
                 {"SETTINGS", SettingNames()},
                 {"GLOBAL", globalSpecs},
                 {"COMMANDS", commandList},
                 {"COMMAND_CASES", commandCases}});
}

// The options of a complete line: -s h -l help -d 'Show help'.
QString FishFlag(const Flag& f) {
  return (f.name.startsWith("--") ? " -l " + f.name.mid(2) : " -s " + f.name.mid(1)) +
         (f.valueName.isEmpty() ? "" : " -x") + " -d " + Quoted(f.help);
}

QString Fish(const QList<Flag>& global, const QList<Completable>& commands) {
  QString lines;
  for (const Flag& f : global)
    lines += "complete -c torvex-ctl" + FishFlag(f) +
             (f.name == "--board" ? " -a '(__torvex_ctl_boards)'" : "") + "\n";
  for (const Completable& c : commands) {
    lines += QStringLiteral(
                 "complete -c torvex-ctl -n 'test (count (__torvex_ctl_args)) -eq 0' -a %1 -d %2\n")
                 .arg(c.name, Quoted(c.summary));
    for (const Flag& f : c.flags)
      lines += QStringLiteral("complete -c torvex-ctl -n '__torvex_ctl_is %1'%2\n")
                   .arg(c.name, FishFlag(f));
    if (c.operand == Operand::Word)
      lines += QStringLiteral("complete -c torvex-ctl -n '__torvex_ctl_first %1' -a %2\n")
                   .arg(c.name, Quoted(c.words.join(u' ')));
  }
  return Filled(
      QStringLiteral(R"sh(# fish completion for torvex-ctl, made by `torvex-ctl completion fish`

# The command word and its operands typed so far; a "--" and what follows it.
function __torvex_ctl_args
    set -l words (commandline -opc)
    set -e words[1]
    set -l skip 0
    for w in $words
        if test $skip = 1
            set skip 0
        else if contains -- $w @VALUED@
            set skip 1
        else if test $w = --; or not string match -q -- '-*' $w
            printf '%s\n' $w
        end
    end
end

# The command is one of the arguments (__torvex_ctl_first: and has no operand yet).
function __torvex_ctl_is
    set -l args (__torvex_ctl_args)
    set -q args[1]; and contains -- $args[1] $argv
end
function __torvex_ctl_first
    test (count (__torvex_ctl_args)) -eq 1; and __torvex_ctl_is $argv
end

function __torvex_ctl_profiles
    set -l dir ~/.config
    test -n "$XDG_CONFIG_HOME"; and set dir $XDG_CONFIG_HOME
    for f in $dir/torvex-config/profiles/*.toml
        set -l name (basename $f .toml)
        test $name = links; or echo $name
    end
end

function __torvex_ctl_boards
    set -l words (commandline -opc)
    set -l demo
    contains -- --demo $words; and set demo --demo
    command -q $words[1]; and $words[1] $demo list 2>/dev/null | awk 'NR > 1 && $1 != "-" { print $1 }'
end

function __torvex_ctl_settings
    set -l cur (commandline -ct)
    if not string match -q -- '*=*' $cur
        printf '%s=\n' @SETTINGS@
        return
    end
    set -l name (string split -m 1 = -- $cur)[1]
    switch $name
@SETTING_CASES@    end
end

complete -c torvex-ctl -f
complete -c torvex-ctl -n '__torvex_ctl_is @SET@' -a '(__torvex_ctl_settings)'
complete -c torvex-ctl -n '__torvex_ctl_first @PROFILE@' -a '(__torvex_ctl_profiles)'
complete -c torvex-ctl -n '__torvex_ctl_is @RUNS@; and contains -- -- (__torvex_ctl_args)' -F -a '(__fish_complete_command)'
@LINES@)sh"),
      {{"VALUED", ValuedFlags(global, commands).replace(u'|', u' ')},
       {"SETTINGS", SettingNames()},
       {"SETTING_CASES",
        SettingWordsCases("        case %1\n            printf \"$name=%s\\n\" %2\n")},
       {"SET", Names(commands, Operand::Setting).join(u' ')},
       {"PROFILE",
        (Names(commands, Operand::Profile) + Names(commands, Operand::Command)).join(u' ')},
       {"RUNS", Names(commands, Operand::Command).join(u' ')},
       {"LINES", lines}});
}

}  // namespace

int RunCompletion(Context& c) {
  using Script = QString (*)(const QList<Flag>&, const QList<Completable>&);
  const QMap<QString, Script> scripts{{"bash", Bash}, {"zsh", Zsh}, {"fish", Fish}};
  const Script script = c.operands.size() == 1 ? scripts.value(c.operands.first()) : nullptr;
  if (!script) return Fail(c, kUsage, "completion takes bash, zsh or fish");
  c.io.out << script(Flags(GlobalOptions()), AllCommands());
  return kDone;
}

}  // namespace torvex::cli
