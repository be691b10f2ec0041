#!/usr/bin/env bash
# Builds this tree twice, each in a fresh temporary folder, packs both, prints the two sets of
# checksums and whether Tarvo.exe and the zip came out byte for byte the same (the MSI differs
# only in the package code Windows Installer requires to be new). Exits 1 when they differ.
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
# True when every differing byte lies in one {GUID} that both files hold at the same place.
onlyPackageCodeDiffers() {
    python3 - "$1" "$2" <<'PY'
import re, sys
a, b = (open(name, "rb").read() for name in sys.argv[1:3])
differ = [i for i in range(min(len(a), len(b))) if a[i] != b[i]]
guid = re.compile(rb"\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}")
ok = len(a) == len(b) and bool(differ)
if ok:
    start = a.rfind(b"{", 0, differ[0] + 1)
    ok = start >= 0 and differ[-1] < start + 38 and guid.fullmatch(a[start:start + 38]) and guid.fullmatch(b[start:start + 38])
sys.exit(0 if ok else 1)
PY
}

status=0
for file in windows/Tarvo.exe release/Tarvo-*-win64.zip release/Tarvo-*-x64.msi; do
    a=$(cd "$first" && sha256sum $file)
    b=$(cd "$second" && sha256sum $file)
    echo "first:  $a"
    echo "second: $b"
    if [ "${a%% *}" = "${b%% *}" ]; then
        echo "        the same"
    elif [[ $file == *.msi ]] && onlyPackageCodeDiffers $first/$file $second/$file; then
        echo "        differ only in the package code, as two builds of an installer must"
    else
        echo "        DIFFER"
        status=1
    fi
done
[ $status = 0 ] && echo "reproducible: Tarvo.exe and the zip are identical" || echo "not reproducible"
exit $status
