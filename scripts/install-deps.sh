#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the screenshots need.
# Only what is missing is installed; run as root (or through sudo).
# --package-check adds what scripts/package-check.sh needs, --windows what the
# Windows cross build needs, --wine what running it and its tests needs; each
# for the arch given (--windows=x86_64, --wine=i686) or else the one this
# machine runs (scripts/wine-runs.sh). Wine for x86_64 is wine64 alone, with
# no i386 architecture: a machine that cannot run 32-bit programs gets none.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev xvfb xauth openbox xdotool imagemagick mtools util-linux
  fonts-dejavu-core fonts-liberation dosfstools fusefat libxxhash-dev dbus
)
# The arch an option names, else the one the machine runs.
option_arch() {
  case $1 in
    *=i686|*=x86_64) echo "${1#*=}" ;;
    *=*) echo "install-deps.sh: $1: the arch is i686 or x86_64" >&2; return 2 ;;
    --windows) "$(dirname "$0")"/wine-runs.sh 2>/dev/null || echo i686 ;;
    *) "$(dirname "$0")"/wine-runs.sh ;;
  esac
}
for option in "$@"; do
  case $option in
    --package-check)
      packages+=(
        dpkg-dev file lintian desktop-file-utils appstream debootstrap
        dbus at-spi2-core python3-pyatspi
      ) ;;
    --windows|--windows=*)
      arch=$(option_arch "$option")
      deb=${arch//_/-}
      packages+=(
        "g++-mingw-w64-$deb-posix" "gcc-mingw-w64-$deb-posix-runtime" "mingw-w64-$deb-dev"
        "binutils-mingw-w64-$deb" googletest librsvg2-bin icoutils zstd xz-utils dpkg-dev
        msitools wixl zip
      ) ;;
    --wine|--wine=*)
      arch=$(option_arch "$option")
      packages+=(wine wine64 fonts-wine xclip tesseract-ocr)
      [[ $arch == i686 ]] && packages+=(wine32:i386) ;;
    *) echo "install-deps.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  # Wine's 32-bit half comes from the i386 architecture.
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
