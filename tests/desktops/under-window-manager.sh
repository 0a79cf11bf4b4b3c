#!/bin/sh
# under-window-manager.sh WM COMMAND...: runs COMMAND on the X server of
# $DISPLAY (one of xvfb-run's) with the window manager WM (openbox, icewm)
# managing it, and ends the manager afterwards. Exits 77 (a skip for CTest)
# where the manager is not installed or does not come up.
set -u
wm=$1
shift
if ! command -v "$wm" >/dev/null 2>&1 || ! command -v xprop >/dev/null 2>&1; then
    echo "SKIP: $wm or xprop is not installed (tools/install-deps.sh installs both)"
    exit 77
fi
"$wm" >/dev/null 2>&1 &
manager=$!
# The manager is up once it names itself on the root window.
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 $manager 2>/dev/null; then
        echo "SKIP: $wm did not start on $DISPLAY"
        kill $manager 2>/dev/null
        exit 77
    fi
    sleep 0.1
done
sleep 0.5 # its panels and work area
"$@"
status=$?
kill $manager 2>/dev/null
wait $manager 2>/dev/null
exit $status
