#!/usr/bin/env bash
# Cross-builds QEL_Trekkel.exe for Windows and its runnable folder,
# build-win/QEL_Trekkel (the program, its help document, the Qt and compiler
# DLLs and plugins, stripped). Installs what is missing first.
#   --arch i686|x86_64  the 32-bit program (build-win) or the 64-bit one
#           (build-win64). Without it: the arch this machine runs
#           (scripts/wine-runs.sh), the 32-bit one wherever 32-bit programs run.
#   --test  also builds the Windows tests and runs them under Wine, in a fresh
#           prefix ($win/wineprefix) on a virtual display; fails, before
#           building, where Wine cannot run the arch's programs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/windows-arch.sh
run_tests=0
[[ ${1:-} == --test ]] && run_tests=1

if ((run_tests)); then
  windows_wine
  scripts/install-deps.sh --windows="$arch" --wine="$arch"
else
  scripts/install-deps.sh --windows="$arch"
fi
# The presets (CMakePresets.json) expect Qt and GoogleTest in $win.
scripts/windows-qt.sh "$win" "$arch" >/dev/null
if ((run_tests)); then
  preset+=-test
  # GoogleTest from Debian's own source, built once for the target.
  if [[ ! -f $win/gtest/lib/libgtest.a ]]; then
    cmake -S /usr/src/googletest -B "$win/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
      -DCMAKE_INSTALL_PREFIX="$root/$win/gtest" -DBUILD_GMOCK=OFF
    cmake --build "$win/gtest-build" -j2
    cmake --install "$win/gtest-build"
  fi
fi

cmake --preset "$preset"
cmake --build --preset "$preset"
rm -rf "$win/QEL_Trekkel"
cmake --install "$win/build" --prefix "$win/QEL_Trekkel" >/dev/null
find "$win/QEL_Trekkel" \( -name '*.dll' -o -name '*.exe' -o -name '*.com' \) -exec "$triple-strip" --strip-unneeded {} +
echo "build-windows.sh: $arch, $(du -sh "$win/QEL_Trekkel" | cut -f1) in $win/QEL_Trekkel"

if ((run_tests)); then
  export WINEPREFIX=$root/$win/wineprefix WINEDEBUG=-all
  scripts/wine-prefix.sh "$WINEPREFIX"
  xvfb-run -a -s '-screen 0 1280x800x24' ctest --preset "$preset"
  wineserver -k || true
fi
