#!/usr/bin/env bash
# Builds Tarvo.exe and starts it under Wine: on this X display if there is one (as a
# window the window manager manages, when one runs there), else on a private virtual
# display (Xvfb) that stops when Tarvo exits. Ends with Tarvo's exit code.
#
# Its Wine prefix is its own, not the tests': each start sets the prefix's window-manager
# mode for the display it runs on, which must never reach a test run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild
exec tests/wine/wineEnv.sh run "$build/wine-run" "$build/windows/Tarvo.exe"
