#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Idle cost of the real torvex-config with no board: the CPU time it burns
# (utime + stime of all its threads, from /proc/<pid>/stat) over a window that
# starts once its start-up has settled. Prints one row of bench/run.sh's table.
#   bench/idle-cpu.sh [seconds] [torvex-config]    default 60 s, build/default/src
#   IDLE_DISPLAY=xvfb bench/idle-cpu.sh            under Xvfb (default: offscreen)
# The goal is at most 0.05 % of one core. /proc counts in clock ticks, so the
# row also gives the ticks: over 60 s one tick is 0.017 %.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
program=${2:-build/default/src/torvex-config}
settle=${IDLE_SETTLE_SECONDS:-3}
goal=0.05
[ -x "$program" ] || { echo "no $program: build it first" >&2; exit 1; }

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

if [ "${IDLE_DISPLAY:-offscreen}" = xvfb ]; then
  display=$((100 + RANDOM % 800))
  Xvfb ":$display" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
  where="Xvfb"
else
  QT_QPA_PLATFORM=offscreen "$program" >/dev/null 2>&1 &
  where="offscreen"
fi
pid=$!
pids=("$pid" "${pids[@]}")

# Fields after the command name (which may hold spaces): utime is field 14, stime 15.
ticks() {
  local rest
  rest=$(sed 's/.*) //' "/proc/$pid/stat")
  echo "$rest" | awk '{print $12 + $13}'
}

sleep "$settle"
kill -0 "$pid" 2>/dev/null || { echo "torvex-config exited during start-up" >&2; exit 1; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
used=$((after - before))
share=$(awk -v t="$used" -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.3f", t / hz / s * 100}')
verdict=$(awk -v v="$share" -v g="$goal" 'BEGIN {print (v <= g) ? "pass" : "FAIL"}')
echo "| Idle: CPU of torvex-config with no board, over ${seconds} s (${where}) | <= ${goal} % of a core | ${share} % (${used} ticks of 1/${hz} s) | ${verdict} |"
