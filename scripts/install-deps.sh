#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the screenshots need.
# Only what is missing is installed; run as root (or through sudo).
# --package-check adds what scripts/package-check.sh needs.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev xvfb xauth openbox xdotool imagemagick mtools util-linux
  fonts-dejavu-core fonts-liberation dosfstools fusefat libxxhash-dev dbus
)
if [[ ${1:-} == --package-check ]]; then
  packages+=(
    dpkg-dev file lintian desktop-file-utils appstream debootstrap
    dbus at-spi2-core python3-pyatspi
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
