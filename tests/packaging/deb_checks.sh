#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Debian's and AppStream's checks of the .deb, then a real install on this
# machine: lintian (no errors, no warnings), the metainfo and desktop entry
# validated, `torvex-config --version` from the installed package, and a purge
# that leaves nothing behind. Needs root (or sudo); scripts/test.sh runs it.
# usage: deb_checks.sh <build dir>
set -euo pipefail
build=$(cd "$1" && pwd)
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

work=$(mktemp -d "$build/deb-checks.XXXXXX")
installed_here=0
cleanup() {
  if [ $installed_here -eq 1 ]; then
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq torvex-config >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(echo "$work"/pkg/*.deb)
version=$(dpkg-deb --field "$deb" Version)

# ---- static checks ----------------------------------------------------------
# Warnings fail too. A tag that must stay gets an override, with its reason,
# in a file installed as usr/share/lintian/overrides/torvex-config.
lintian --fail-on error,warning --display-info --pedantic "$deb" >"$work/lintian.log" 2>&1 ||
  fail "lintian"
grep -v '^running with root privileges' "$work/lintian.log" || true
root="$work/root"
dpkg -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
# The tree check also finds the desktop entry the metainfo launches.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
desktop-file-validate "$root"/usr/share/applications/*.desktop "$root"/etc/xdg/autostart/*.desktop ||
  fail "desktop-file-validate"

# ---- install, run, purge ----------------------------------------------------
if dpkg-query -W -f='${Status}' torvex-config 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIP: install and purge: torvex-config is already installed on this machine"
else
  # What the package adds: its files, and directories that did not exist yet.
  dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\.||; s|/$||; /^$/d' >"$work/paths"
  while read -r path; do [ -e "$path" ] || echo "$path"; done <"$work/paths" >"$work/new-paths"

  installed_here=1
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install"; }
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM torvex-config --version) ||
    fail "torvex-config --version exits with an error"
  [ "$got" = "torvex-config $version" ] || fail "torvex-config --version: '$got'"
  [ "$(command -v torvex-config)" = /usr/bin/torvex-config ] || fail "torvex-config is not /usr/bin's"
  man -w torvex-config >/dev/null || fail "man torvex-config finds no page"
  man -w torvex-ctl >/dev/null || fail "man torvex-ctl finds no page"
  # The agent's user unit as the user's manager would load it (binary and man page included).
  runtime=$(mktemp -d) && chmod 700 "$runtime"
  XDG_RUNTIME_DIR=$runtime systemd-analyze --user verify /usr/lib/systemd/user/torvex-agent.service ||
    fail "systemd-analyze verify of the agent's unit"
  rm -rf "$runtime"
  got=$(torvex-ctl --version) || fail "torvex-ctl --version exits with an error"
  [ "$got" = "torvex-ctl $version" ] || fail "torvex-ctl --version: '$got'"

  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq torvex-config >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get purge"; }
  installed_here=0
  ! dpkg-query -W torvex-config >/dev/null 2>&1 || fail "dpkg still knows torvex-config after the purge"
  while read -r path; do
    [ ! -e "$path" ] || fail "left behind after the purge: $path"
  done <"$work/new-paths"
  ! ls /var/lib/dpkg/info/torvex-config.* >/dev/null 2>&1 || fail "dpkg's records of torvex-config remain"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb"): lintian, AppStream and desktop entry clean; installs, runs and purges"
