#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets (fuzz preset, clang) and runs each for the given
# number of seconds (default 30) from its seed corpus. New inputs go to a
# scratch corpus under build/fuzz, never into the seeds; a crash leaves its
# input in build/fuzz/findings and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(report_descriptor records input_report percent_text profile)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target torvex_fuzzers

out=build/fuzz/findings
mkdir -p "$out"
status=0
for t in "${targets[@]}"; do
  work="build/fuzz/corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_$t for ${seconds}s"
  if ! build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/$t-" \
      "$work" "fuzz/corpus/$t" 2>"build/fuzz/$t.log"; then
    status=1
    tail -n 40 "build/fuzz/$t.log"
  fi
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "build/fuzz/$t.log" || true
  grep -E 'cov: [0-9]+' -o "build/fuzz/$t.log" | tail -n 1 | sed 's/^/final /' || true
done
exit $status
