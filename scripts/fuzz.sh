#!/usr/bin/env bash
# Builds the settings-store fuzzer with clang and runs it for a bounded time
# (FUZZ_SECONDS, default 60) over the small seed corpus in tests/fuzz/corpus.
# New inputs go to a scratch folder, crash inputs to build-fuzz/; the corpus
# in the tree is never changed. Fails when the fuzzer finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz --target fuzz_regfile -j2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build-fuzz/tests/fuzz/fuzz_regfile -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix=build-fuzz/ -print_final_stats=1 "$scratch" tests/fuzz/corpus
