#!/usr/bin/env bash
# Runs the tests of the 32-bit build of the device layer: natively when this machine runs 32-bit
# programs, else under qemu-i386 (Debian's qemu-user), else exits 77 (skipped) with the reason.
# Whether a way works is learnt by starting the build's probe program (tests/m32/m32_probe) that
# way, so a kernel without 32-bit support never shows up as a failing test.
#
# run-m32-tests.sh --ctest CTEST --build DIR [--no-native] [--no-emulation] [--expect-skip]
#   --no-native     act as on a kernel that cannot run 32-bit programs
#   --no-emulation  act as on a machine without qemu-i386
#   --expect-skip   instead check that these options end in a skip with a reason: exit 0 when
#                   they do, 1 when not
# run-m32-tests.sh --skip REASON
#   report the check as skipped for REASON (exit 77), e.g. when no 32-bit compiler exists
set -uo pipefail

SKIP=77
ctest=ctest
build=
native=1
emulation=1
expect_skip=0
forwarded=()
while [ $# -gt 0 ]; do
    case "$1" in
        --ctest) ctest="$2"; forwarded+=("$1" "$2"); shift 2 ;;
        --build) build="$2"; forwarded+=("$1" "$2"); shift 2 ;;
        --no-native) native=0; forwarded+=("$1"); shift ;;
        --no-emulation) emulation=0; forwarded+=("$1"); shift ;;
        --expect-skip) expect_skip=1; shift ;;
        --skip) echo "SKIPPED: $2"; exit $SKIP ;;
        *) echo "run-m32-tests.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done

if [ $expect_skip -eq 1 ]; then
    output=$("$0" "${forwarded[@]}" 2>&1)
    status=$?
    echo "$output"
    if [ $status -eq $SKIP ] && grep -q '^SKIPPED: .' <<< "$output"; then
        echo "reported as skipped with its reason, as it must be"
        exit 0
    fi
    echo "expected exit $SKIP with a 'SKIPPED: reason' line, got exit $status"
    exit 1
fi

probe="$build/tests/m32/m32_probe"
runs_probe() { "$@" "$probe" 2> /dev/null | grep -qx '32-bit process'; }

reasons=()
mode=
if [ $native -eq 0 ]; then
    reasons+=("native runs switched off")
elif [ ! -x "$probe" ]; then
    echo "no probe program at $probe: the 32-bit build is missing"
    exit 1
elif runs_probe; then
    mode=natively
else
    reasons+=("this kernel cannot run 32-bit programs")
fi

emulator=
if [ -z "$mode" ]; then
    if [ $emulation -eq 0 ]; then
        reasons+=("emulation switched off")
    elif ! emulator=$(command -v qemu-i386); then
        reasons+=("no qemu-i386 (Debian package qemu-user)")
    elif [ ! -x "$probe" ]; then
        echo "no probe program at $probe: the 32-bit build is missing"
        exit 1
    elif runs_probe "$emulator"; then
        mode="under $emulator"
    else
        reasons+=("$emulator cannot run the 32-bit probe")
    fi
fi

if [ -z "$mode" ]; then
    reason=$(printf '%s; ' "${reasons[@]}")
    echo "SKIPPED: the 32-bit tests cannot run: ${reason%; }"
    exit $SKIP
fi

echo "running the 32-bit tests $mode"
if [ "$mode" = natively ]; then
    export ZELVANE_M32_EMULATOR=
else
    export ZELVANE_M32_EMULATOR="$emulator"
fi
exec "$ctest" --test-dir "$build" --output-on-failure --no-tests=error
