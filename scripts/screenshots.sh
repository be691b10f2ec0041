#!/usr/bin/env bash
# Regenerates docs/tarvo.png and docs/tarvo-menu.png from the real Tarvo.exe
# under Wine, drawn with real input. Run it when the look changes.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild >/dev/null
mkdir -p docs
env=scripts/wineEnv.sh
"$env" start "$build/wine-screenshots"
trap '"$env" stop "$build/wine-screenshots"' EXIT
export TARVO_SCREENSHOT_DIR="Z:$(pwd | tr '/' '\\')\\docs"
"$env" exec "$build/wine-screenshots" "$build/windows/tests/window/makeScreenshots.exe"
ls -l docs/tarvo.png docs/tarvo-menu.png
