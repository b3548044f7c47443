#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks if needed, runs them all and prints one table:
# figure, goal, measured, result. Takes about three and a half minutes once built.
#   bench/run.sh             (build dir: build/default, the default preset)
#   BUILD_DIR=build/x bench/run.sh
#   IDLE_SECONDS=20          (how long the start-up probe measures idle cost)
#   IDLE_WINDOW_SECONDS=60   (the long idle measures, bench/idle-cpu.sh, with and without a
#                            udev daemon; 0 skips them)
#   IDLE_DISPLAY=xvfb        (that measure under Xvfb instead of offscreen)
#   AGENT_SECONDS=60         (the agent's CPU measures, bench/agent.sh; 0 skips them)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/default}
if [ "$build" = build/default ]; then
  cmake --preset default -DTORVEX_BUILD_BENCHMARKS=ON >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVEX_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build" --target torvex_bench torvex_bench_startup torvex-config torvex-ctl >/dev/null
export QT_QPA_PLATFORM=offscreen

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
echo "Running the window and core benchmarks..." >&2
"$build/bench/torvex_bench" 2>/dev/null | grep '^| ' >"$rows"
echo "Running start-up, memory and idle (about $((${IDLE_SECONDS:-20} + 12)) s)..." >&2
"$build/bench/torvex_bench_startup" "${IDLE_SECONDS:-20}" 2>/dev/null | grep '^| ' >>"$rows"
idle_window=${IDLE_WINDOW_SECONDS:-60}
if [ "$idle_window" -gt 0 ]; then
  # Without a daemon first: the one started for the other measure is gone after it.
  for udev in none daemon; do
    echo "Running the long idle measure, udev: $udev (about $((idle_window + 3)) s)..." >&2
    IDLE_UDEV=$udev bench/idle-cpu.sh "$idle_window" "$build/src/torvex-config" >>"$rows" ||
      echo "  not measured" >&2
  done
fi

agent_seconds=${AGENT_SECONDS:-60}
if [ "$agent_seconds" -gt 0 ]; then
  echo "Running the agent's measures (about $((agent_seconds * 2 + 20)) s)..." >&2
  bench/agent.sh "$agent_seconds" "$build/src/cli/torvex-ctl" >>"$rows" || echo "  not measured" >&2
fi

echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| Figure | Goal | Measured | Result |"
echo "|---|---|---|---|"
cat "$rows"
! grep -q '| FAIL |$' "$rows"
