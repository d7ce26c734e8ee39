#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux -DBUILD_TESTING=OFF
cmake --build --preset linux
exec build/bin/QEL_Trekkel
