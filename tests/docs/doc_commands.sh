#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every torvex-ctl line of the ```sh blocks of the given documents on a
# demo board, in a scratch home, so that no documented command goes stale: each
# must exit as the README's exit-code table allows (0; diff also 1).
# The other lines of those blocks are not run here: scripts/test.sh (with the
# cmake and cpack steps it takes itself) is what CI runs (.ci/run);
# scripts/demo.sh opens a window and bench/*.sh measure for minutes; sudo, apt,
# udevadm and systemctl change the machine.
# usage: doc_commands.sh <torvex-ctl> <document>...
set -uf -o pipefail
ctl=$(realpath "$1")
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
awk '/^```/ { sh = ($0 == "```sh"); next } sh && /^torvex-ctl / { print FILENAME "\t" $0 }' "$@" >"$work/lines"
mkdir -p "$HOME/Downloads" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR" && cd "$work" || exit 1
torvex-ctl() { "$ctl" --demo --board TVX-24A-0342 "$@"; }
# The subcommand: the first word after torvex-ctl that is no option or option value.
command_of() {
  local words=($1) i=1
  while [[ ${words[i]:-} == --* ]]; do [[ ${words[i]} == --board ]] && ((i++)); ((i++)); done
  echo "${words[i]:-}"
}

ran=0 failed=0
run() { # document, line, allowed exit codes
  eval "$2" >/dev/null 2>err
  local rc=$?
  ((ran++))
  [[ " $3 " == *" $rc "* ]] || { echo "FAIL $1: $2: exit $rc, allowed $3" && head -n 3 err && ((failed++)); }
}
# Profiles the examples use without saving them; the documents' own saves come first.
for p in karts everyday ~/Downloads/rally-wet.toml; do torvex-ctl save "$p" 2>/dev/null; done
while IFS=$'\t' read -r doc line; do
  [[ $(command_of "$line") == save ]] && run "$doc" "$line" 0
done <lines
while IFS=$'\t' read -r doc line; do
  line=${line%% #*} && line=${line%"${line##*[! ]}"}
  [[ $line == *sudo* ]] && { echo "skip $doc: $line: changes the machine" && continue; }
  case $(command_of "$line") in
    save) ;;
    agent | run) echo "skip $doc: $line: runs until stopped, or starts a game" ;;
    calibrate) echo "skip $doc: $line: waits for a hand on the paddle" ;;
    diff) run "$doc" "$line" "0 1" ;;
    *) run "$doc" "$line" 0 ;;
  esac
done <lines
echo "$ran commands run, $failed failed"
((ran > 0 && failed == 0))
