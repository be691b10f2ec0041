#!/usr/bin/env bash
# Builds everything (native unit tests, Tarvo.exe, window tests) and runs every
# test with CTest: native, in-process under Wine, and end to end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/dependencies.sh
ensureDependencies

build=${TARVO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
