#!/usr/bin/env bash
# Builds Tarvo.exe and starts it under Wine: on this X display if there is one,
# else on a private virtual display (Xvfb) that stops when Tarvo exits.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/dependencies.sh
ensureDependencies

build=${TARVO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target windowsBuild -j"$(nproc)"
exec tests/wine/wineEnv.sh run "$build/wine" "$build/windows/Tarvo.exe"
