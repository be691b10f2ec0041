#!/usr/bin/env bash
# The Wine test environment: a private Xvfb display and a private Wine prefix
# with stand-in "Segoe UI" and "Segoe MDL2 Assets" fonts (test fixtures only).
#
#   wineEnv.sh start STATE_DIR        start Xvfb, create the prefix once
#   wineEnv.sh stop STATE_DIR         stop wineserver and Xvfb (by its pid)
#   wineEnv.sh exec STATE_DIR EXE...  run a Windows program in that environment
#   wineEnv.sh run STATE_DIR EXE...   like exec, on $DISPLAY if set, else on a
#                                     virtual display of its own
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
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" >"$state/xvfb.log" 2>&1 &
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
    rm -rf "$WINEPREFIX"
    timeout 300 wineboot -i >"$state/wineboot.log" 2>&1 || fail "wineboot could not create the prefix (see $state/wineboot.log)"
    /usr/bin/python3 "$here/../fixtures/makeFonts.py" "$state/fonts" || fail "could not build the stand-in fonts (python3-fonttools, fonts-liberation2)"
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
    timeout 120 wine regedit /S "$state/prefix.reg" || fail "could not register the stand-in fonts in the prefix"
    timeout 120 wineserver -w
    touch "$WINEPREFIX/.tarvo-ready"
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
    wine "$@"
    ;;
*)
    fail "unknown command $command"
    ;;
esac
