#!/usr/bin/env bash
# The long checks that CTest runs only briefly: the randomized input soak at
# 100,000 messages (or the count given), the full leak check, and 50 rounds of every path through
# the real Tarvo.exe's save dialog (cancel, overwrite, missing folder, read-only file) from the
# button and from the menu, restored and maximised.
#   bash scripts/soak.sh [messages] [seed]
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild >/dev/null
env=scripts/wineEnv.sh
state="$build/wine-soak"
"$env" start "$state"
trap '"$env" stop "$state"' EXIT
export TARVO_SOAK_MESSAGES=${1:-100000}
export TARVO_SOAK_SEED=${2:-20261208}
export TARVO_FULL_LEAK_CHECK=1
"$env" exec "$state" "$build/windows/tests/window/soakTests.exe"
"$env" exec "$state" "$build/windows/tests/window/leakTests.exe"
TARVO_DIALOG_ROUNDS=50 TARVO_TEST_DEADLINE_S=3600 "$env" exec "$state" "$build/windows/tests/window/exportEndToEndTests.exe" \
    --test-case="every path*"
