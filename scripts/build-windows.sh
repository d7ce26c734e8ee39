#!/usr/bin/env bash
# Cross-builds QEL_Trekkel.exe for 32-bit Windows and its runnable folder,
# build-win/QEL_Trekkel (the program, its help document, the Qt and compiler
# DLLs and plugins, stripped). Installs what is missing first.
#   --test  also builds the Windows tests and runs them under Wine, in a fresh
#           prefix (build-win/wineprefix) on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
run_tests=0
[[ ${1:-} == --test ]] && run_tests=1

if ((run_tests)); then scripts/install-deps.sh --windows --wine; else scripts/install-deps.sh --windows; fi
# The presets (CMakePresets.json) expect Qt and GoogleTest in build-win.
scripts/windows-qt.sh build-win >/dev/null
preset=win32
if ((run_tests)); then
  preset=win32-test
  # GoogleTest from Debian's own source, built once for the target.
  if [[ ! -f build-win/gtest/lib/libgtest.a ]]; then
    cmake -S /usr/src/googletest -B build-win/gtest-build -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
      -DCMAKE_INSTALL_PREFIX="$root/build-win/gtest" -DBUILD_GMOCK=OFF
    cmake --build build-win/gtest-build -j2
    cmake --install build-win/gtest-build
  fi
fi

cmake --preset $preset
cmake --build --preset $preset
rm -rf build-win/QEL_Trekkel
cmake --install build-win/build --prefix build-win/QEL_Trekkel >/dev/null
find build-win/QEL_Trekkel \( -name '*.dll' -o -name '*.exe' -o -name '*.com' \) -exec i686-w64-mingw32-strip --strip-unneeded {} +
echo "build-windows.sh: $(du -sh build-win/QEL_Trekkel | cut -f1) in build-win/QEL_Trekkel"

if ((run_tests)) && ! scripts/wine-runs.sh; then
  echo "build-windows.sh: the Windows tests are built but NOT RUN here" >&2
elif ((run_tests)); then
  export WINEPREFIX=$root/build-win/wineprefix WINEARCH=win32 WINEDEBUG=-all
  scripts/wine-prefix.sh "$WINEPREFIX"
  xvfb-run -a -s '-screen 0 1280x800x24' ctest --preset win32-test
  wineserver -k || true
fi
