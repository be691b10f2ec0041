#!/usr/bin/env bash
# Builds everything (native unit tests, Tarvo.exe, window tests) and runs every
# test with CTest: native, in-process under Wine, and end to end.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
