#!/usr/bin/env bash
# Packs the release from a built Windows tree into OUTPUT_DIR: the portable zip, the MSI
# installer and SHA256SUMS listing both. Each holds Tarvo.exe, readme.txt, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, the notices written here from what the link map shows in Tarvo.exe
# and the copyright files of the Debian packages those libraries came from, so they always
# match the toolchain that built it. Every time inside comes from SOURCE_DATE_EPOCH (by default
# the time of the commit), so one commit always packs the same zip and the same MSI.
#   makePackages.sh WINDOWS_BUILD_DIR OUTPUT_DIR [VERSION]
# VERSION packs the same files as another version of the installer (the upgrade test's use).
# With TARVO_SIGNING_PFX (a PKCS#12 file) and TARVO_SIGNING_PASSWORD_FILE set, Tarvo.exe is
# signed before it is packed and the MSI after it is built (SHA-256, and a time stamp from
# TARVO_TIMESTAMP_URL, which a release needs); without them the release is packed unsigned.
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
    if [ -n "${TARVO_TIMESTAMP_URL:-}" ]; then
        timestamp=(-ts "$TARVO_TIMESTAMP_URL")
    else
        echo "warning: signing $(basename "$file") without a time stamp: Windows stops trusting it when the certificate expires; set TARVO_TIMESTAMP_URL for a release." >&2
    fi
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

# wixl and msibuild stamp the package with the clock: stop it at SOURCE_DATE_EPOCH. (Without -f
# faketime only starts the clock there, and on a busy machine a stamp came out a second later.)
atSourceDate() { faketime -f "$(date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" "$@"; }
guidFrom() { python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1])).upper())' "$1"; }
placeholder=00000000-0000-0000-0000-000000000000
(cd "$stage" && atSourceDate wixl -a x64 -D Version="$version" -D Publisher="$TARVO_PUBLISHER" \
    -D ProductCode="$placeholder" -o "$out/$msiName" "$here/tarvo.wxs")
# What wixl cannot write. Tarvo.exe is a versioned file, so that a repair or an install over an
# older copy replaces it by the File Versioning Rules; a versioned file has no MsiFileHash row
# (ICE60). Its version is the exe's own, whatever version is packed. The upgrade row takes in
# this version too, so another pack of it, with another product code, replaces the installed one
# (Upgrade table: msidbUpgradeAttributesVersionMaxInclusive); Attributes is part of the row's key.
upgradeCode=$(msiinfo export "$out/$msiName" Property | awk '$1 == "UpgradeCode" { print $2 }' | tr -d '\r')
summary=("Tarvo $version installer" "$TARVO_PUBLISHER" "x64;1033") # as wixl wrote it; -s comes last
atSourceDate msibuild "$out/$msiName" \
    -q "UPDATE File SET Version = '$TARVO_VERSION.0', Language = '1033' WHERE File = 'TarvoExe'" \
    -q "DELETE FROM MsiFileHash WHERE File_ = 'TarvoExe'" \
    -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
        VALUES ('$upgradeCode', '$version.0', 513, 'WIX_UPGRADE_DETECTED')" \
    -s "${summary[@]}" "{$placeholder}"
# Product and package code both come from the package's bytes with neither in it. Equal packages
# get equal codes, so one commit packs one MSI and installing it again is maintenance; any other
# package is another product, never the same product under another package code, which Windows
# Installer would take for a minor update and refuse (1638) when started with a plain msiexec /i.
digest=$(sha256sum "$out/$msiName" | cut -d' ' -f1)
atSourceDate msibuild "$out/$msiName" \
    -q "UPDATE Property SET Value = '{$(guidFrom "tarvo:product:$digest")}' WHERE Property = 'ProductCode'" \
    -s "${summary[@]}" "{$(guidFrom "tarvo:package:$digest")}"
if signingGiven; then
    sign "$out/$msiName"
fi

(cd "$out" && sha256sum "$zipName" "$msiName" >SHA256SUMS)
