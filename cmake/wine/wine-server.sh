#!/usr/bin/env bash
# The build tree's persistent Wine server, started and stopped by a CTest fixture so that the
# test programs do not each pay Wine's start-up (about 20 s each without it, 1 s with it).
#   wine-server.sh start|stop BUILD_DIR
# start makes the prefix when it is new (the slow first start) and leaves a server running that
# does not end when the last program does; stop ends that server and every Wine process of the
# prefix, and nothing else. Without Wine both exit 77 with "SKIPPED: reason".
set -uo pipefail
. "$(dirname "$0")/wine-common.sh"

[ $# -eq 2 ] || { echo "usage: wine-server.sh start|stop BUILD_DIR" >&2; exit 2; }
if ! find_wine; then
    echo "SKIPPED: $WINE_MISSING"
    exit 77
fi
use_build_prefix "$2/CMakeCache.txt" || exit 2

case $1 in
start)
    # The server and the services wineboot starts outlive this script: they must not hold
    # CTest's output pipe, or CTest waits for them until its time-out.
    log=$WINEPREFIX.log
    mkdir -p "$(dirname "$log")"
    : > "$log"
    # A server left from test discovery ends by itself a few seconds after its last program;
    # it is waited for, not killed (killing races with the new server's start). Another
    # server may still slip in between, so the start is tried again.
    started=
    for _ in $(seq 1 30); do
        "$WINESERVER" -w < /dev/null >> "$log" 2>&1
        if "$WINESERVER" -p < /dev/null >> "$log" 2>&1; then
            started=yes
            break
        fi
        sleep 1
    done
    [ -n "$started" ] || { echo "wine-server.sh: wineserver -p failed:"; cat "$log"; exit 1; }
    # wineboot makes or updates the prefix, and waits until it is ready.
    "$WINE64" wineboot --init < /dev/null >> "$log" 2>&1 ||
        { echo "wine-server.sh: wineboot failed in $WINEPREFIX:"; cat "$log"; exit 1; }
    echo "Wine server running for $WINEPREFIX"
    ;;
stop)
    "$WINESERVER" -k 2> /dev/null
    "$WINESERVER" -w 2> /dev/null
    echo "Wine server stopped for $WINEPREFIX"
    ;;
*)
    echo "usage: wine-server.sh start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
