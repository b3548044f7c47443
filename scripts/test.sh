#!/usr/bin/env bash
# Builds everything and runs every test; then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer (the short fault soak
# included), then each fuzzer for a short while.
#   TORVEX_SOAK_TICKS  length of the fault soak (default 20000 ticks)
#   TORVEX_FUZZ_SECONDS  seconds per fuzzer (default 30; 0 skips fuzzing)
#   TORVEX_SKIP_SANITIZERS=1  skips the sanitizer build and the fuzzers
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

if [ "${TORVEX_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --preset asan >/dev/null
  cmake --build --preset asan
  ctest --preset asan -E '^test_soak$'
  # The fault soak on its own, so that its figures are printed.
  ctest --preset asan -R '^test_soak$' --verbose | grep -v propagateSizeHints

  fuzz_seconds="${TORVEX_FUZZ_SECONDS:-30}"
  if [ "$fuzz_seconds" -gt 0 ]; then
    scripts/fuzz.sh "$fuzz_seconds"
  fi
fi
