#!/bin/sh
# test_platform_choice.sh MASUME: on a Wayland session that also has an X
# server (XWayland; here Xvfb from xvfb-run and weston from
# tests/desktops/under-weston.sh), the program starts on the X server,
# without a word on its error output, whether or not the Wayland display it
# is told of answers, and whatever Qt's Wayland plugin is installed.
set -u
program=$1
fails=0
for wayland in "$WAYLAND_DISPLAY" no-such-display; do
    err=$(mktemp)
    env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
        WAYLAND_DISPLAY="$wayland" "$program" 2>"$err" &
    pid=$!
    i=0
    until xdotool search --pid $pid --name '^F_Canvas$' >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 40 ] || ! kill -0 $pid 2>/dev/null; then
            break
        fi
        sleep 0.25
    done
    if xdotool search --pid $pid --name '^F_Canvas$' >/dev/null 2>&1; then
        echo "WAYLAND_DISPLAY=$wayland: on the X server"
    else
        echo "FAIL: WAYLAND_DISPLAY=$wayland: the main window is not on the X server"
        fails=$((fails + 1))
    fi
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    if [ -s "$err" ]; then
        echo "FAIL: WAYLAND_DISPLAY=$wayland: the program wrote to its error output:"
        cat "$err"
        fails=$((fails + 1))
    fi
    rm -f "$err"
done
[ $fails = 0 ]
