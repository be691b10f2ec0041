#!/usr/bin/env bash
# Builds Tarvo.exe and packs the release: build/windows/Tarvo-1.0.1-win64.zip.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild
(cd "$build/windows" && cpack -G ZIP >/dev/null)
ls "$build/windows/"Tarvo-*-win64.zip
