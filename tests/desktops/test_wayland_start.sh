#!/bin/sh
# test_wayland_start.sh MASUME: the real program started as a native Wayland
# client (under tests/desktops/under-weston.sh): both windows are mapped,
# the grid window above the main window, and the program still runs a
# while later.
set -u
"$1" 2>"$XDG_RUNTIME_DIR/masume.err" &
program=$!
scene() { timeout 2 weston-debug scene-graph 2>/dev/null | grep "top-level window"; }
i=0
until [ "$(scene | grep -c "of org.masume.masume")" = 2 ]; do
    i=$((i + 1))
    if [ $i -gt 40 ] || ! kill -0 $program 2>/dev/null; then
        echo "FAIL: the two windows were not mapped"
        scene
        cat "$XDG_RUNTIME_DIR/masume.err"
        kill $program 2>/dev/null
        exit 1
    fi
    sleep 0.25
done
if ! scene | head -1 | grep -q "'F_Grid'"; then
    echo "FAIL: the grid window is not on top"
    scene
    kill $program
    exit 1
fi
sleep 2
if ! kill -0 $program 2>/dev/null; then
    echo "FAIL: the program ended"
    cat "$XDG_RUNTIME_DIR/masume.err"
    exit 1
fi
kill $program
wait $program 2>/dev/null
echo "PASS: both windows mapped, the grid window on top, the program running"
