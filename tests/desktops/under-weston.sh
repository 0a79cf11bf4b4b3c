#!/bin/sh
# under-weston.sh [--x11] COMMAND...: runs COMMAND as a client of weston's
# headless backend (1280 x 900, drawn by its pixman renderer, with its debug
# protocol so that tests can read the scene graph), with
# QT_QPA_PLATFORM=wayland, a runtime folder of its own and the socket in
# WAYLAND_DISPLAY; ends weston afterwards. With --x11, weston's X11 backend
# instead, as a window at the top-left corner of the X server in DISPLAY (a
# 1280 x 900 Xvfb): weston then has a seat, whose pointer and keyboard are
# the X server's, so that input made there (xdotool) reaches the clients;
# the virtual keyboard that weston would show for text fields is left out.
# Exits 77 (a skip for CTest) where weston or Qt's Wayland platform plugin
# is missing or weston does not come up.
set -u
backend=headless-backend.so
if [ "${1:-}" = --x11 ]; then
    backend=x11-backend.so
    shift
fi
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
if ! command -v weston >/dev/null 2>&1 || ! command -v weston-debug >/dev/null 2>&1; then
    echo "SKIP: weston is not installed (tools/install-deps.sh installs it)"
    exit 77
fi
if [ ! -e "$plugins/platforms/libqwayland-generic.so" ]; then
    echo "SKIP: Qt's Wayland platform plugin (qt6-wayland) is not installed"
    exit 77
fi
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
socket=masume-test
printf '[input-method]\npath=\n' >"$runtime/weston.ini"
weston --backend=$backend --use-pixman --width=1280 --height=900 \
    --socket=$socket --idle-time=0 --config="$runtime/weston.ini" --debug --log="$runtime/weston.log" &
compositor=$!
i=0
until [ -S "$runtime/$socket" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 $compositor 2>/dev/null; then
        echo "SKIP: weston did not start"
        cat "$runtime/weston.log" 2>/dev/null
        kill $compositor 2>/dev/null
        rm -rf "$runtime"
        exit 77
    fi
    sleep 0.1
done
WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$@"
status=$?
kill $compositor 2>/dev/null
wait $compositor 2>/dev/null
rm -rf "$runtime"
exit $status
