#!/usr/bin/env bash
# The long checks that CTest runs only briefly: the randomized input soak at
# 100,000 messages (or the count given) and the full leak check.
#   bash scripts/soak.sh [messages] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/dependencies.sh
ensureDependencies

build=${TARVO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target windowsBuild -j"$(nproc)" >/dev/null
env=tests/wine/wineEnv.sh
state="$build/wine-soak"
"$env" start "$state"
trap '"$env" stop "$state"' EXIT
export TARVO_SOAK_MESSAGES=${1:-100000}
export TARVO_SOAK_SEED=${2:-20261208}
export TARVO_FULL_LEAK_CHECK=1
"$env" exec "$state" "$build/windows/tests/window/soakTests.exe"
"$env" exec "$state" "$build/windows/tests/window/leakTests.exe"
