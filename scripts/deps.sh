#!/usr/bin/env bash
# Installs the Debian packages Quillmarsh builds, runs and tests with, where any
# of them is missing; or, given package names, those instead.
#   ./scripts/deps.sh [packages, e.g. clang]
set -euo pipefail
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libwxgtk3.2-dev libgtk-3-dev pkg-config
          libatspi2.0-dev at-spi2-core dbus-daemon xvfb xauth x11-xserver-utils x11-utils xdotool openbox
          imagemagick)
if (($#)); then
  packages=("$@")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing packages: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
