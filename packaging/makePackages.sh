#!/usr/bin/env bash
# Packs the release from a built Windows tree into OUTPUT_DIR: the portable zip, the MSI
# installer and SHA256SUMS listing both. Every time inside comes from SOURCE_DATE_EPOCH (by
# default the time of the commit), so one commit always packs the same zip; the MSI differs
# between builds only in its package code, which Windows Installer requires to be new.
#   makePackages.sh WINDOWS_BUILD_DIR OUTPUT_DIR [VERSION]
# VERSION packs the same files as another version of the installer (the upgrade test's use).
set -euo pipefail
windowsBuild=$(cd "${1:?windows build dir}" && pwd)
out=$(mkdir -p "${2:?output dir}" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$windowsBuild/release.env"
version=${3:-$TARVO_VERSION}
: "${SOURCE_DATE_EPOCH:=$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 315532800)}"
export SOURCE_DATE_EPOCH TZ=UTC

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$windowsBuild/Tarvo.exe" "$windowsBuild/readme.txt" "$here/../res/tarvo.ico" "$stage/"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

zipName="Tarvo-$version-win64.zip"
msiName="Tarvo-$version-x64.msi"
rm -f "$out/$zipName" "$out/$msiName" "$out/SHA256SUMS"
# Entries in this order, without extra fields or folder entries.
(cd "$stage" && zip -X -D -q "$out/$zipName" Tarvo.exe readme.txt)

# One product code per version, the same in every build of it.
productCode=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, "tarvo:product:" + sys.argv[1])).upper())' "$version")
# wixl stamps the package with the clock: hold the clock at SOURCE_DATE_EPOCH.
(cd "$stage" && faketime "$(date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" \
    wixl -a x64 -D Version="$version" -D Publisher="$TARVO_PUBLISHER" -D ProductCode="$productCode" \
    -o "$out/$msiName" "$here/tarvo.wxs")

(cd "$out" && sha256sum "$zipName" "$msiName" >SHA256SUMS)
