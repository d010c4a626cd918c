#!/usr/bin/env bash
# Runs a Windows program of this build under wine64: CMake's and CTest's emulator for the
# windows-x64 build, and GoogleTest's discovery through it.
#   wine-run.sh PROGRAM.exe [ARGS...]
# The program's exit status is passed on. Without Wine it exits 77 with "SKIPPED: reason", which
# CTest reports as a skip. The build tree's Wine server (wine-server.sh, started by a CTest
# fixture) makes each start cost about a second; without it, a server is started that stays
# for three seconds after the program, so that a row of programs (discovery) shares it.
set -uo pipefail
. "$(dirname "$0")/wine-common.sh"

if ! find_wine; then
    echo "SKIPPED: $WINE_MISSING"
    exit 77
fi
[ $# -gt 0 ] || { echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }
use_build_prefix "$1" || exit 2
# Fails harmlessly when the fixture's server (or an earlier one) is running already. It outlives
# the program, so it must not hold the caller's output pipe.
"$WINESERVER" -p"${ZELVANE_WINE_LINGER:-3}" < /dev/null > /dev/null 2>&1

# Windows programs end their lines with CR LF; GoogleTest's discovery reads the list line by
# line and would take the CR into every name.
for arg in "$@"; do
    if [ "$arg" = --gtest_list_tests ]; then
        "$WINE64" "$@" | tr -d '\r'
        exit "${PIPESTATUS[0]}"
    fi
done
# A program's first window starts Wine's desktop process, which inherits the program's output
# and stays a while after it: CTest would wait for that output to close, seconds per test. The
# output goes through a file, which the desktop may keep open as long as it likes, and is passed
# on as it comes, so that a test stopped at its time-out still shows how far it got.
output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$output"' EXIT
"$WINE64" "$@" > "$output" 2>&1 &
program=$!
tail -n +1 -s 0.05 -f --pid="$program" "$output" &
follower=$!
# A Windows program that crashes ends with its exception code, never by a Unix signal: a run
# that a signal ended is Wine's failure (or the server's being killed under it), and is named so.
wait "$program"
status=$?
wait "$follower"
if [ $status -gt 128 ] && [ $status -lt 160 ]; then
    echo "wine-run.sh: wine64 was ended by signal $((status - 128)), not by the program" >&2
fi
exit $status
