# shellcheck shell=bash disable=SC2034
# The host's part of the Windows program's guest run, sourced by run-vm-test.sh (whose say,
# skip, make_image and variables it uses). The guest mounts the host's root read-only over 9p
# and runs the host's own wine64 and Xvfb from it in a chroot, so nothing of Wine is copied into
# the initramfs; only the program's image and where things are on the host go in.

WINE_DLL_OVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

# Skips unless the program, wine64 and Xvfb are all here.
check_windows_side() {
    [ -f "$windows_exe" ] ||
        skip "no Zelvane.exe at $windows_exe: build the windows-x64 preset and configure with -DZELVANE_WINDOWS_EXE=<its app/Zelvane.exe>"
    windows_exe=$(realpath "$windows_exe")
    # shellcheck source=../../cmake/wine/wine-common.sh
    . "$HERE/../../cmake/wine/wine-common.sh"
    find_wine || skip "$WINE_MISSING"
    command -v Xvfb > /dev/null || skip "Xvfb is not installed (Debian package xvfb)"
    # The guest sees the window come up through xwininfo, run from the host's root.
    command -v xwininfo > /dev/null || skip "xwininfo is not installed (Debian package x11-utils)"
    guest_memory=2048
    qemu_extra=(-virtfs "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap")
}

# A Wine prefix made on the host, where it takes seconds instead of minutes; the guest lays an
# overlay over it, so it stays as made here and is reused by the next run of the same Wine (a
# prefix of another version would be updated in the guest, which takes minutes there).
prepare_wine_prefix() {
    local version
    wine_prefix=$work/wine-prefix
    version=$("$WINE64" --version)
    [ "$(cat "$wine_prefix/.ready" 2> /dev/null)" = "$version" ] && return 0
    say "making the Wine prefix on the host"
    rm -rf "$wine_prefix"
    if ! WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES=$WINE_DLL_OVERRIDES \
        "$WINE64" wineboot -i > "$work/wineboot.log" 2>&1; then
        say "wineboot failed:"
        tail -n 20 "$work/wineboot.log"
        exit 1
    fi
    # The guest must find the prefix finished, not still being written by this wineserver.
    WINEPREFIX=$wine_prefix "$WINESERVER" -w
    echo "$version" > "$wine_prefix/.ready"
}

# The guest's half (guest/windows_exe.sh), the image the program gets, and the host paths the
# guest finds under its mount of the host's root. Wine refuses a prefix its user does not own,
# so the guest runs it as the prefix's owner. The program goes to the guest through a folder
# under /tmp whose name has a space, wherever the build lies: the guest lays a tmpfs over the
# /tmp of the root it runs Wine in, and must still find what the host put there.
stage_windows_side() {
    local staged
    cp "$HERE/guest/windows_exe.sh" "$stage/windows_exe.sh"
    make_image EXE $((100 * block_bytes + 123))
    staged=$(mktemp -d "/tmp/zelvane vm exe.XXXXXX")
    remove_at_exit "$staged"
    cp "$windows_exe" "$staged/Zelvane.exe"
    cat >> "$stage/etc/vm-test.conf" << CONF
WINDOWS_EXE='$staged/Zelvane.exe'
WINE='$WINE64'
WINESERVER='$WINESERVER'
WINE_PREFIX_HOST='$wine_prefix'
WINE_USER=$(stat -c %u:%g "$wine_prefix")
WINE_DLL_OVERRIDES='$WINE_DLL_OVERRIDES'
WINE_TIMEOUT=${ZELVANE_VM_WINE_TIMEOUT:-300}
CONF
}
