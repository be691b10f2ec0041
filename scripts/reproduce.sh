#!/usr/bin/env bash
# Builds this tree twice, each in a fresh temporary folder, packs both, prints the two sets of
# checksums and whether Tarvo.exe, the zip and the MSI came out byte for byte the same. Exits 1
# when they differ.
set -euo pipefail
source "$(dirname "$0")/common.sh"
first=$(mktemp -d /tmp/tarvo-build-a.XXXXXX)
second=$(mktemp -d /tmp/tarvo-build-b.XXXXXX)
trap 'rm -rf "$first" "$second"' EXIT
for dir in "$first" "$second"; do
    echo "Building in $dir"
    TARVO_BUILD_DIR=$dir prepareBuild windowsBuild >/dev/null
    packaging/makePackages.sh "$dir/windows" "$dir/release"
done
status=0
for file in windows/Tarvo.exe release/Tarvo-*-win64.zip release/Tarvo-*-x64.msi; do
    a=$(cd "$first" && sha256sum $file)
    b=$(cd "$second" && sha256sum $file)
    echo "first:  $a"
    echo "second: $b"
    if [ "${a%% *}" = "${b%% *}" ]; then
        echo "        the same"
    else
        echo "        DIFFER"
        status=1
    fi
done
[ $status = 0 ] && echo "reproducible: Tarvo.exe, the zip and the MSI are identical" || echo "not reproducible"
exit $status
