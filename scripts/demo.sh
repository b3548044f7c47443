#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds torvex-config and torvex-ctl, and starts the demo: the window over two
# emulated boards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target torvex-config torvex-config-demo torvex-ctl
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the demo under xvfb-run (nothing will be visible)." >&2
  exec xvfb-run -a build/default/src/torvex-config-demo
fi
exec build/default/src/torvex-config-demo
