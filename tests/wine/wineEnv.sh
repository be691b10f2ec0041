#!/usr/bin/env bash
# The Wine test environment: a private Xvfb display and a private Wine prefix
# with stand-in "Segoe UI" and "Segoe MDL2 Assets" fonts (test fixtures only).
#
#   wineEnv.sh start STATE_DIR        start Xvfb, create the prefix once
#   wineEnv.sh stop STATE_DIR         stop wineserver and Xvfb (by its pid)
#   wineEnv.sh exec STATE_DIR EXE...  run a Windows program in that environment
#   wineEnv.sh run STATE_DIR EXE...   like exec, on $DISPLAY if set, else on a
#                                     virtual display of its own; ends with the
#                                     program's exit code
#
# run is for a person's desktop; give it a state dir of its own (run.sh does),
# since it sets the prefix's window-manager mode at every start.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
command=${1:?command}
state=$(mkdir -p "${2:?state dir}" && cd "$2" && pwd)
shift 2

export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
    echo "error: $*" >&2
    exit 1
}

need() {
    command -v "$1" >/dev/null || fail "$1 is missing; run scripts/test.sh (it installs $2 with apt-get)"
}

startDisplay() {
    need Xvfb xvfb
    local fifo="$state/displayfd"
    rm -f "$fifo"
    mkfifo "$fifo"
    # -noreset: by default Xvfb resets whenever its last client leaves (between tests, or
    # between a test's first short-lived clients) and refuses a client that connects meanwhile.
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$fifo" >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    local display=""
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    [ -n "$display" ] || fail "Xvfb did not start a display (see $state/xvfb.log)"
    echo ":$display" >"$state/display"
}

stopDisplay() {
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
}

createPrefix() {
    # A prefix counts as ready only if it was finished and still has its registry; else it is made anew.
    [ -f "$WINEPREFIX/.tarvo-ready" ] && [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/drive_c/windows/Fonts/segmdl2.ttf" ] && return 0
    need wine wine
    need /usr/bin/python3 python3
    echo "Preparing the Wine prefix $WINEPREFIX (first start only; 15 s to a minute)..."
    rm -rf "$WINEPREFIX"
    timeout 300 wineboot -i >"$state/wineboot.log" 2>&1 || fail "wineboot could not create the prefix (see $state/wineboot.log)"
    /usr/bin/python3 "$here/../fixtures/makeFonts.py" "$state/fonts" >"$state/fonts.log" 2>&1 ||
        fail "could not build the stand-in fonts from python3-fonttools and Liberation Sans: $(tail -n 1 "$state/fonts.log")"
    cp "$state/fonts/"*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # Managed=N lets maximise and minimise show on screen without a window manager.
    cat >"$state/prefix.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"Segoe UI (TrueType)"="segoeui.ttf"
"Segoe UI Semibold (TrueType)"="segoeuisb.ttf"
"Segoe MDL2 Assets (TrueType)"="segmdl2.ttf"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"
REG
    timeout 120 wine regedit /S "$state/prefix.reg" >"$state/regedit.log" 2>&1 ||
        fail "could not register the stand-in fonts in the prefix (see $state/regedit.log)"
    timeout 120 wineserver -w
    touch "$WINEPREFIX/.tarvo-ready"
}

# Debian's wineserver quits as soon as its last program has ended, writing out the registry
# first; a program started in that moment joins the quitting server and dies with it, before
# its first line. So nothing starts until the previous server has gone.
waitForServerExit() {
    timeout 60 wineserver -w || true
}

# An EWMH window manager names its check window on the root, and the window names itself;
# a property left behind by a window manager that has gone fails the second test.
checkWindowNamedBy() { # -root, or -id WINDOW
    xprop "$@" -notype -f _NET_SUPPORTING_WM_CHECK 32x ' $0\n' _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{ print $2 }'
}
windowManagerRuns() {
    need xprop x11-utils
    local check
    check=$(checkWindowNamedBy -root)
    [[ $check == 0x* ]] && [ "$(checkWindowNamedBy -id "$check")" = "$check" ]
}

# Wine reads the mode when a program starts. Managed, Tarvo's window is the window manager's
# like any other (listed, stacked, activated, minimised and maximised by it); Decorated stays
# N, as Tarvo draws its own title bar. Without a window manager nothing would answer Wine's
# requests to minimise or maximise a managed window, so there it stays unmanaged.
setWindowManagerMode() {
    local managed=N
    windowManagerRuns && managed=Y
    timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d $managed /f >"$state/reg.log" 2>&1 ||
        fail "could not set the window-manager mode in the prefix (see $state/reg.log)"
    waitForServerExit
}

case "$command" in
start)
    stopDisplay
    startDisplay
    export DISPLAY=$(cat "$state/display")
    createPrefix
    ;;
stop)
    wineserver -k 2>/dev/null || true
    stopDisplay
    ;;
exec)
    [ -f "$state/display" ] || fail "the Wine test display is not running (ctest starts it with the wineEnvironment test)"
    export DISPLAY=$(cat "$state/display")
    waitForServerExit
    # The display keeps its state from one program to the next (-noreset), the pointer too:
    # each starts with it in the middle of the screen, where a fresh display has it.
    need xdotool xdotool
    xdotool mousemove --polar 0 0
    exec wine "$@"
    ;;
run)
    if [ -z "${DISPLAY:-}" ]; then
        startDisplay
        trap stopDisplay EXIT
        export DISPLAY=$(cat "$state/display")
        echo "No X display: Tarvo runs on the virtual display $DISPLAY."
    fi
    createPrefix
    setWindowManagerMode
    wine "$@" # the last command: its exit code is this script's
    ;;
*)
    fail "unknown command $command"
    ;;
esac
