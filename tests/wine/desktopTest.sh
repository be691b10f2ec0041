#!/usr/bin/env bash
# Tarvo started as run.sh starts it, on a display of its own where a window manager (openbox)
# runs beside another X client: the manager lists Tarvo and adds no frame, activating either
# window puts it on top, Tarvo's own Maximize and Minimize go through the manager, a window
# minimised either way shows its frame again when activated, and Close in the screen's corner ends it with 0.
set -euo pipefail
#
#   desktopTest.sh WINDOWS_BUILD STATE_DIR [openbox | mutter [ROUNDS]]
#
# mutter runs as "GNOME on Xorg" runs it (needs the mutter package); the rounds repeat the first start.
windowsBuild=$(cd "${1:?windows build dir}" && pwd)
state=${2:?state dir}
windowManager=${3:-openbox}
rounds=${4:-1}
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d)
touch "$work/run.log"
# A display and prefix of the test's own (the prefix is kept between runs); stopping the
# display ends its X clients, and stopping the prefix's wineserver ends Tarvo.
trap '"$scripts/wineEnv.sh" stop "$state"; rm -rf "$work"' EXIT
"$scripts/wineEnv.sh" start "$state"
export DISPLAY=$(cat "$state/display")

waitFor() { # SECONDS WHAT COMMAND...: polls the command until it succeeds
    local seconds=$1 what=$2 start=$SECONDS end=$((SECONDS + $1))
    shift 2
    until "$@" >/dev/null; do
        [ $SECONDS -lt $end ] || { cat "$work/run.log" >&2; echo "FAILED: $what (not within $seconds s)" >&2; exit 1; }
        sleep 0.2
    done
    echo "ok: $what ($((SECONDS - start)) s)"
}
clientNamed() { # prints the managed window titled $1; fails if there is none
    local id
    for id in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
        xprop -id "$id" WM_NAME | grep -q "= \"$1\"$" && echo "$id" && return 0
    done
    return 1
}
geometry() { # "left top width height " of Tarvo's window, or of the given one (-root)
    [ $# -gt 0 ] || set -- -id "$tarvo"
    xwininfo "$@" | awk '/Absolute upper-left [XY]|Width|Height/ { printf "%s ", $NF }'
}
pixelIs() { # X Y RRGGBB: the screen shows that colour there
    [ "$(xwd -root -silent | /usr/bin/python3 -c 'import struct, sys
d = sys.stdin.buffer.read(); h = struct.unpack(">25I", d[:100]); x, y = map(int, sys.argv[1:])
p = h[0] + 12 * h[19] + y * h[12] + x * h[11] // 8
print(d[p:p + 3][::-1].hex())' "$1" "$2")" = "$3" ]
}
stateHas() { xprop -id "$tarvo" "$1" | grep -q "$2"; } # of Tarvo's property $1
# mutter gives a window it does not decorate no frame extents at all.
frameless() { stateHas _NET_FRAME_EXTENTS '= 0, 0, 0, 0$' || { [ "$windowManager" = mutter ] && stateHas _NET_FRAME_EXTENTS 'not found'; }; }
# The atoms of a list property come in any order (mutter puts HORZ first and adds FOCUSED).
maximised() { stateHas _NET_WM_STATE 'MAXIMIZED_VERT\b' && stateHas _NET_WM_STATE 'MAXIMIZED_HORZ\b' && [ "$(geometry)" = "$(geometry -root)" ]; }
restored() { ! stateHas _NET_WM_STATE MAXIMIZED && [ "$(geometry)" = "$placed" ]; }
shown() { stateHas WM_STATE 'window state: Normal' && pixelIs "${probe[@]}" ffffff; }
shownMaximised() { shown && maximised; }
maximisedAndDrawn() { # the canvas reaches the screen's far corner
    local width height
    read -r _ _ width height <<<"$(geometry -root)"
    maximised && pixelIs $((width - 30)) $((height - 30)) ffffff
}
ended() { ! kill -0 "$run" 2>/dev/null; }
click() { # Tarvo's title-bar button centred $1 pixels left of its right edge (at 96 DPI)
    local left top width
    read -r left top width _ <<<"$(geometry)"
    xdotool mousemove $((left + width - $1)) $((top + 16)) click 1
}

xlogo -geometry 1600x1000+0+0 -fg '#ff00ff' -bg '#ff00ff' &
waitFor 30 "xlogo is on screen" sh -c 'xwininfo -name xlogo | grep -q IsViewable'
# A window manager can miss a window mapped while it starts, never one already mapped.
case $windowManager in
openbox) openbox --sm-disable >/dev/null 2>&1 & ;;
mutter) dbus-run-session -- mutter --x11 --replace --sm-disable >"$work/mutter.log" 2>&1 & ;;
esac
waitFor 30 "$windowManager manages xlogo" clientNamed xlogo
other=$(clientNamed xlogo)
startTarvo() { # as run.sh starts it
    "$scripts/startTarvo.sh" "$state" "$windowsBuild/Tarvo.exe" >"$work/run.log" 2>&1 &
    run=$!
    waitFor 30 "Tarvo is in _NET_CLIENT_LIST" clientNamed Tarvo
    tarvo=$(clientNamed Tarvo)
}
endsWithZero() { # WHAT: Tarvo ends, with exit code 0
    waitFor 30 "$1" ended
    if wait "$run"; then echo "ok: with exit code 0"; else echo "FAILED: Tarvo ended with exit code $?" >&2; exit 1; fi
}
for round in $(seq "$rounds"); do
    echo "round $round of $rounds"
    startTarvo
    waitFor 30 "with no window-manager frame" frameless
    placed=$(geometry)
    read -r left top _ <<<"$placed"
    probe=($((left + 100)) $((top + 300))) # in Tarvo's canvas and in xlogo's window
    waitFor 30 "Tarvo starts above xlogo" pixelIs "${probe[@]}" ffffff
    xdotool windowactivate "$other"
    waitFor 30 "activating xlogo puts it above Tarvo" pixelIs "${probe[@]}" ff00ff
    xdotool windowactivate "$tarvo"
    waitFor 30 "activating Tarvo puts it back on top" pixelIs "${probe[@]}" ffffff
    click 69
    waitFor 30 "Tarvo's Maximize maximises it through the window manager, drawn to the far corner" maximisedAndDrawn
    click 69
    waitFor 30 "pressed again, it restores the old place and size" restored
    click 115
    waitFor 30 "Tarvo's Minimize iconifies it" stateHas WM_STATE 'window state: Iconic'
    xdotool windowactivate "$tarvo"
    waitFor 30 "activating it shows it again" shown
    click 69
    waitFor 30 "maximised once more" maximised
    xdotool windowminimize "$tarvo"
    waitFor 30 "the window manager's own minimise iconifies it" stateHas WM_STATE 'window state: Iconic'
    xdotool windowactivate "$tarvo"
    waitFor 30 "activating it shows it again, maximised" shownMaximised
    read -r _ _ screenWidth _ <<<"$(geometry -root)"
    xdotool mousemove $((screenWidth - 1)) 0
    waitFor 30 "the screen's top-right pixel is Tarvo's Close, red under the pointer" pixelIs $((screenWidth - 1)) 0 ff0000
    xdotool click 1
    endsWithZero "a click there ends Tarvo"
done

# At a desktop's 150 %, Tarvo starts at scale 1.5: its Close button is 69 pixels wide, so a click
# 60 pixels left of its right edge closes it (at 96 DPI that would be Maximize).
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t144\nXft.antialias:\t1\n')"
startTarvo
read -r left top _ <<<"$(geometry)"
waitFor 30 "Tarvo is drawn with Xft.dpi 144 on the display" pixelIs $((left + 100)) $((top + 300)) ffffff
click 60
endsWithZero "a click 60 pixels left of the right edge is on the Close button"
