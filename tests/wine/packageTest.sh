#!/usr/bin/env bash
# Packs the release zip, unpacks it into an empty folder and checks that the
# Tarvo.exe inside opens its window and closes cleanly under Wine.
set -euo pipefail
state=${1:?wine state dir}
windowsBuild=${2:?windows build dir}
here=$(cd "$(dirname "$0")" && pwd)

packages=$(mktemp -d)
unpacked=$(mktemp -d)
trap 'rm -rf "$packages" "$unpacked"' EXIT
"$here/../../packaging/makePackages.sh" "$windowsBuild" "$packages"
zip=$(ls "$packages"/Tarvo-*-win64.zip)
listing=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$listing" = "Tarvo.exe readme.txt " ] || { echo "unexpected zip contents: $listing" >&2; exit 1; }
(cd "$packages" && sha256sum --check --quiet SHA256SUMS) || { echo "SHA256SUMS does not match the packages" >&2; exit 1; }

unzip -q "$zip" -d "$unpacked"
export TARVO_EXE="Z:$(echo "$unpacked/Tarvo.exe" | tr '/' '\\')"
"$here/wineEnv.sh" exec "$state" "$windowsBuild/tests/window/processTests.exe" \
    --test-case="Tarvo opens exactly one window titled Tarvo and exits with code 0 when it is closed"
