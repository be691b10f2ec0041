#!/usr/bin/env bash
# Builds Tarvo.exe, and nothing else, and starts it under Wine on this desktop with
# startTarvo.sh, from a Wine prefix of its own. Ends with Tarvo's exit code.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild-configure
cmake --build "$build/windows" --target Tarvo -j"$(nproc)"
exec scripts/startTarvo.sh "$build/wine-run" "$build/windows/Tarvo.exe"
