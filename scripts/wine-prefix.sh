#!/usr/bin/env bash
# Makes a fresh Wine prefix in $1 (removing what is there), 32-bit or, with
# WINEARCH=win64 (scripts/windows-arch.sh sets it for x86_64), 64-bit, with
# Wine's own fonts installed so windows are drawn as on Windows, not in a host
# fallback font. Prints nothing; takes about 20 s.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh <folder>}")
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
