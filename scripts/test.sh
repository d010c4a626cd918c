#!/usr/bin/env bash
# Installs what is missing, then configures and builds every preset named, then runs every test
# of each through CTest. With no preset named: both Windows programs (windows-x64, whose tests
# run under wine64, and windows-x86, whose tests run in a VM guest with 32-bit Wine), then the
# Linux debug build, whose summary, the fullest, closes the output. Fails as soon as one build or
# one test fails. A test that cannot run on this machine (no 32-bit support, no way to boot the
# VM) is reported as skipped, and its reason is shown after CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

# Prints each skipped test of the run whose output is in $2 with the reason it gave: the text
# after "SKIPPED: ", or the line after GoogleTest's "Skipped", in CTest's log of the build
# folder $1.
show_skip_reasons() {
    local build=$1 output=$2 name reason
    local skipped
    skipped=$(sed -n 's/^[[:space:]]*[0-9]\+ - \(.*\) (Skipped)$/\1/p' "$output")
    [ -n "$skipped" ] || return 0
    echo "Skipped tests and their reasons:"
    while read -r name; do
        reason=$(awk -v test="$name" '
            /^[0-9]+\/[0-9]+ Test: / { sub(/^[0-9]+\/[0-9]+ Test: /, ""); current = $0; shown = 0; next }
            current != test { next }
            /^Output:$/ { shown = 1; next }
            /^<end of output>$/ { shown = 0; next }
            !shown { next }
            match($0, /SKIPPED: /) { print substr($0, RSTART + RLENGTH); exit }
            after_gtest_skip { print; exit }
            /: Skipped$/ { after_gtest_skip = 1 }
        ' "$build/Testing/Temporary/LastTest.log")
        echo "  $name: ${reason:-no reason given}"
    done <<< "$skipped"
}

scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows-x64 windows-x86 debug)
# Every preset is built before any is tested, since builds hand each other programs:
# - the Linux builds run the real Zelvane.exe of the x64 Windows build against fake drives under
#   Wine and in the VM guest (without it those tests are skipped with their reason);
# - the x86 Windows build's programs run in a VM guest, with the USB gadget and the kernel of
#   the Linux debug build.
windows_exe=$PWD/build/windows-x64/app/Zelvane.exe
for preset in "${presets[@]}"; do
    echo "=== preset: $preset (build)"
    options=()
    case $preset in
        windows-x86) options=(-DZELVANE_LINUX_BUILD="$PWD/build/debug") ;;
        windows-*) ;;
        *) [ -f "$windows_exe" ] && options=(-DZELVANE_WINDOWS_EXE="$windows_exe") ;;
    esac
    cmake --preset "$preset" "${options[@]}" >/dev/null
    cmake --build --preset "$preset"
done
for preset in "${presets[@]}"; do
    echo "=== preset: $preset (tests)"
    output=$(mktemp)
    status=0
    ctest --preset "$preset" -j "$(nproc)" | tee "$output" || status=$?
    show_skip_reasons "build/$preset" "$output"
    rm -f "$output"
    [ $status -eq 0 ] || exit $status
done
