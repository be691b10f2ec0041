#!/usr/bin/env bash
# Builds and runs every benchmark: native ones directly, window ones under Wine
# on a private display. Each prints its figures beside a floor measured in the
# same run. Under Wine the renderer is software: absolute times say little
# about a Windows machine with a GPU; the ratios are what to read.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild >/dev/null
"$build/bench/native/hitTestBench"
env=scripts/wineEnv.sh
"$env" start "$build/wine-bench"
trap '"$env" stop "$build/wine-bench"' EXIT
"$env" exec "$build/wine-bench" "$build/windows/bench/window/paintBench.exe"
"$env" exec "$build/wine-bench" "$build/windows/bench/window/startupBench.exe"
