#!/usr/bin/env bash
# Builds Tarvo.exe and packs the release into build/release: Tarvo-<version>-win64.zip,
# Tarvo-<version>-x64.msi and SHA256SUMS. With TARVO_SIGNING_PFX and TARVO_SIGNING_PASSWORD_FILE
# (and optionally TARVO_TIMESTAMP_URL) set, Tarvo.exe and the MSI are signed; see the README.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prepareBuild windowsBuild >/dev/null
packaging/makePackages.sh "$build/windows" "$build/release"
ls "$build/release/"*
cat "$build/release/SHA256SUMS"
