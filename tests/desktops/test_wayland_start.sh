#!/bin/sh
# test_wayland_start.sh MASUME: the real program started as a native Wayland
# client (under tests/desktops/under-weston.sh): both windows are mapped,
# the grid window above the main window, the grid window named as the main
# window's child only once the main window is mapped (a parent that is not
# yet mapped counts as none), and the program still runs a while later.
set -u
WAYLAND_DEBUG=client "$1" 2>"$XDG_RUNTIME_DIR/masume.err" &
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
# The requests as the client sent them: the main window's surface, its
# first frame (attach, then commit), the grid window's set_parent.
order=$(awk '
    / -> xdg_wm_base@[0-9]+\.get_xdg_surface/ {
        match($0, /wl_surface@[0-9]+/); surface = substr($0, RSTART, RLENGTH) }
    / -> xdg_surface@[0-9]+\.get_toplevel/ {
        match($0, /xdg_toplevel@[0-9]+/); toplevel = substr($0, RSTART, RLENGTH) }
    / -> xdg_toplevel@[0-9]+\.set_title\("F_Canvas"\)/ {
        canvasSurface = surface; canvasToplevel = toplevel }
    canvasSurface != "" && index($0, " -> " canvasSurface ".attach(") { attached = 1 }
    attached && index($0, " -> " canvasSurface ".commit()") { mapped = 1 }
    canvasToplevel != "" && index($0, ".set_parent(" canvasToplevel ")") {
        print (mapped ? "after" : "before"); exit }
' "$XDG_RUNTIME_DIR/masume.err")
if [ "$order" != after ]; then
    echo "FAIL: the grid window named the main window as its parent ${order:-never}" \
        "the main window was mapped"
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
