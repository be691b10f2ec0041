#!/usr/bin/env bash
# Builds Tarvo.exe and starts it under Wine: on this X display if there is one,
# else on a private virtual display (Xvfb) that stops when Tarvo exits.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild
exec tests/wine/wineEnv.sh run "$build/wine" "$build/windows/Tarvo.exe"
