#!/usr/bin/env bash
# A virtual X server for the test programs of the windows-x64 build that make real windows
# under Wine: started before the first test and stopped after the last (CTest fixture), its
# display number kept in the build tree for run-with-display.sh.
#   virtual-display.sh start|stop BUILD_DIR
# Exits 77 with "SKIPPED: reason" when Xvfb is not installed.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: virtual-display.sh start|stop BUILD_DIR" >&2; exit 2; }
state=$2/virtual-display
case $1 in
    start)
        command -v Xvfb > /dev/null || { echo "SKIPPED: Xvfb is not installed (Debian package xvfb)"; exit 77; }
        [ -f "$state.pid" ] && kill "$(cat "$state.pid")" 2> /dev/null
        rm -f "$state.number" "$state.pid"
        # -displayfd picks a free display, so that parallel builds do not meet.
        setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$state.number" \
            < /dev/null > "$state.log" 2>&1 &
        echo $! > "$state.pid"
        for _ in $(seq 100); do
            [ -s "$state.number" ] && { echo "display :$(cat "$state.number")"; exit 0; }
            sleep 0.1
        done
        echo "Xvfb did not start: $(cat "$state.log")"
        exit 1
        ;;
    stop)
        [ -f "$state.pid" ] && kill "$(cat "$state.pid")" 2> /dev/null
        rm -f "$state.number" "$state.pid"
        exit 0
        ;;
esac
echo "usage: virtual-display.sh start|stop BUILD_DIR" >&2
exit 2
