#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Idle cost of the real torvex-config with no board: the CPU time it burns
# (utime + stime of all its threads, from /proc/<pid>/stat) over a window that
# starts once its start-up has settled. Prints one row of bench/run.sh's table.
#   bench/idle-cpu.sh [seconds] [torvex-config]    default 60 s, build/default/src
#   IDLE_DISPLAY=xvfb bench/idle-cpu.sh            under Xvfb (default: offscreen)
#   IDLE_UDEV=daemon bench/idle-cpu.sh             with a udev daemon: the window sleeps on its
#                                                  watch; one is started for the measure (as
#                                                  root) and stopped after, if none runs
#   IDLE_UDEV=none bench/idle-cpu.sh               without one: the window rescans every tick
# (default: the machine as it is). Where udev runs the goal is at most 0.05 % of one
# core. /proc counts in clock ticks, so the row also gives the ticks: over 60 s one
# tick is 0.017 %.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
program=${2:-build/default/src/torvex-config}
settle=${IDLE_SETTLE_SECONDS:-3}
control=/run/udev/control  # made by a running udev daemon
udevd=${UDEVD:-/lib/systemd/systemd-udevd}
[ -x "$program" ] || { echo "no $program: build it first" >&2; exit 1; }
udev=${IDLE_UDEV:-$([ -e "$control" ] && echo daemon || echo none)}

pids=()
started_udevd=
made_run_udev=
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  if [ -n "$started_udevd" ]; then
    udevadm control --exit 2>/dev/null || true
    # It leaves its socket behind, which would stand for a running daemon.
    if [ -n "$made_run_udev" ]; then rm -rf /run/udev; else rm -f "$control"; fi
  fi
}
trap cleanup EXIT

case "$udev" in
  daemon)
    if [ ! -e "$control" ]; then
      [ "$(id -u)" = 0 ] && [ -x "$udevd" ] ||
        { echo "no udev daemon runs, and this user cannot start $udevd" >&2; exit 1; }
      [ -d /run/udev ] || made_run_udev=1
      started_udevd=1
      "$udevd" --daemon >/dev/null 2>&1
      for _ in $(seq 50); do [ -e "$control" ] && break; sleep 0.1; done
      [ -e "$control" ] || { echo "$udevd made no $control" >&2; exit 1; }
    fi
    goal=0.05 udev_text="udev daemon running" ;;
  none)
    [ ! -e "$control" ] || { echo "$control is there: stop the udev daemon first" >&2; exit 1; }
    goal=- udev_text="no udev daemon, a rescan every tick" ;;
  *) echo "IDLE_UDEV is daemon or none" >&2; exit 1 ;;
esac

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
if [ "$goal" = - ]; then
  verdict=- goal_text=-
else
  verdict=$(awk -v v="$share" -v g="$goal" 'BEGIN {print (v <= g) ? "pass" : "FAIL"}')
  goal_text="<= ${goal} % of a core"
fi
echo "| Idle: CPU of torvex-config with no board, ${udev_text}, over ${seconds} s (${where}) | ${goal_text} | ${share} % (${used} ticks of 1/${hz} s) | ${verdict} |"
