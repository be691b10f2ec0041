#!/usr/bin/env bash
# Builds Tarvo.exe and packs the release: build/windows/Tarvo-1.0.1-win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/dependencies.sh
ensureDependencies

build=${TARVO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target windowsBuild -j"$(nproc)"
(cd "$build/windows" && cpack -G ZIP >/dev/null)
ls "$build/windows/"Tarvo-*-win64.zip
