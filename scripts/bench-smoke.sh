#!/usr/bin/env bash
# Builds the benchmarks in the build folder scripts/test.sh made (only the
# benchmarks are new there) and runs each once on a small case, so a benchmark
# that no longer builds or runs fails CI. The figures of so small a case mean
# nothing; run the benchmarks by hand for those (README).
# Usage: scripts/bench-smoke.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -DQEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target bench_backup bench_copy bench_file_list bench_regfile bench_startup
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /var/tmp/qel-bench-smoke-XXXXXX)
trap 'rm -rf "$work"' EXIT
bench=$build/bench
run() { echo "== $*"; timeout 120 "$@"; }
run "$bench/bench_startup" 2
QEL_BENCH_REPS=1 QEL_BENCH_CASE=a run "$bench/bench_backup" "$work"
run "$bench/bench_copy" "$work" 1 a
run "$bench/bench_file_list" 2000
run "$bench/bench_regfile" 1 1
