#!/usr/bin/env bash
# Packs the release from a built Windows tree into OUTPUT_DIR: the portable zip, the MSI
# installer and SHA256SUMS listing both. Each holds Tarvo.exe, readme.txt, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, the notices written here from what the link map shows in Tarvo.exe
# and the copyright files of the Debian packages those libraries came from, so they always
# match the toolchain that built it. Every time inside comes from SOURCE_DATE_EPOCH (by default
# the time of the commit), so one commit always packs the same zip; the MSI differs between
# builds only in its package code, which Windows Installer requires to be new.
#   makePackages.sh WINDOWS_BUILD_DIR OUTPUT_DIR [VERSION]
# VERSION packs the same files as another version of the installer (the upgrade test's use).
# With TARVO_SIGNING_PFX (a PKCS#12 file) and TARVO_SIGNING_PASSWORD_FILE set, Tarvo.exe is
# signed before it is packed and the MSI after it is built (SHA-256, and a time stamp from
# TARVO_TIMESTAMP_URL if set); without them the release is packed unsigned.
set -euo pipefail
windowsBuild=$(cd "${1:?windows build dir}" && pwd)
out=$(mkdir -p "${2:?output dir}" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$windowsBuild/release.env"
version=${3:-$TARVO_VERSION}
: "${SOURCE_DATE_EPOCH:=$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 315532800)}"
export SOURCE_DATE_EPOCH TZ=UTC

fail() {
    echo "error: $*" >&2
    exit 1
}

# What each Debian package that can put code into Tarvo.exe is, and under which licence.
describePackage() {
    case "$1" in
    mingw-w64-x86-64-dev) echo "MinGW-w64 runtime (start-up code, mingwex, Windows import libraries): ZPL 2.1 and the other terms below" ;;
    g++-mingw-w64-x86-64-*) echo "libstdc++, the GNU C++ standard library: GPL 3 or later with the GCC Runtime Library Exception 3.1" ;;
    gcc-mingw-w64-x86-64-*) echo "libgcc, the GCC support library: GPL 3 or later with the GCC Runtime Library Exception 3.1" ;;
    *) return 1 ;;
    esac
}

writeNotices() {
    local map="$windowsBuild/Tarvo.map" notices=$1 archive package
    [ -f "$map" ] || fail "no link map $map; build Tarvo.exe first"
    # Archive members the linker took into the exe, one Debian package each.
    local packages=()
    while read -r archive; do
        package=$(dpkg -S "$(readlink -f "$archive")" 2>/dev/null | cut -d: -f1) || fail "$archive belongs to no package"
        packages+=("$package")
    done < <(grep -o '^/[^ (]*\.a(' "$map" | sed 's/($//' | sort -u)
    mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)
    {
        echo "Third-party notices for Tarvo $version"
        echo
        echo "Tarvo itself is under the MIT licence (LICENSE.txt). Tarvo.exe is linked statically with"
        echo "the following components; each is named with its licence, and its copyright and licence"
        echo "texts follow as the Debian package it was built from carries them."
        echo
        for package in "${packages[@]}"; do
            describePackage "$package" >/dev/null || fail "no notice known for $package, which Tarvo.exe links"
            echo "- $(describePackage "$package")"
            echo "  (Debian package $package $(dpkg-query -W -f='${Version}' "$package"))"
        done
        for package in "${packages[@]}"; do
            echo
            echo "=============================================================================="
            echo "$(describePackage "$package" | cut -d: -f1)"
            echo "Debian package $package: /usr/share/doc/$package/copyright"
            echo "=============================================================================="
            echo
            cat "/usr/share/doc/$package/copyright"
        done
    } >"$notices"
}

signingGiven() {
    [ -n "${TARVO_SIGNING_PFX:-}" ] && [ -n "${TARVO_SIGNING_PASSWORD_FILE:-}" ]
}

sign() {
    local file=$1 timestamp=()
    [ -n "${TARVO_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$TARVO_TIMESTAMP_URL")
    osslsigncode sign -pkcs12 "$TARVO_SIGNING_PFX" -readpass "$TARVO_SIGNING_PASSWORD_FILE" -h sha256 \
        -n Tarvo "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null || fail "could not sign $file"
    mv "$file.signed" "$file"
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$windowsBuild/Tarvo.exe" "$windowsBuild/readme.txt" "$here/../res/tarvo.ico" "$stage/"
cp "$here/../LICENSE" "$stage/LICENSE.txt"
writeNotices "$stage/THIRD-PARTY-NOTICES.txt"
if signingGiven; then
    sign "$stage/Tarvo.exe"
else
    echo "Packing unsigned: set TARVO_SIGNING_PFX and TARVO_SIGNING_PASSWORD_FILE to sign." >&2
fi
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

zipName="Tarvo-$version-win64.zip"
msiName="Tarvo-$version-x64.msi"
rm -f "$out/$zipName" "$out/$msiName" "$out/SHA256SUMS"
# Entries in this order, without extra fields or folder entries.
(cd "$stage" && zip -X -D -q "$out/$zipName" Tarvo.exe readme.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)

# One product code per version, the same in every build of it.
productCode=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, "tarvo:product:" + sys.argv[1])).upper())' "$version")
# wixl stamps the package with the clock: hold the clock at SOURCE_DATE_EPOCH.
(cd "$stage" && faketime "$(date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" \
    wixl -a x64 -D Version="$version" -D Publisher="$TARVO_PUBLISHER" -D ProductCode="$productCode" \
    -o "$out/$msiName" "$here/tarvo.wxs")
if signingGiven; then
    sign "$out/$msiName"
fi

(cd "$out" && sha256sum "$zipName" "$msiName" >SHA256SUMS)
