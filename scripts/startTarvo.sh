#!/usr/bin/env bash
# Starts a built Tarvo.exe under Wine the way a person's desktop expects it (run.sh calls it
# once the exe is built):
#
#   startTarvo.sh STATE_DIR EXE...
#
# on this X display if there is one, else on a private virtual display (Xvfb) that stops when
# Tarvo exits; as a window the window manager manages, when one runs there; at the desktop's
# scale. Ends with Tarvo's exit code.
#
# Give it a state dir of its own (run.sh keeps build/wine-run): each start sets its prefix's
# window-manager mode and scale for this display, which must never reach a test run.
set -euo pipefail
source "$(dirname "$0")/wineEnv.sh"
useState "${1:?state dir}"
shift

# An EWMH window manager names its check window on the root, and the window names itself;
# a property left behind by a window manager that has gone fails the second test.
checkWindowNamedBy() { # -root, or -id WINDOW
    xprop "$@" -notype -f _NET_SUPPORTING_WM_CHECK 32x ' $0\n' _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{ print $2 }'
}
windowManagerRuns() {
    local check
    check=$(checkWindowNamedBy -root)
    [[ $check == 0x* ]] && [ "$(checkWindowNamedBy -id "$check")" = "$check" ]
}

# GNOME, KDE and Xfce give X programs their scale as Xft.dpi in the root window's resources
# (144 at 150 %, 192 at 200 %); Wine does not read it, so its LogPixels is set from it.
desktopDpi() {
    local dpi
    dpi=$(xprop -root RESOURCE_MANAGER 2>/dev/null | grep -o 'Xft\.dpi:\(\\t\|[[:space:]]\)*[0-9.]*' | grep -o '[0-9.]*$' | head -n 1 || true)
    awk -v dpi="${dpi:-96}" 'BEGIN { d = int(dpi + 0.5); print (d < 96 ? 96 : d > 480 ? 480 : d) }'
}

# Wine reads both when a program starts. Managed, Tarvo's window is the window manager's like any
# other (listed, stacked, activated, minimised and maximised by it); Decorated stays N, as Tarvo
# draws its own title bar. Without a window manager nothing would answer Wine's requests to
# minimise or maximise a managed window, so there it stays unmanaged.
setDesktopMode() {
    need xprop x11-utils
    local managed=N
    windowManagerRuns && managed=Y
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="%s"\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' \
        "$managed" "$(desktopDpi)" >"$state/desktop.reg"
    timeout 120 wine regedit /S "$state/desktop.reg" >"$state/desktop.log" 2>&1 ||
        fail "could not set the window-manager mode and scale in the prefix (see $state/desktop.log)"
    waitForServerExit
}

if [ -z "${DISPLAY:-}" ]; then
    startDisplay
    trap "waitForServerExit; stopDisplay" EXIT # Wine's own X clients first, which would complain
    export DISPLAY=$(cat "$state/display")
    echo "No X display: Tarvo runs on the virtual display $DISPLAY."
fi
waitForServerExit # a Tarvo just closed may still have its server up
createPrefix
setDesktopMode
wine "$@" # the last command: its exit code is this script's
