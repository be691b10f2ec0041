#!/usr/bin/env bash
# The Wine environment that Tarvo is started and tested in: a private Xvfb display and a
# private Wine prefix with stand-in "Segoe UI" and "Segoe MDL2 Assets" fonts (made by
# makeFonts.py; never shipped with Tarvo.exe).
#
#   wineEnv.sh start STATE_DIR        start Xvfb, create the prefix once
#   wineEnv.sh stop STATE_DIR         stop wineserver and Xvfb (by its pid)
#   wineEnv.sh exec STATE_DIR EXE...  run a Windows program in that environment, with the
#                                     pointer in the middle of the screen
#
# The tests, benchmarks and the screenshot and soak scripts use these commands; startTarvo.sh
# sources this file for its functions, to start Tarvo on a person's desktop.
set -euo pipefail

wineEnvHere=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Everything below keeps its files in the state dir; the prefix is its "prefix" folder.
useState() {
    state=$(mkdir -p "$1" && cd "$1" && pwd)
    export WINEPREFIX="$state/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

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
    /usr/bin/python3 "$wineEnvHere/makeFonts.py" "$state/fonts" >"$state/fonts.log" 2>&1 ||
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

# Sourced, this file only defines the functions above.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

command=${1:?command}
useState "${2:?state dir}"
shift 2
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
*)
    fail "unknown command $command"
    ;;
esac
