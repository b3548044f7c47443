#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and testing torvex-config needs on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libhidapi-dev libudev-dev libtomlplusplus-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # the hidapi backend's tests: emulated hidraw devices
  umockdev libumockdev-dev
  fonts-dejavu-core xvfb xauth
  # building and checking the .deb
  dpkg-dev desktop-file-utils udev file libxml2-utils
  # man page, and Debian's and AppStream's checks of the package
  scdoc man-db lintian appstream
  # systemd-analyze verify of the agent's user unit
  systemd
  # fuzzers (libFuzzer, sanitizer runtimes) and formatting
  clang-14 libclang-rt-14-dev clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
