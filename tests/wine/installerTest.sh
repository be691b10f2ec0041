#!/usr/bin/env bash
# The MSI installer under Wine, as a Windows user meets it: it installs per machine into
# Program Files\Tarvo with a Start-menu shortcut and an Apps entry, the installed Tarvo.exe
# runs from there, installing again changes nothing, a newer version replaces it, an older one
# is refused with the installer's message, uninstalling removes everything, and a damaged
# package fails and installs nothing. Then a release signed with a certificate made here: the
# exe and the MSI verify against its CA, a changed byte fails, and the signed MSI installs.
set -euo pipefail
state=$(cd "${1:?wine state dir}" && pwd)
windowsBuild=$(cd "${2:?windows build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=$(cat "$state/display")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$windowsBuild/release.env"
newer=$(echo "$TARVO_VERSION" | awk -F. '{ printf "%d.%d.%d", $1, $2, $3 + 1 }')
"$here/../../packaging/makePackages.sh" "$windowsBuild" "$work/current"
"$here/../../packaging/makePackages.sh" "$windowsBuild" "$work/newer" "$newer"
current="$work/current/Tarvo-$TARVO_VERSION-x64.msi"
newerMsi="$work/newer/Tarvo-$newer-x64.msi"
"$here/../../packaging/makePackages.sh" "$windowsBuild" "$work/again"

installed="$WINEPREFIX/drive_c/Program Files/Tarvo"
# Windows Installer puts a per-machine shortcut in the all-users Start menu; Wine's, in the
# user's. Either is the shortcut the package asked for.
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvo.lnk"
    "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarvo.lnk")
shortcut() { ls "${shortcuts[@]}" 2>/dev/null | head -1; }
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
windowsPath() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
msiexec() {
    local rc=0
    timeout 120 wine msiexec "$@" >/dev/null 2>&1 || rc=$?
    timeout 60 wineserver -w
    return $rc
}
# "DisplayVersion Publisher NoModify" of every Apps entry named Tarvo, one line each.
appsEntries() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' | awk '
        /^HKEY_/ { if (name == "Tarvo") print version, publisher, modify; name = version = publisher = modify = "" }
        $1 == "DisplayName" { name = $3 }
        $1 == "DisplayVersion" { version = $3 }
        $1 == "Publisher" { publisher = substr($0, index($0, $3)) }
        $1 == "NoModify" { modify = "NoModify=" $3 }
        END { if (name == "Tarvo") print version, publisher, modify }'
}
entriesAre() { [ "$(appsEntries)" = "$1" ]; }
installedExeRuns() {
    TARVO_EXE='C:\Program Files\Tarvo\Tarvo.exe' timeout 60 wine "$windowsBuild/tests/window/processTests.exe" \
        --test-case="Tarvo opens exactly one window titled Tarvo and exits with code 0 when it is closed" >"$work/run.log" 2>&1 ||
        { cat "$work/run.log" >&2; return 1; }
}
shortcutPointsAtTarvo() { [ -n "$(shortcut)" ] && grep -qa 'Tarvo.exe' "$(shortcut)"; }
productIconCached() { ls "$WINEPREFIX/drive_c/windows/Installer/"*/tarvo.ico >/dev/null 2>&1; }
nothingInstalled() {
    [ ! -e "$installed" ] && [ -z "$(shortcut)" ] && [ -z "$(appsEntries)" ] &&
        ! wine reg query 'HKLM\Software\Tarvo' >/dev/null 2>&1
}
fails() { ! "$@"; }

check "nothing of Tarvo is installed before the test" nothingInstalled
check "packing the same build again gives the same MSI, byte for byte" cmp -s "$current" "$work/again/${current##*/}"
# Tarvo.exe is versioned with its own version in any pack, so it has no file hash.
exeRow() { grep -q "^TarvoExe	TarvoExe	Tarvo.exe	[0-9]*	$TARVO_VERSION.0	1033	" <(msiinfo export "$1" File) &&
    ! grep -q '^TarvoExe' <(msiinfo export "$1" MsiFileHash); }
check "the exe's File row in the $newer pack: version $TARVO_VERSION.0, language 1033, no hash" exeRow "$newerMsi"
check "msiexec /i /qn installs $TARVO_VERSION" msiexec /i "$(windowsPath "$current")" /qn
allFilesInstalled() {
    local file
    for file in Tarvo.exe readme.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
        test -f "$installed/$file" || return 1
    done
}
check "Tarvo.exe, the read-me, the licence and the notices are in Program Files\\Tarvo" allFilesInstalled
check "the installed Tarvo.exe is the one built" cmp -s "$installed/Tarvo.exe" "$windowsBuild/Tarvo.exe"
check "the Start-menu shortcut Tarvo points at it" shortcutPointsAtTarvo
check "the product's icon is kept for its Apps entry" productIconCached
check "one Apps entry: Tarvo $TARVO_VERSION.0 by $TARVO_PUBLISHER, no Modify" \
    entriesAre "$TARVO_VERSION.0 $TARVO_PUBLISHER NoModify=0x1"
check "the installed Tarvo.exe opens its window and exits with 0 on WM_CLOSE" installedExeRuns
check "installing the same package again succeeds" msiexec /i "$(windowsPath "$current")" /qn
check "and leaves one working install" entriesAre "$TARVO_VERSION.0 $TARVO_PUBLISHER NoModify=0x1"
check "and its files in place" test -f "$installed/Tarvo.exe" -a -n "$(shortcut)"
check "version $newer installs over it" msiexec /i "$(windowsPath "$newerMsi")" /qn
check "and replaces it: one Apps entry, $newer.0" entriesAre "$newer.0 $TARVO_PUBLISHER NoModify=0x1"
# 1603, ERROR_INSTALL_FAILURE, as the 8 bits a Unix exit status keeps.
failsToInstall() {
    local rc=0
    msiexec "$@" || rc=$?
    [ $rc = $((1603 % 256)) ]
}
check "an older version over a newer one is refused (ERROR_INSTALL_FAILURE)" \
    failsToInstall /i "$(windowsPath "$current")" /qn
# Wine's msiexec neither logs nor shows a launch condition's text under /qn; the package holds it.
check "by the package's own launch condition and message" \
    grep -qa 'NOT WIX_DOWNGRADE_DETECTEDA newer version of Tarvo is already installed' "$current"
check "and the newer install stays" entriesAre "$newer.0 $TARVO_PUBLISHER NoModify=0x1"
check "msiexec /x /qn removes it" msiexec /x "$(windowsPath "$newerMsi")" /qn
check "files, shortcut and Apps entry are gone" nothingInstalled

head -c 60000 "$current" >"$work/truncated.msi"
check "a truncated package makes msiexec fail" fails msiexec /i "$(windowsPath "$work/truncated.msi")" /qn
check "and installs nothing" nothingInstalled

# A signing certificate issued by a CA made for the test, as a maintainer would hold a real one.
certs="$work/certs"
mkdir -p "$certs"
(
    cd "$certs"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Tarvo Test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
    openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Tarvo developers"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext -out signer.pem
    echo "test password" >password
    openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout file:password -out signer.pfx
) >"$work/openssl.log" 2>&1 || { cat "$work/openssl.log" >&2; exit 1; }
TARVO_SIGNING_PFX="$certs/signer.pfx" TARVO_SIGNING_PASSWORD_FILE="$certs/password" \
    "$here/../../packaging/makePackages.sh" "$windowsBuild" "$work/signed"
signedMsi="$work/signed/Tarvo-$TARVO_VERSION-x64.msi"
unzip -q "$work/signed/Tarvo-$TARVO_VERSION-win64.zip" Tarvo.exe -d "$work/signed"
verifies() { osslsigncode verify -CAfile "$certs/ca.pem" -in "$1" >"$work/verify.log" 2>&1; }
oneByteChanged() {
    cp "$1" "$2"
    printf '\x5a' | dd of="$2" bs=1 seek=$(($(stat -c %s "$1") / 2)) conv=notrunc status=none
}
oneByteChanged "$work/signed/Tarvo.exe" "$work/changed.exe"
oneByteChanged "$signedMsi" "$work/changed.msi"
check "the signed Tarvo.exe in the zip verifies against the CA" verifies "$work/signed/Tarvo.exe"
check "the signed MSI verifies against the CA" verifies "$signedMsi"
check "an exe with one byte changed is rejected" fails verifies "$work/changed.exe"
check "an MSI with one byte changed is rejected" fails verifies "$work/changed.msi"
codes() { msiinfo export "$1" Property | grep ProductCode; msiinfo suminfo "$1" | grep Revision; }
check "the signed pack of $TARVO_VERSION has product and package codes of its own" \
    test -z "$(comm -12 <(codes "$current") <(codes "$signedMsi"))"
check "its upgrade row takes in its own version" grep -q "		$TARVO_VERSION.0		513		WIX_UPGRADE_DETECTED" <(msiinfo export "$signedMsi" Upgrade)
check "the unsigned MSI installs again" msiexec /i "$(windowsPath "$current")" /qn
check "the signed MSI installs over it" msiexec /i "$(windowsPath "$signedMsi")" /qn
signedReplacedIt() { entriesAre "$TARVO_VERSION.0 $TARVO_PUBLISHER NoModify=0x1" && cmp -s "$installed/Tarvo.exe" "$work/signed/Tarvo.exe"; }
check "and replaces it: one Apps entry, the signed Tarvo.exe" signedReplacedIt
check "with all its files" allFilesInstalled
check "and the signed MSI uninstalls" msiexec /x "$(windowsPath "$signedMsi")" /qn
check "leaving nothing" nothingInstalled

[ $failures = 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
