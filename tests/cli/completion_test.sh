#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The generated completion scripts: bash's offers, run as readline would call
# it; zsh's and fish's parse where those shells are installed.
# usage: completion_test.sh <folder with torvex-ctl.bash, _torvex-ctl, torvex-ctl.fish>
set -u
dir=$1
failures=0
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
mkdir -p "$XDG_CONFIG_HOME/torvex-config/profiles"
touch "$XDG_CONFIG_HOME"/torvex-config/profiles/{race,drift,links}.toml

# What completing the end of LINE offers, one line each, sorted. Readline
# splits words at blanks and at "=".
offers() {
  local line=$1 COMPREPLY=()
  local COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS COMP_CWORD
  read -ra COMP_WORDS <<<"${line//=/ = }"
  [[ $line == *' ' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _torvex_ctl torvex-ctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}

source "$dir/torvex-ctl.bash"
while IFS='|' read -r line want; do
  got=$(offers "$line")
  [ "$got" = "$want" ] || { echo "FAIL: '$line' offers '$got', want '$want'"; failures=$((failures + 1)); }
done <<'CASES'
torvex-ctl ap|apply
torvex-ctl set analog-m|analog-mode=
torvex-ctl set analog-mode=|dual-clutch throttle-and-brake
torvex-ctl set led=5 x-curve=s|s-curve
torvex-ctl calibrate |x y
torvex-ctl --bo|--board
torvex-ctl monitor --s|--seconds
torvex-ctl apply |drift race
torvex-ctl --board X1 diff r|race
torvex-ctl apply race |
CASES

for f in torvex-ctl.bash _torvex-ctl torvex-ctl.fish; do
  [ -s "$dir/$f" ] || { echo "FAIL: $f is empty"; failures=$((failures + 1)); }
done
if command -v zsh >/dev/null; then zsh -n "$dir/_torvex-ctl" || failures=$((failures + 1)); fi
if command -v fish >/dev/null; then fish -n "$dir/torvex-ctl.fish" || failures=$((failures + 1)); fi
[ $failures -eq 0 ] && echo "completion: all offers as expected"
exit $((failures > 0))
