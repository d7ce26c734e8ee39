#!/usr/bin/env bash
# Installs what is missing, builds the program and runs every test: once in a
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The presets are in CMakePresets.json.
for preset in linux linux-asan; do
  cmake --preset $preset
  cmake --build --preset $preset
  ctest --preset $preset
done

# The settings-store reader under the fuzzer, for a bounded time.
scripts/fuzz.sh
