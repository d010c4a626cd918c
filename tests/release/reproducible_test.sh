#!/usr/bin/env bash
# Two builds of one source in two places at two times give the same bytes:
#
#   reproducible_test.sh windows|linux SOURCE_DIR WORK_DIR [CMAKE_OPTION...]
#
# A small program (probe/) is built, with the checkout's own rules, from two copies of the
# checkout's cmake/, res/ and tools/resources/: one in WORK_DIR/a, one in "WORK_DIR/second tree/b"
# (a longer path, with a space), copied under another umask, built at least a second later with
# debug information (where paths in it would show). Tree a is built for another SOURCE_DATE_EPOCH
# first, then again, as a release's build trees are for every new commit; b only once. Each is
# packed as the product is: the shipped Zelvane.exe, the zip and the setup (windows), or the Debian
# package (linux). Every one must be byte-identical between the two, and hold neither tree's path.
# The options (the toolchain file) go to both configures. It builds the probe, not the product, to
# stay cheap: what makes the product's bytes differ is in these rules, not in its sources, which use
# no __FILE__ and no time.
#
# Exit status: 0 passed, 1 a check failed, 77 skipped (a tool is missing), 2 bad arguments.
set -uo pipefail
[ $# -ge 3 ] || { echo "usage: reproducible_test.sh windows|linux SOURCE_DIR WORK_DIR [CMAKE_OPTION...]" >&2; exit 2; }
kind=$1 source=$2
shift 2
rm -rf "$1" && mkdir -p "$1" && work=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/check.sh
. "$here/../support/check.sh"
skip() { echo "SKIPPED: $1"; exit 77; }

case $kind in
    windows) command -v makensis > /dev/null || skip "makensis is not installed (Debian package nsis)" ;;
    linux) command -v dpkg-shlibdeps > /dev/null || skip "dpkg-shlibdeps is not installed (Debian package dpkg-dev)" ;;
    *) echo "kind is windows or linux, not $kind" >&2; exit 2 ;;
esac
# The release's time, as scripts/release.sh takes it from a commit.
export SOURCE_DATE_EPOCH=1700000000

# A copy of what the probe needs of the checkout, with the probe's rules at its top.
copy_sources() {
    local to=$1
    mkdir -p "$to/tests/release" "$to/tools"
    cp -R "$source/cmake" "$source/res" "$to/"
    cp -R "$source/tools/resources" "$to/tools/"  # the generators the packing runs
    cp -R "$source/tests/release/probe" "$to/tests/release/"
    cp "$source/tests/release/probe/CMakeLists.txt" "$to/CMakeLists.txt"
}

# Builds the copy in $1 in $1/build; the artifacts land in $1/made. Returns non-zero on failure.
build_tree() {
    local tree=$1 build=$1/build
    shift
    rm -rf "$tree/made" "$tree/packages"
    cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" \
        > "$tree/configure.log" 2>&1 || { cat "$tree/configure.log"; return 1; }
    cmake --build "$build" > "$tree/build.log" 2>&1 || { cat "$tree/build.log"; return 1; }
    mkdir -p "$tree/made"
    if [ "$kind" = windows ]; then
        cp "$build/res/windows/installer/shipped/Zelvane.exe" "$build"/Zelvane-*.zip \
            "$build"/Zelvane-*setup.exe "$tree/made/" || return 1
    else
        (cd "$build" && cpack -G DEB -B "$tree/packages" > "$tree/cpack.log" 2>&1) ||
            { cat "$tree/cpack.log"; return 1; }
        cp "$build/zelvane" "$tree/packages"/*.deb "$tree/made/" || return 1
    fi
}

tree_a=$work/a
tree_b="$work/second tree/b"
umask 022
copy_sources "$tree_a"
(umask 077 && copy_sources "$tree_b")
started=$(date +%s)
# Tree a as a release tree that made an earlier commit's release first: built again with the new
# time, it must not keep any of the old one.
SOURCE_DATE_EPOCH=1600000000 build_tree "$tree_a" "$@" || { echo "FAILED: the earlier build"; exit 1; }
build_tree "$tree_a" "$@" || { echo "FAILED: the first build"; exit 1; }
# Another second, so that a clock that got into the bytes would show.
while [ "$(date +%s)" -le "$started" ]; do sleep 0.2; done
build_tree "$tree_b" "$@" || { echo "FAILED: the second build"; exit 1; }

for made in "$tree_a"/made/*; do
    name=$(basename "$made")
    other="$tree_b/made/$name"
    if cmp -s "$made" "$other"; then
        check "$name is the same from both trees" same same
    else
        check "$name is the same from both trees" "$(cmp "$made" "$other" 2>&1 | head -1)" same
        cmp -l "$made" "$other" 2>&1 | head -5
        command -v diffoscope > /dev/null &&
            timeout 120 diffoscope "$made" "$other" 2>&1 | head -40
    fi
    # Neither tree's place in it: the paths are mapped to fixed names.
    check "$name holds no path of the build" \
        "$(grep -a -c -e "$work" "$made" "$other" | awk -F: '{ n += $NF } END { print n }')" 0
done
check "both trees made something" "$(ls "$tree_a/made" | wc -l | tr -d ' ')" \
    "$([ "$kind" = windows ] && echo 3 || echo 2)"
echo "three builds in $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ]
