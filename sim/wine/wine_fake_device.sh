# wine_fake_device.sh: fake drives for a Windows program under Wine, for tests. Source it from
# bash; every function returns 0 on success.
#
#   wfd_setup STATE SERVER SHIM   STATE: a folder in the build tree that keeps the Wine prefix
#                                 (made once, reused: a fresh one costs ~10-20 s) and the drive
#                                 nodes; SERVER: zelvane-wine-device; SHIM: libzelvane-wine-shim.so.
#                                 Returns 77 with WFD_SKIP_REASON set when Wine is missing.
#   wfd_start                     the prefix, a persistent wineserver (-p: one start-up for all
#                                 programs of the test, not ~20 s each) and the device server
#   wfd_start_display             an Xvfb display for programs with windows (returns 77 with
#                                 WFD_SKIP_REASON when Xvfb is missing); leave it out for console
#                                 programs
#   wfd_ctl COMMAND...            one control command, see wine_device_control.h: plug N
#                                 update|disk, replug N, unplug N, fault arming, dump, stats
#   wfd_stat N NAME               one counter of `wfd_ctl stats N`, e.g. blocks-verified
#   wfd_wine EXE ARGS...          runs EXE under Wine with the shim, in the foreground; its
#                                 standard streams are the caller's
#   wfd_wine_bg EXE ARGS...       the same in the background: WFD_PID is the launcher's process,
#                                 which lives as long as the program; output in STATE/program.log
#   wfd_wait_for SECONDS CMD...   runs CMD every 0.2 s until it succeeds; 1 after SECONDS. The
#                                 caller expands CMD's words once: a counter to watch must be
#                                 read inside CMD (a function), not passed as "$(wfd_stat ...)"
#   wfd_stop                      ends what wfd_* started (by process id), pulls every drive,
#                                 stops the wineserver of the prefix; the prefix stays
#
# \\.\PhysicalDriveN of the program is drive N of the server: `wfd_ctl plug N update` links
# dosdevices/physicaldriveN to the drive's node, `wfd_ctl unplug N` removes the link. Without a
# link, Wine opens its own C: disk as drive 0 (every command then fails) and fails drives 1 and
# up, so tests plug drives from 1 on. Example, a device pulled in the middle of a transfer:
#
#   source wine_fake_device.sh
#   wfd_setup "$build/wine-e2e" "$server" "$shim" || { echo "SKIPPED: $WFD_SKIP_REASON"; exit 77; }
#   trap wfd_stop EXIT
#   wfd_start && wfd_start_display
#   wfd_ctl plug 1 update && wfd_ctl pull-after 1 300
#   wfd_wine_bg "$folder/Zelvane.exe"
#   pulled() { [ "$(wfd_stat 1 plugged)" = 0 ]; }
#   wfd_wait_for 60 pulled
#   wfd_ctl dump 1 "$WFD_PLAIN_DIR/memory.bin" 1048576   (a path without blanks)

wfd_find_wine() {
    local name
    for name in wine64 /usr/lib/wine/wine64 /usr/lib64/wine/wine64; do
        if command -v "$name" >/dev/null 2>&1; then
            command -v "$name"
            return 0
        fi
    done
    return 1
}

wfd_setup() {
    WFD_STATE=$1
    WFD_SERVER=$2
    WFD_SKIP_REASON=
    WFD_WINE=$(wfd_find_wine) || {
        WFD_SKIP_REASON="wine64 not found (Debian package wine64)"
        return 77
    }
    WFD_WINESERVER=$(dirname "$WFD_WINE")/wineserver
    [ -x "$WFD_WINESERVER" ] || WFD_WINESERVER=$(command -v wineserver) || {
        WFD_SKIP_REASON="wineserver not found beside $WFD_WINE"
        return 77
    }
    # A checkout's path may hold blanks, which LD_PRELOAD's list and the device server's control
    # lines split at: WFD_PLAIN_DIR is a folder of this run's own whose path holds none, for the
    # shim's copy and for the files the server writes (wfd_ctl dump N "$WFD_PLAIN_DIR/...").
    WFD_PLAIN_DIR=$(mktemp -d /tmp/zelvane-wine.XXXXXX) || return 1
    cp "$3" "$WFD_PLAIN_DIR/sg_io_shim.so" || return 1
    WFD_SHIM=$WFD_PLAIN_DIR/sg_io_shim.so
    mkdir -p "$WFD_STATE/dev" || return 1
    WFD_STATE=$(cd "$WFD_STATE" && pwd)
    export WINEPREFIX=$WFD_STATE/prefix
    export WINEDEBUG=-all
    # No Mono or Gecko installer dialogs in a fresh prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export ZELVANE_WINE_DEVICE_DIR=$WFD_STATE/dev
    WFD_PIDS=()
}

wfd_start() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WFD_WINE" wineboot -i >"$WFD_STATE/wineboot.log" 2>&1 || {
            echo "wfd: wineboot failed, see $WFD_STATE/wineboot.log" >&2
            return 1
        }
    fi
    # Persistent until wfd_stop. A server still running (the one of wineboot lingers a few
    # seconds) refuses a second; wait for it to end, unless it is a persistent one already.
    if ! "$WFD_WINESERVER" -p 2>/dev/null; then
        timeout 15 "$WFD_WINESERVER" -w
        "$WFD_WINESERVER" -p 2>/dev/null || echo "wfd: wineserver already running" >&2
    fi
    rm -f "$WINEPREFIX"/dosdevices/physicaldrive*
    "$WFD_SERVER" serve "$ZELVANE_WINE_DEVICE_DIR" "$WINEPREFIX/dosdevices" \
        >"$WFD_STATE/server.log" 2>&1 &
    WFD_SERVER_PID=$!
    wfd_wait_for 10 grep -q ready "$WFD_STATE/server.log" || {
        echo "wfd: the device server did not start, see $WFD_STATE/server.log" >&2
        return 1
    }
}

wfd_start_display() {
    command -v Xvfb >/dev/null 2>&1 || {
        WFD_SKIP_REASON="Xvfb not found (Debian package xvfb)"
        return 77
    }
    local display
    for display in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$WFD_STATE/xvfb.log" 2>&1 &
        WFD_PIDS+=($!)
        export DISPLAY=:$display
        wfd_wait_for 10 test -e "/tmp/.X11-unix/X$display" && return 0
    done
    echo "wfd: no Xvfb display could be started" >&2
    return 1
}

wfd_ctl() {
    "$WFD_SERVER" ctl "$ZELVANE_WINE_DEVICE_DIR" "$@"
}

wfd_stat() {
    wfd_ctl stats "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"
}

wfd_wine() {
    LD_PRELOAD=$WFD_SHIM "$WFD_WINE" "$@"
}

wfd_wine_bg() {
    LD_PRELOAD=$WFD_SHIM "$WFD_WINE" "$@" >>"$WFD_STATE/program.log" 2>&1 &
    WFD_PID=$!
    WFD_PIDS+=("$WFD_PID")
}

wfd_wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 5))
    while ! "$@" 2>/dev/null; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.2
    done
}

wfd_stop() {
    local pid
    for pid in "${WFD_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    if [ -n "${WFD_SERVER_PID:-}" ]; then
        wfd_ctl quit >/dev/null 2>&1 || kill "$WFD_SERVER_PID" 2>/dev/null
        wait "$WFD_SERVER_PID" 2>/dev/null
        WFD_SERVER_PID=
    fi
    # Ends the Windows processes of this prefix with it.
    [ -n "${WFD_WINESERVER:-}" ] && "$WFD_WINESERVER" -k 2>/dev/null
    for pid in "${WFD_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    WFD_PIDS=()
    [ -z "${WFD_PLAIN_DIR:-}" ] || rm -rf "$WFD_PLAIN_DIR"
    WFD_PLAIN_DIR=
    return 0
}
