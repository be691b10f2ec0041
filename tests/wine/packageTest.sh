#!/usr/bin/env bash
# Packs the release zip, unpacks it into an empty folder and checks its four files: the
# licence, notices naming every library the linker put into Tarvo.exe, and a Tarvo.exe that
# opens its window and closes cleanly under Wine.
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
[ "$listing" = "Tarvo.exe readme.txt LICENSE.txt THIRD-PARTY-NOTICES.txt " ] ||
    { echo "unexpected zip contents: $listing" >&2; exit 1; }
(cd "$packages" && sha256sum --check --quiet SHA256SUMS) || { echo "SHA256SUMS does not match the packages" >&2; exit 1; }

unzip -q "$zip" -d "$unpacked"
cmp -s "$unpacked/LICENSE.txt" "$here/../../LICENSE" || { echo "LICENSE.txt is not the licence" >&2; exit 1; }
notices="$unpacked/THIRD-PARTY-NOTICES.txt"
for component in "MinGW-w64 runtime" "libstdc++" "libgcc" "GCC Runtime Library Exception"; do
    grep -q "$component" "$notices" || { echo "the notices do not name $component" >&2; exit 1; }
done
# Every library the linker took into the exe (its map lists the archive members) has its notice.
while read -r archive; do
    package=$(dpkg -S "$(readlink -f "$archive")" | cut -d: -f1)
    grep -q "Debian package $package " "$notices" || { echo "no notice for $archive ($package)" >&2; exit 1; }
done < <(grep -o '^/[^ (]*\.a(' "$windowsBuild/Tarvo.map" | sed 's/($//' | sort -u)
export TARVO_EXE="Z:$(echo "$unpacked/Tarvo.exe" | tr '/' '\\')"
"$here/../../scripts/wineEnv.sh" exec "$state" "$windowsBuild/tests/window/processTests.exe" \
    --test-case="Tarvo opens exactly one window titled Tarvo and exits with code 0 when it is closed"
