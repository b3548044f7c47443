#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .deb from a build tree and checks what a user would get from it:
# control fields, the exact file list, maintainer scripts, the unpacked desktop
# entry, icon and udev rule; then the same layout from `cmake --install`.
# usage: deb_package.sh <build dir> <cmake> <cpack>
set -euo pipefail
build=$(cd "$1" && pwd)
cmake=$2
cpack=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in dpkg-deb dpkg desktop-file-validate; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
rules_dir=$(cache TORVEX_UDEV_RULES_DIR)
unit_dir=$(cache TORVEX_USER_UNIT_DIR)
autostart_dir=$(cache TORVEX_AUTOSTART_DIR)
vid=$(cache TORVEX_VENDOR_ID)
pid=$(cache TORVEX_PRODUCT_ID)
if [ ! -x "$build/src/torvex-config" ]; then
  echo "FAIL: build torvex-config first" >&2
  exit 1
fi

work=$(mktemp -d "$build/packaging-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_eq() { # what, got, want
  [ "$2" = "$3" ] || fail "$1: got '$2', want '$3'"
}

# Relative install directories land under the prefix.
under() { # prefix, dir
  case "$2" in /*) echo "$2" ;; *) echo "$1/$2" ;; esac
}
# The files a user gets under <prefix>; nothing else may be installed.
expected_files() { # prefix
  {
    echo "$1/bin/torvex-config"
    echo "$1/bin/torvex-ctl"
    echo "$1/share/applications/torvex-config.desktop"
    echo "$1/share/bash-completion/completions/torvex-ctl"
    echo "$1/share/zsh/vendor-completions/_torvex-ctl"
    echo "$1/share/fish/vendor_completions.d/torvex-ctl.fish"
    echo "$1/share/icons/hicolor/scalable/apps/torvex-config.svg"
    echo "$1/share/doc/torvex-config/copyright"
    echo "$1/share/doc/torvex-config/changelog.gz"
    echo "$1/share/man/man1/torvex-config.1.gz"
    echo "$1/share/man/man1/torvex-ctl.1.gz"
    echo "$1/share/metainfo/io.github.torvex.config.metainfo.xml"
    echo "$(under "$1" "$rules_dir")/70-torvex-config.rules"
    echo "$(under "$1" "$unit_dir")/torvex-agent.service"
    echo "$(under "$1" "$autostart_dir")/torvex-agent.desktop"
  } | sed 's|//*|/|g' | sort
}

# ---- package --------------------------------------------------------------
if ! "$cpack" -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
shopt -s nullglob
debs=("$work"/pkg/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one .deb, got ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
arch=$(dpkg --print-architecture)
expect_eq "file name" "$(basename "$deb")" "torvex-config_${version}_${arch}.deb"

field() { dpkg-deb --field "$deb" "$1"; }
expect_eq Package "$(field Package)" torvex-config
expect_eq Version "$(field Version)" "$version"
expect_eq Architecture "$(field Architecture)" "$arch"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)'"
[ -n "$(field Description)" ] || fail "no Description"

# Depends: the runtime libraries, each named once.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//; /^$/d' | sort)
for lib in libhidapi-hidraw0 libudev1 libqt6widgets6 libqt6gui6 libqt6core6; do
  grep -qx "$lib" <<<"$depends" || fail "Depends lacks $lib: $(field Depends)"
done
dups=$(uniq -d <<<"$depends")
[ -z "$dups" ] || fail "Depends names twice: $dups"

# Exactly our files, with sane modes and owners; no demo, tests or libraries.
dpkg-deb --contents "$deb" >"$work/contents"
got=$(awk '$1 !~ /^d/ {print $6}' "$work/contents" | sed 's|^\.||' | sort)
expect_eq "packaged files" "$got" "$(expected_files /usr)"
while read -r mode owner _ _ _ path; do
  case "$path" in
    */) want=drwxr-xr-x ;;
    */bin/torvex-config | */bin/torvex-ctl) want=-rwxr-xr-x ;;
    *) want=-rw-r--r-- ;;
  esac
  expect_eq "mode of $path" "$mode" "$want"
  expect_eq "owner of $path" "$owner" root/root
done <"$work/contents"

# ---- maintainer scripts ---------------------------------------------------
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  f="$work/control/$script"
  [ -x "$f" ] || { fail "$script missing or not executable"; continue; }
  sh -n "$f" || fail "$script: syntax"
  grep -q 'udevadm control --reload-rules' "$f" || fail "$script does not reload the rules"
  grep -q 'udevadm trigger --subsystem-match=hidraw' "$f" || fail "$script does not retrigger hidraw"
done
# Run the scripts as on a host where udev runs, with an udevadm that fails to
# trigger: the calls happen in order, and a failure never fails the install.
mkdir -p "$work/fakebin" "$work/as-udev-host"
cat >"$work/fakebin/udevadm" <<FAKE
#!/bin/sh
echo "\$*" >>"$work/udevadm.log"
[ "\$1" = control ]
FAKE
chmod +x "$work/fakebin/udevadm"
for script in postinst postrm; do
  sed 's|\[ -S /run/udev/control \]|true|' "$work/control/$script" >"$work/as-udev-host/$script"
done
reload=$'control --reload-rules\ntrigger --subsystem-match=hidraw'
for call in "postinst configure|$reload" "postrm remove|$reload" "postrm purge|$reload" \
  "postrm upgrade|" "postinst abort-upgrade|"; do
  args=${call%%|*}
  : >"$work/udevadm.log"
  # shellcheck disable=SC2086
  PATH="$work/fakebin:$PATH" sh "$work/as-udev-host/"$args || fail "$args exits with an error"
  expect_eq "udevadm calls of $args" "$(cat "$work/udevadm.log")" "${call#*|}"
done

# ---- unpacked -------------------------------------------------------------
root="$work/root"
dpkg -x "$deb" "$root"
desktop="$root/usr/share/applications/torvex-config.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
key() { sed -n "s/^$1=//p" "$desktop"; }
exec_name=$(key Exec | cut -d' ' -f1)
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not the packaged binary"
icon="$root/usr/share/icons/hicolor/scalable/apps/$(key Icon).svg"
[ -f "$icon" ] || fail "Icon=$(key Icon) has no scalable icon"
grep -q '<svg' "$icon" || fail "icon is not SVG"
if command -v xmllint >/dev/null; then xmllint --noout "$icon" || fail "icon is not well-formed"; fi
if command -v file >/dev/null; then
  file -b "$root/usr/bin/torvex-config" | grep -q '^ELF .* executable' || fail "torvex-config is not an ELF executable"
fi

rule="$root$(under /usr "$rules_dir")/70-torvex-config.rules"
"$cmake" -DRULE_FILE="$rule" -P "$here/UdevRuleLint.cmake" || fail "udev rule does not parse"
v=$(printf '%04x' "$vid")
p=$(printf '%04x' "$pid")
grep -qF "ATTRS{idVendor}==\"$v\", ATTRS{idProduct}==\"$p\", TAG+=\"uaccess\"" "$rule" ||
  fail "udev rule lacks the USB match for $v:$p"
grep -qF "KERNELS==\"0005:${v^^}:${p^^}.*\", TAG+=\"uaccess\"" "$rule" ||
  fail "udev rule lacks the Bluetooth match for $v:$p"
! grep -q 'MODE' "$rule" || fail "udev rule sets a MODE"
# Software centres match the board to the tool by these, as the rule matches it.
metainfo="$root/usr/share/metainfo/io.github.torvex.config.metainfo.xml"
expect_eq "modaliases" "$(sed -n 's|.*<modalias>\(.*\)</modalias>.*|\1|p' "$metainfo")" \
  "usb:v${v^^}p${p^^}d*"$'\n'"hid:b0005g*v0000${v^^}p0000${p^^}"

# ---- cmake --install --------------------------------------------------------
DESTDIR="$work/destdir" "$cmake" --install "$build" --prefix /opt/torvex >"$work/install.log"
got=$(cd "$work/destdir" && find . ! -type d | sed 's|^\.||' | sort)
expect_eq "installed files" "$got" "$(expected_files /opt/torvex)"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") passes"
