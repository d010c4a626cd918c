#!/usr/bin/env bash
# The emulator of the test programs that make real windows: wine-run.sh on the display that
# virtual-display.sh started for this build (none while GoogleTest only lists the tests).
#   run-with-display.sh PROGRAM.exe [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$(dirname "$1")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ -s "$dir/virtual-display.number" ]; then
    export DISPLAY=:$(cat "$dir/virtual-display.number")
elif [[ " $* " != *" --gtest_list_tests "* ]]; then
    # Without it the program's first window or paint would wait for a desktop that cannot start.
    echo "SKIPPED: no virtual display for Wine (Xvfb, Debian package xvfb, did not start)"
    exit 77
fi
exec "$here/../../cmake/wine/wine-run.sh" "$@"
