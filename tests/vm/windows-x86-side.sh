# shellcheck shell=bash disable=SC2034
# The host's part of the x86 Windows programs' guest run, sourced by run-vm-test.sh (whose say,
# skip, make_image, remove_at_exit and variables it uses). This machine's kernel cannot run
# 32-bit programs, and Debian's 32-bit Wine must not be installed beside its 64-bit one, so the
# guest runs them with Wine from Debian's i386 packages, unpacked into a root of their own:
#
# - The i386 root: apt, with a state folder of its own (APT_CONFIG: APT::Architecture "i386",
#   Dir::State, Dir::Cache, an empty dpkg status, this machine's sources and keys), downloads the
#   packages and everything they depend on; dpkg-deb unpacks each into the root. Of the
#   maintainer scripts only libwine's matters (it makes the zlib1.dll Wine loads); it is plain
#   shell and is replayed on the root. ldconfig indexes the root's libraries. Nothing of this
#   machine's package state changes.
# - The 32-bit Wine prefix cannot be made here; the guest makes it on the first run and hands
#   it back, and later runs lay an overlay over it.
# Both are kept in the build tree (DIR/x86), and made anew when the package list or this
# machine's sources change. The guest gets them read-only over 9p, beside a staging folder
# (read-write, under /tmp, its name with a space) with the programs, the scripts, and the
# results the guest writes, which end in DIR/x86-results for the CTest tests of each program.

X86_PACKAGES="wine32 libwine wine xvfb x11-utils imagemagick xdotool util-linux libc-bin bash
    dash coreutils grep sed diffutils findutils"
# No debugger either: a program that crashes ends with its exception code at once, instead of
# waiting for winedbg, which under emulation takes longer than the time limit.
WINE_DLL_OVERRIDES='mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d'
x86_cache=$work/x86
x86_results=$work/x86-results

# Reads the x86 build's manifest (written by CMake: where its programs are) and checks them.
check_windows_x86_side() {
    [ -f "$windows_x86" ] || skip "no manifest of the x86 build at $windows_x86"
    # shellcheck source=/dev/null
    . "$windows_x86"
    [ -f "$X86_EXE" ] || skip "no x86 Zelvane.exe at $X86_EXE: build the windows-x86 preset"
    [ -f "$X86_SUITES" ] || skip "no list of the x86 test programs at $X86_SUITES"
    command -v apt-get > /dev/null && command -v dpkg-deb > /dev/null && command -v ldconfig > /dev/null ||
        skip "no apt-get, dpkg-deb or ldconfig to make the i386 root with"
    # Wine refuses a prefix its user does not own: the guest runs it as the owner of the build.
    wine_user=$(stat -c %u:%g "$work")
    guest_memory=3072
}

# The stamp of what the root is made from: the package list, this machine's sources, and how
# it is made (the functions that make it).
x86_root_stamp() {
    local file
    {
        echo "$X86_PACKAGES"
        declare -f write_x86_apt_config replay_libwine_postinst link_alternatives prepare_i386_root
        for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
            [ ! -f "$file" ] || cat "$file"
        done
    } | sha256sum | cut -d' ' -f1
}

# apt's configuration for the i386 packages, with all its state under $1.
write_x86_apt_config() {
    local state=$1
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/parts"
    : > "$state/status"
    cat > "$state/apt.conf" << CONF
APT::Architecture "i386";
APT::Architectures { "i386"; };
Dir::State "$state";
Dir::State::lists "$state/lists";
Dir::State::status "$state/status";
Dir::Cache "$state/cache";
Dir::Etc::parts "$state/parts";
APT::Install-Recommends "false";
CONF
    # As root apt would hand the download to its own user, who cannot write into the build tree.
    [ "$(id -u)" -ne 0 ] || echo 'APT::Sandbox::User "root";' >> "$state/apt.conf"
}

# Replays libwine's postinst on the root: its paths with the root before them (through a link
# without spaces, since the script leaves them unquoted).
replay_libwine_postinst() {
    local root=$1 control link
    control=$(mktemp -d)
    link=$(mktemp -d /tmp/zelvane-i386.XXXXXX)
    remove_at_exit "$control"
    remove_at_exit "$link"
    ln -s "$root" "$link/root"
    dpkg-deb -e "$x86_cache"/apt/cache/archives/libwine_*_i386.deb "$control" &&
        sed "s|/usr/|$link/root/usr/|g" "$control/postinst" | sh -s configure
}

# The commands that ImageMagick's maintainer script would name with update-alternatives (import,
# convert, ...), as links to their versioned programs.
link_alternatives() {
    local program
    for program in "$1"/usr/bin/*-im6.q16; do
        [ -e "$program" ] || continue
        ln -sf "$(basename "$program")" "${program%-im6.q16}"
    done
}

prepare_i386_root() {
    local stamp root=$x86_cache/root deb started=$SECONDS
    stamp=$(x86_root_stamp)
    if [ "$(cat "$root/.ready" 2> /dev/null)" = "$stamp" ]; then
        say "i386 root: kept from an earlier run"
        return 0
    fi
    say "making the i386 root (apt with a state folder of its own, dpkg-deb -x)"
    rm -rf "$x86_cache"
    mkdir -p "$x86_cache"
    write_x86_apt_config "$x86_cache/apt"
    export APT_CONFIG=$x86_cache/apt/apt.conf
    apt-get update -qq > "$x86_cache/apt.log" 2>&1 ||
        skip "apt-get update for the i386 packages failed (no package registry?): $(tail -n 3 "$x86_cache/apt.log")"
    # shellcheck disable=SC2086
    apt-get install -qq -y --download-only $X86_PACKAGES >> "$x86_cache/apt.log" 2>&1 ||
        skip "cannot download the i386 packages: $(tail -n 3 "$x86_cache/apt.log")"
    unset APT_CONFIG
    say "downloaded $(find "$x86_cache/apt/cache/archives" -name '*.deb' | wc -l) packages," \
        "$(du -sm "$x86_cache/apt/cache/archives" | cut -f1) MB, in $((SECONDS - started)) s"
    mkdir -p "$root"
    for deb in "$x86_cache"/apt/cache/archives/*.deb; do
        dpkg-deb -x "$deb" "$root" || { say "dpkg-deb -x $deb failed"; exit 1; }
    done
    replay_libwine_postinst "$root" || { say "libwine's postinst failed on the root"; exit 1; }
    link_alternatives "$root"
    ldconfig -r "$root"
    mkdir -p "$root"/{dev,proc,sys,tmp,stage}
    # Wine asks the system for its user's name; the guest runs it as the prefix's owner.
    printf 'root:x:0:0:root:/tmp:/bin/sh\n' > "$root/etc/passwd"
    [ "${wine_user%:*}" = 0 ] || printf 'zelvane:x:%s:%s::/tmp:/bin/sh\n' "${wine_user%:*}" "${wine_user#*:}" >> "$root/etc/passwd"
    rm -rf "$x86_cache/apt/cache/archives"
    echo "$stamp" > "$root/.ready"
    say "i386 root made: $(du -sm "$root" | cut -f1) MB in $((SECONDS - started)) s"
}

# The programs and scripts the guest runs, in a staging folder it mounts read-write; the guest's
# half and where things are go into the initramfs.
stage_windows_x86_side() {
    local name path
    x86_stage=$(mktemp -d "/tmp/zelvane x86 guest.XXXXXX")
    remove_at_exit "$x86_stage"
    mkdir -p "$x86_stage"/{programs,program,setup,results,cache-out} \
        "$x86_stage"/src/{tests/installer,tests/support,tests/windows_gui,cmake/wine}
    : > "$x86_stage/suites.list"
    while read -r name path; do
        [ -n "$name" ] || continue
        [ -f "$path" ] || { say "no test program $path"; exit 1; }
        cp "$path" "$x86_stage/programs/$name.exe"
        echo "$name" >> "$x86_stage/suites.list"
    done < "$X86_SUITES"
    cp "$X86_EXE" "$x86_stage/program/Zelvane.exe"
    cp "$X86_EXE" "$X86_GUI_PROBE" "$x86_stage/setup/"
    [ -z "$X86_SETUP" ] || cp "$X86_SETUP" "$x86_stage/setup/"
    cp "$HERE/../installer/installer_test.sh" "$x86_stage/src/tests/installer/"
    cp "$HERE/../windows_gui/run-gui-test.sh" "$x86_stage/src/tests/windows_gui/"
    cp "$HERE/../support/check.sh" "$x86_stage/src/tests/support/"
    cp "$HERE/../../cmake/wine/wine-common.sh" "$x86_stage/src/cmake/wine/"
    chown -R "$wine_user" "$x86_stage"
    cp "$HERE/guest/windows_exe.sh" "$stage/windows_exe.sh"
    cp "$HERE/guest/windows_x86.sh" "$stage/windows_x86.sh"
    make_image EXE $((100 * block_bytes + 123))
    cat >> "$stage/etc/vm-test.conf" << CONF
WINDOWS_EXE=/stage/program/Zelvane.exe
WINE=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
WINE_USER=$wine_user
WINE_DLL_OVERRIDES='$WINE_DLL_OVERRIDES'
WINE_TIMEOUT=${ZELVANE_VM_WINE_TIMEOUT:-300}
X86_WINEDEBUG='${ZELVANE_VM_WINEDEBUG:-}'
X86_SETUP_NAME='$(basename "${X86_SETUP:-}")'
X86_PRODUCT='$X86_PRODUCT'
X86_PUBLISHER='$X86_PUBLISHER'
X86_VERSION='$X86_VERSION'
CONF
    local escaped_cache=${x86_cache//,/,,} escaped_stage=${x86_stage//,/,,}
    qemu_extra=(
        -virtfs "local,path=$escaped_cache,mount_tag=x86cache,security_model=none,readonly=on,multidevs=remap"
        -virtfs "local,path=$escaped_stage,mount_tag=stage,security_model=none,multidevs=remap"
    )
}

# After the guest: its results to DIR/x86-results, its screenshot, and a prefix it made to the
# cache for the next run.
collect_windows_x86_side() {
    local stamp
    rm -rf "$x86_results"
    cp -r "$x86_stage/results" "$x86_results"
    if [ -f "$x86_stage/cache-out/prefix.tar" ]; then
        rm -rf "$x86_cache/prefix"
        mkdir -p "$x86_cache/prefix"
        if tar -C "$x86_cache/prefix" -xf "$x86_stage/cache-out/prefix.tar"; then
            cat "$x86_cache/root/.ready" > "$x86_cache/prefix/.ready"
            say "the 32-bit Wine prefix made in the guest is kept for the next run"
        else
            rm -rf "$x86_cache/prefix"
        fi
    fi
    say "results in $x86_results"
}

# The results of no run until the guest has run; with a reason, why none will come (a skip).
mark_windows_x86_results() {
    rm -rf "$x86_results"
    mkdir -p "$x86_results"
    [ -z "${1:-}" ] || echo "$1" > "$x86_results/skipped"
}
