#!/usr/bin/env bash
# Builds the benchmarks in the build folder scripts/test.sh made (only the
# benchmarks are new there) and runs each once on a small case, so a benchmark
# that no longer builds or runs fails CI. The figures of so small a case mean
# nothing; run the benchmarks by hand for those (README).
# With --windows, after scripts/build-windows.sh --test: the Windows
# bench_backup in that build folder, run under Wine in its prefix (the arch
# as build-windows.sh takes it: --arch, else the one this machine runs).
# Usage: scripts/bench-smoke.sh [build folder, default build] | --windows [--arch i686|x86_64]
set -euo pipefail
cd "$(dirname "$0")/.."
run() { echo "== $*"; timeout 300 "$@"; }
work=$(mktemp -d /var/tmp/qel-bench-smoke-XXXXXX)
trap 'rm -rf "$work"' EXIT

if [[ ${1:-} == --windows ]]; then
  source scripts/windows-arch.sh
  windows_wine
  cmake -S . -B "$win/build" -DQEL_BUILD_BENCHMARKS=ON >/dev/null
  cmake --build "$win/build" -j2 --target bench_backup
  export WINEPREFIX=$PWD/$win/wineprefix WINEDEBUG=-all
  export WINEPATH="Z:$PWD/$win/QEL_Trekkel"
  # The destination is a drive letter of its own, as a removable disk would be.
  mkdir "$work/source" "$work/q"
  ln -sfn "$work/q" "$WINEPREFIX/dosdevices/q:"
  trap 'rm -f "$WINEPREFIX/dosdevices/q:"; rm -rf "$work"; wineserver -k || true' EXIT
  QEL_BENCH_REPS=1 QEL_BENCH_CASE=a \
    run wine "$win/build/bench_backup.exe" "Z:${work//\//\\}\\source" q:
  exit 0
fi

build=${1:-build}
cmake -S . -B "$build" -DQEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target bench_backup bench_copy bench_file_list bench_regfile bench_startup
export QT_QPA_PLATFORM=offscreen
bench=$build/bench/linux
run "$bench/bench_startup" 2
QEL_BENCH_REPS=1 QEL_BENCH_CASE=a run "$bench/bench_backup" "$work"
run "$bench/bench_copy" "$work" 1 a
run "$bench/bench_file_list" 2000
run "$bench/bench_regfile" 1 1
