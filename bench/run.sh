#!/usr/bin/env bash
# Builds the benchmarks if needed, runs them all and prints one table:
# figure, goal, measured, result. Takes about a minute once built.
#   bench/run.sh             (build dir: build/default, the default preset)
#   BUILD_DIR=build/x bench/run.sh
#   IDLE_SECONDS=20          (how long the idle cost is measured)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/default}
if [ "$build" = build/default ]; then
  cmake --preset default -DTORVEX_BUILD_BENCHMARKS=ON >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVEX_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build" --target torvex_bench torvex_bench_startup >/dev/null
export QT_QPA_PLATFORM=offscreen

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
echo "Running the window and core benchmarks..." >&2
"$build/bench/torvex_bench" 2>/dev/null | grep '^| ' >"$rows"
echo "Running start-up, memory and idle (about $((${IDLE_SECONDS:-20} + 12)) s)..." >&2
"$build/bench/torvex_bench_startup" "${IDLE_SECONDS:-20}" 2>/dev/null | grep '^| ' >>"$rows"

echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| Figure | Goal | Measured | Result |"
echo "|---|---|---|---|"
cat "$rows"
! grep -q '| FAIL |$' "$rows"
