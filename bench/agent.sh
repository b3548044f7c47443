#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The agent's figures: its CPU over a span with 300 and with 1,000 of the
# user's processes (the real backend, as users run it, with no board), and on
# the demo's two emulated boards (real-time pauses)
# the time from a linked game's start to the first frame of its profile, and
# from its end to the first frame putting back the settings before (the times
# of frames from the agent's own log). Prints rows of bench/run.sh's table.
#   bench/agent.sh [seconds] [torvex-ctl]    default 60 s, build/default/src/cli/torvex-ctl
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
ctl=$(realpath "${2:-build/default/src/cli/torvex-ctl}")
[ -x "$ctl" ] || { echo "no $ctl: build it first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
demo=(--demo)
# Each demo process has boards of its own: the profile is the demo board's, the master clutch swapped.
"$ctl" "${demo[@]}" --board TVX-24A-0342 save gt3 2>/dev/null
profile=$XDG_CONFIG_HOME/torvex-config/profiles/gt3.toml
sed -i 's/^master-clutch = "left"/master-clutch = "X"/; s/^master-clutch = "right"/master-clutch = "left"/; s/^master-clutch = "X"/master-clutch = "right"/' "$profile"
"$ctl" link gt3 --exe torvex-bench-game 2>/dev/null

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Seconds since boot, as the agent's log stamps its frames.
now() { cut -d' ' -f1 /proc/uptime; }
# Starts the agent (with any options given) with its stderr in a file; waits for it to watch.
start_agent() {
  : >"$work/agent.log"
  QT_LOGGING_RULES="torvex.protocol.debug=true" QT_MESSAGE_PATTERN="%{time boot} %{message}" \
    "$ctl" "$@" agent 2>"$work/agent.log" &
  agent=$!
  pids+=("$agent")
  until grep -q watching "$work/agent.log"; do sleep 0.05; done
}
# Milliseconds from $1 to the first frame logged after it, once the log has
# $2 lines matching $3 (the switch is over).
first_frame_after() {
  local from=$1 want=$2 pattern=$3
  until [ "$(grep -c "$pattern" "$work/agent.log")" -ge "$want" ]; do sleep 0.01; done
  awk -v a="$from" '$2 == "sent" && $1 >= a {printf "%.0f", ($1 - a) * 1000; exit}' "$work/agent.log"
}

hz=$(getconf CLK_TCK)
for processes in 300 1000; do
  have=$(find /proc -maxdepth 1 -regex '/proc/[0-9]+' -user "$(id -u)" | wc -l)
  for _ in $(seq $((processes - have))); do sleep $((seconds + 30)) & pids+=($!); done
  start_agent
  sleep 2  # its first look at every process is not idle
  before=$(ticks "$agent")
  sleep "$seconds"
  used=$(($(ticks "$agent") - before))
  share=$(awk -v t="$used" -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.3f", t / hz / s * 100}')
  verdict=$(awk -v v="$share" 'BEGIN {print (v <= 0.02) ? "pass" : "FAIL"}')
  echo "| Agent: CPU with $processes processes of the user, no board, over ${seconds} s (\`/proc\`) | <= 0.02 % of a core | - | ${share} % (${used} ticks of 1/${hz} s) | ${verdict} |"
  kill "$agent"
  wait "$agent" 2>/dev/null || true
done
for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
pids=()

start_agent "${demo[@]}"
starts=() ends=()
for round in 1 2 3 4 5; do
  sleep 0.$((RANDOM % 10))  # anywhere in the agent's second
  t0=$(now)
  bash -c 'exec -a torvex-bench-game sleep 30' &
  game=$!
  starts+=("$(first_frame_after "$t0" $((round * 2)) ' holds gt3')")
  t0=$(now)
  kill "$game"
  wait "$game" 2>/dev/null || true
  ends+=("$(first_frame_after "$t0" $((round * 2)) 'held before')")
done
worst() { printf '%s\n' "$@" | sort -n | tail -1; }
verdict() { [ "$1" -le "$2" ] && echo pass || echo FAIL; }
s=$(worst "${starts[@]}") e=$(worst "${ends[@]}")
echo "| Agent: a linked game's start to the first frame of its profile, worst of 5 | <= 1500 ms | - | ${s} ms (${starts[*]}) | $(verdict "$s" 1500) |"
echo "| Agent: a linked game's end to the first frame putting the board back, worst of 5 | <= 500 ms | - | ${e} ms (${ends[*]}) | $(verdict "$e" 500) |"
