#!/usr/bin/env bash
# The CTest test of one x86 test program (or test script) that the guest ran
# (vm.WindowsX86InGuest, windows-x86-side.sh): prints what it printed there and passes, fails or
# is skipped as it was.
#   x86-result.sh RESULTS_DIR NAME
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: x86-result.sh RESULTS_DIR NAME" >&2; exit 2; }
results=$1 name=$2
if [ -f "$results/$name.status" ]; then
    tr -d '\r' < "$results/$name.log"
    status=$(cat "$results/$name.status")
    echo "($name in the x86 guest: exit status $status)"
    case $status in
        0) exit 0 ;;
        77) exit 77 ;;
        124) echo "FAILED: $name did not end within the guest's time limit"; exit 1 ;;
        *) exit 1 ;;
    esac
fi
if [ -f "$results/skipped" ]; then
    echo "SKIPPED: the x86 guest did not run: $(cat "$results/skipped")"
    exit 77
fi
echo "FAILED: the x86 guest ended before it ran $name (see vm.WindowsX86InGuest's output)"
exit 1
