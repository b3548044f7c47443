#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A second torvex-config brings the running one's window forward, says so on
# stderr and exits 0. Offscreen and in a runtime directory of its own, so no
# board is needed and no user's window is reached.
# usage: SecondStart.sh <torvex-config>
set -u
app=$1
runtime=$(mktemp -d) # private (0700), as Qt wants a runtime directory
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
"$app" 2>"$runtime/first.err" &
first=$!
trap 'kill "$first" 2>/dev/null; wait "$first" 2>/dev/null; rm -rf "$runtime"' EXIT

first_alive() {
  kill -0 "$first" 2>/dev/null && return
  echo "FAIL: the first torvex-config ended:" >&2
  cat "$runtime/first.err" >&2
  exit 1
}
for _ in $(seq 200); do
  [ -S "$runtime/torvex-config.socket" ] && break
  first_alive
  sleep 0.05
done

# A second window would never end by itself: timeout stops it.
err=$(timeout 30 "$app" 2>&1 >/dev/null)
rc=$?
want="torvex-config is already running; its window was brought to the front."
if [ "$rc" -ne 0 ] || [ "$err" != "$want" ]; then
  printf 'FAIL: the second start exited %s, its stderr:\n%s\n' "$rc" "$err" >&2
  exit 1
fi
first_alive
echo "ok: $err"
