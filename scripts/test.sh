#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything and runs every test, checks the .deb and installs it once;
# then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer (the short fault soak included), then each fuzzer
# for a short while.
#   TORVEX_SOAK_TICKS  length of the fault soak (default 20000 ticks)
#   TORVEX_FUZZ_SECONDS  seconds per fuzzer (default 30; 0 skips fuzzing)
#   TORVEX_SKIP_SANITIZERS=1  skips the sanitizer build and the fuzzers
set -euo pipefail
cd "$(dirname "$0")/.."
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default | tee -a "$summary"
# lintian, AppStream and desktop entry checks of the .deb; installs and purges it.
tests/packaging/deb_checks.sh build/default

if [ "${TORVEX_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --preset asan >/dev/null
  cmake --build --preset asan
  ctest --preset asan -E '^test_soak$' | tee -a "$summary"
  # The fault soak on its own, so that its figures are printed.
  ctest --preset asan -R '^test_soak$' --verbose | grep -v propagateSizeHints | tee -a "$summary"

  fuzz_seconds="${TORVEX_FUZZ_SECONDS:-30}"
  if [ "$fuzz_seconds" -gt 0 ]; then
    scripts/fuzz.sh "$fuzz_seconds"
  fi
fi

# One closing line over every ctest run above (each stops the script on a failure).
passed=$(grep -Eo 'tests passed, 0 tests failed out of [0-9]+' "$summary" | grep -Eo '[0-9]+$' |
  awk '{n += $1} END {print n + 0}')
echo "ci: ${passed} passed, 0 failed"
