#!/usr/bin/env bash
# The Debian package from end to end, without changing this machine: it is built from the build
# folder with CPack, its contents and control fields are checked, lintian must find no error,
# and it is installed, upgraded, removed and purged with dpkg in a throw-away root. In between,
# the installed program runs headless through /usr/bin/zelvane and updates a simulated device
# with the image put beside its real file in /opt/zelvane/.
#
#   package_test.sh BUILD_DIR VERSION WORK_DIR DEVICE_SERVER SG_IO_SHIM
#
# The throw-away root takes the package's maintainer scripts with DPKG_ROOT set (dpkg's
# --force-script-chrootless), so they touch only its /etc/group. Everything after the tool checks
# runs in a mount namespace of its own: there /opt is the throw-away root's, and /dev holds
# /dev/sgN links to drives of the fake device server (sim/wine), which the SG_IO shim serves, so
# the unmodified program finds a device in update mode and an ordinary disk.
#
# Exit status: 0 passed, 1 a check failed, 77 skipped (a needed tool or privilege is missing).
set -uo pipefail

in_namespace=0
[ "${1:-}" = --in-namespace ] && in_namespace=1 && shift
build=$1 version=$2 work=$3 server=$4 shim=$5
# A checkout's path may hold blanks, which LD_PRELOAD's list and the device server's control lines
# split at: the shim's copy and the server's dump go to a folder of this run's own without any.
plain_dir=$(mktemp -d /tmp/zelvane-package.XXXXXX) && cp "$shim" "$plain_dir/sg_io_shim.so" ||
    exit 1
shim=$plain_dir/sg_io_shim.so
trap 'rm -rf "$plain_dir"' EXIT
deb_name=zelvane_${version}_amd64.deb
say() { echo "package-test: $*"; }
skip() { echo "package-test: SKIPPED: $*"; exit 77; }
failures=0
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

# --- What the test needs, checked before anything is done -------------------------------------
need_tools() {
    local tool
    for tool in cpack dpkg dpkg-deb dpkg-shlibdeps groupadd unshare mount; do
        command -v "$tool" > /dev/null || skip "$tool is not installed (dpkg-dev, passwd, util-linux)"
    done
    if ! command -v lintian > /dev/null; then
        [ "$(id -u)" -eq 0 ] || skip "lintian is not installed, and installing it needs root"
        say "installing lintian"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian \
            > /dev/null 2>&1 || skip "lintian is not installed and cannot be installed"
    fi
    unshare --mount true 2> /dev/null || skip "no mount namespace can be made here (needs root)"
}

# --- Building and inspecting the package ----------------------------------------------------------
build_package() {
    rm -rf "$work" && mkdir -p "$work/out"
    (cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1) ||
        { cat "$work/cpack.log"; fail build "cpack failed"; return 1; }
    deb=$work/out/$deb_name
    [ -f "$deb" ] || { ls "$work/out"; fail build "no $deb_name"; return 1; }
    say "$deb_name: $(stat -c %s "$deb") bytes"
    pass build
}

expected_contents() {
    cat << 'LIST'
./opt/zelvane/zelvane
./usr/bin/zelvane -> /opt/zelvane/zelvane
./usr/lib/udev/rules.d/70-zelvane.rules
./usr/share/applications/zelvane.desktop
./usr/share/doc/zelvane/changelog.gz
./usr/share/doc/zelvane/copyright
./usr/share/icons/hicolor/128x128/apps/zelvane.png
./usr/share/icons/hicolor/16x16/apps/zelvane.png
./usr/share/icons/hicolor/256x256/apps/zelvane.png
./usr/share/icons/hicolor/32x32/apps/zelvane.png
./usr/share/icons/hicolor/48x48/apps/zelvane.png
./usr/share/icons/hicolor/64x64/apps/zelvane.png
./usr/share/icons/hicolor/scalable/apps/zelvane.svg
./usr/share/lintian/overrides/zelvane
./usr/share/man/man1/zelvane.1.gz
./usr/share/metainfo/invalid.zelvane.Zelvane.metainfo.xml
LIST
}

# Every file and link, and nothing else (no image above all); root-owned; the program executable.
check_contents() {
    local listing files
    listing=$(dpkg-deb -c "$deb")
    files=$(awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' <<< "$listing" | sort)
    if [ "$files" != "$(expected_contents | sort)" ]; then
        fail contents "$(diff <(expected_contents | sort) <(echo "$files"))"
    elif awk '$2 != "root/root" { bad = 1 } END { exit !bad }' <<< "$listing"; then
        fail contents "a file not owned by root/root"
    elif ! grep -q '^-rwxr-xr-x .* \./opt/zelvane/zelvane$' <<< "$listing"; then
        fail contents "the program is not mode 0755"
    else
        pass contents
    fi
}

control_field() { dpkg-deb -f "$deb" "$1"; }

# The version is the project's; the dependencies come from dpkg-shlibdeps (versioned library
# packages it alone would know), with adduser for the maintainer scripts.
check_control() {
    local depends scripts
    depends=$(control_field Depends)
    scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed -n 's|^\./\(.\)|\1|p' | sort | tr '\n' ' ')
    if [ "$(control_field Package)" != zelvane ] || [ "$(control_field Version)" != "$version" ] ||
        [ "$(control_field Architecture)" != amd64 ]; then
        fail control "Package/Version/Architecture: $(control_field Package) $(control_field Version) $(control_field Architecture)"
    elif ! grep -q 'libqt6widgets6 (>= ' <<< "$depends" || ! grep -q 'libc6 (>= ' <<< "$depends" ||
        ! grep -qw adduser <<< "$depends"; then
        fail control "Depends lacks what the program links: $depends"
    elif [ "$scripts" != "control md5sums postinst postrm " ]; then
        fail control "control members: $scripts"
    else
        pass control
    fi
}

# The metainfo a software centre reads must validate, with the README's captions.
check_metainfo() {
    local extracted=$work/extracted metainfo captions
    dpkg-deb -x "$deb" "$extracted"
    metainfo=$extracted/usr/share/metainfo/invalid.zelvane.Zelvane.metainfo.xml
    captions=$(grep -c '<caption>' "$metainfo")
    if [ "$captions" -ne 4 ]; then
        fail metainfo "$captions screenshot captions, not 4"
    elif ! command -v appstreamcli > /dev/null; then
        say "appstreamcli is not installed: the metainfo is not validated"
        pass metainfo
    elif ! appstreamcli validate --no-net "$metainfo" > "$work/appstream.log" 2>&1; then
        fail metainfo "$(cat "$work/appstream.log")"
    else
        pass metainfo
    fi
}

check_lintian() {
    lintian --no-cfg --fail-on error --display-info "$deb" > "$work/lintian.log" 2>&1
    local status=$?
    sed 's/^/lintian: /' "$work/lintian.log"
    if [ $status -ne 0 ]; then fail lintian "errors (status $status)"; else pass lintian; fi
}

# --- The throw-away root ------------------------------------------------------------------------
root=$work/root
make_root() {
    mkdir -p "$root"/var/lib/dpkg/{info,updates,triggers} "$root/etc" "$root/opt"
    : > "$root/var/lib/dpkg/status"
    : > "$root/var/lib/dpkg/available"
    printf 'root:x:0:\n' > "$root/etc/group"
    printf 'root:*::\n' > "$root/etc/gshadow"
    printf 'root:x:0:0:root:/root:/bin/sh\n' > "$root/etc/passwd"
    printf 'root:*:19000:0:99999:7:::\n' > "$root/etc/shadow"
    cp /etc/login.defs "$root/etc/" 2> /dev/null
    (cd "$root" && find . | sort) > "$work/root-before.txt"
}

in_root_dpkg() {
    dpkg --root="$root" --force-script-chrootless --force-depends --no-triggers "$@" \
        >> "$work/dpkg.log" 2>&1
}

group_line() { grep '^zelvane:' "$root/etc/group"; }

check_install() {
    in_root_dpkg --install "$deb" || { tail -n 20 "$work/dpkg.log"; fail install "dpkg --install failed"; return 1; }
    local gid
    gid=$(group_line | cut -d: -f3)
    if [ ! -x "$root/opt/zelvane/zelvane" ] || [ "$(readlink "$root/usr/bin/zelvane")" != /opt/zelvane/zelvane ]; then
        fail install "no program in /opt/zelvane or no link in /usr/bin"
    elif [ -z "$gid" ] || [ "$gid" -ge 1000 ]; then
        fail install "no system group zelvane: '$(group_line)'"
    else
        pass install
    fi
}

# --- The installed program over simulated drives -------------------------------------------------
devices=$work/devices
links=$work/links
program_log=$work/zelvane.log

# /dev for the program: /dev/sgN lead to the fake server's drive N while it is plugged.
make_dev() {
    local n node
    mkdir -p "$work/dev" "$devices" "$links"
    for n in $(seq 0 25); do ln -s "$links/physicaldrive$n" "$work/dev/sg$n"; done
    for node in null zero random urandom; do
        touch "$work/dev/$node"
        mount --bind "/dev/$node" "$work/dev/$node"
    done
    ln -s /proc/self/fd "$work/dev/fd"
    ln -s /proc/self/fd/0 "$work/dev/stdin"
    ln -s /proc/self/fd/1 "$work/dev/stdout"
    ln -s /proc/self/fd/2 "$work/dev/stderr"
    # Recursively, so that the nodes bound above come along.
    mount --rbind "$work/dev" /dev
}

ctl() { "$server" ctl "$devices" "$@"; }
stat_of() { ctl stats "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

wait_for() {
    local tries=$(($1 * 5))
    shift
    until "$@" 2> /dev/null; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.2
    done
}

said() { grep -qxF "text: $1" "$program_log"; }

start_program() {
    : > "$program_log"
    ZELVANE_WINE_DEVICE_DIR=$devices LD_PRELOAD=$shim QT_QPA_PLATFORM=offscreen \
        "$root/usr/bin/zelvane" > "$program_log" 2>&1 &
    program_pid=$!
}

stop_program() {
    kill "$program_pid" 2> /dev/null
    wait "$program_pid" 2> /dev/null
}

# Started through /usr/bin/zelvane, the program shows that it waits; it reads the image from
# /opt/zelvane/ (the folder of its real file, not of the link), writes it into the device in
# update mode and verifies it, and sends the ordinary disk nothing but INQUIRY.
check_program() {
    local image=$root/opt/zelvane/Tarvik_240101_DB.bin size blocks
    head -c $((150 * 1024 + 300)) /dev/urandom > "$image"
    size=$(stat -c %s "$image")
    blocks=$((size / 1024 + 1))
    { cat "$image"; head -c $((blocks * 1024 - size)) /dev/zero | tr '\0' '\377'; } > "$work/expected.bin"
    "$server" serve "$devices" "$links" > "$work/server.log" 2>&1 &
    server_pid=$!
    wait_for 10 grep -q ready "$work/server.log" || { fail program "the device server did not start"; return; }
    ctl plug 0 disk > /dev/null
    start_program
    if ! wait_for 20 said 'Wait Connect..'; then
        fail program_waits "it never showed \"Wait Connect..\": $(head -c 600 "$program_log")"
    else
        pass program_waits
    fi
    ctl plug 3 update > /dev/null
    if ! wait_for 60 said 'Success!!'; then
        fail program_updates "no \"Success!!\": $(grep -v '^pos:' "$program_log" | head -n 10 | tr '\n' ' ')"
    else
        ctl dump 3 "$plain_dir/memory.bin" $((blocks * 1024)) > /dev/null
        if ! cmp -s "$plain_dir/memory.bin" "$work/expected.bin"; then
            fail program_updates "the device does not hold the image from /opt/zelvane/"
        elif [ "$(stat_of 0 writes)" != 0 ] || [ "$(stat_of 0 reads)" != 0 ] ||
            [ "$(stat_of 0 inquiries)" -lt 1 ]; then
            fail program_updates "the ordinary disk got $(ctl stats 0)"
        else
            say "device 3: $(ctl stats 3)"
            say "ordinary disk 0: $(ctl stats 0)"
            pass program_updates
        fi
    fi
    stop_program
    ctl quit > /dev/null 2>&1 || kill "$server_pid" 2> /dev/null
    wait "$server_pid" 2> /dev/null
}

# --- Upgrade, removal, purge --------------------------------------------------------------------
image=$root/opt/zelvane/Tarvik_240101_DB.bin
check_upgrade_keeps_image() {
    local sum
    sum=$(md5sum < "$image")
    in_root_dpkg --install "$deb" || { fail upgrade "dpkg --install again failed"; return; }
    if [ "$(md5sum < "$image" 2> /dev/null)" != "$sum" ]; then fail upgrade "the image is gone or changed"
    else pass upgrade; fi
}

check_remove_and_purge() {
    in_root_dpkg --remove zelvane || { fail remove "dpkg --remove failed"; return; }
    if [ -e "$root/opt/zelvane/zelvane" ] || [ -L "$root/usr/bin/zelvane" ] || [ ! -f "$image" ] ||
        [ -z "$(group_line)" ]; then
        fail remove "after removal: program or link left, image gone, or group gone"
    else
        pass remove
    fi
    in_root_dpkg --purge zelvane || { fail purge "dpkg --purge failed"; return; }
    if [ -n "$(group_line)" ] || [ ! -f "$image" ]; then
        fail purge "after purge: group '$(group_line)' still there, or the user's image gone"
        return
    fi
    rm -f "$image" && rmdir "$root/opt/zelvane"
    # What is there now and was not before: dpkg's own bookkeeping (its lock and journal files,
    # the backups of its status and of /etc/group that groupadd makes) may stay, nothing else.
    local left
    left=$(cd "$root" && find . | sort | comm -13 "$work/root-before.txt" - |
        grep -v -e '^\./var/lib/dpkg/' -e '^\./etc/g\?shadow-$' -e '^\./etc/group-$' -e '^\./etc/passwd-$')
    left+=$(cd "$root" && find ./var/lib/dpkg/info -name 'zelvane*')
    if [ -n "$left" ] || grep -q '^Package: zelvane' "$root/var/lib/dpkg/status"; then
        fail purge "left behind: $left"
    else
        pass purge
    fi
}

# --- This machine stays as it was --------------------------------------------------------------
host_state() { cat /etc/group /etc/gshadow /var/lib/dpkg/status 2> /dev/null | md5sum; [ -e /opt/zelvane ] && echo opt; }

run_in_namespace() {
    make_root
    check_install || return
    make_dev
    mount --bind "$root/opt" /opt
    check_program
    check_upgrade_keeps_image
    check_remove_and_purge
}

if [ $in_namespace -eq 1 ]; then
    deb=$work/out/$deb_name
    run_in_namespace
    exit $((failures > 0))
fi

started=$SECONDS
need_tools
before=$(host_state)
build_package || exit 1
check_contents
check_control
check_metainfo
check_lintian
unshare --mount --propagation private "$0" --in-namespace "$@" || failures=$((failures + 1))
[ "$(host_state)" = "$before" ] && pass host_unchanged || fail host_unchanged "/etc/group, /etc/gshadow, dpkg's status or /opt changed"
say "wall time $((SECONDS - started))s"
[ $failures -eq 0 ] || { say "FAILED ($failures)"; exit 1; }
say "all checks passed"
