#!/usr/bin/env bash
# Boots a QEMU guest (software emulation, no KVM) with Debian's own kernel and a busybox
# initramfs, and runs the scenarios of guest/scenarios.sh against the real SCSI and USB stack:
# the program under test talks SG_IO to /dev/sgN, usb-storage and dummy_hcd carry the commands
# to zelvane-usb-device, a FunctionFS gadget in front of the project's simulated device model.
#
#   run-vm-test.sh --work DIR --gadget PATH --program PATH [--probe PATH]
#                  [--done-pattern TEXT] [--connection-error-pattern TEXT] [--gone-pattern TEXT]
#                  [--env "NAME=VALUE ..."] [--scenarios "NAME ..."] [--two-devices-done-lines N]
#
# --program is the program under test: run with no arguments, it must find the image beside its
# executable and update every device in update mode it finds, printing the three patterns on
# standard output (they default to what zelvane-vm-probe prints). --probe is the probe, always
# used for the round-trip measurement. With two devices the done pattern is expected N times
# (default 2; 1 for a program that shows only its first device). Installs what it needs from Debian; exits 77 (skipped)
# when it cannot, 0 when every scenario passes, 1 otherwise.
# ZELVANE_VM_BREAK_IMAGE=1 gives the program an image with one byte changed while the device is
# still compared with the real one: the run must then fail.
set -euo pipefail

SKIP=77
HARD_TIMEOUT=${ZELVANE_VM_TIMEOUT:-240}
HERE=$(cd "$(dirname "$0")" && pwd)
work= gadget= program= probe=
done_pattern='probe: written sg'
connection_error_pattern='probe: connection error'
gone_pattern='probe: gone sg'
put_env=
two_done_lines=2
scenarios='program_runs measure_round_trip rejected_command_sense plug_write_verify pull_and_replug faulty_read_backs two_devices ordinary_disk_inquiry_only'
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2 ;;
        --gadget) gadget=$2 ;;
        --program) program=$2 ;;
        --probe) probe=$2 ;;
        --done-pattern) done_pattern=$2 ;;
        --connection-error-pattern) connection_error_pattern=$2 ;;
        --gone-pattern) gone_pattern=$2 ;;
        --env) put_env=$2 ;;
        --scenarios) scenarios=$2 ;;
        --two-devices-done-lines) two_done_lines=$2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
[ -n "$work" ] && [ -x "$gadget" ] && [ -x "$program" ] || { echo "usage: see $0" >&2; exit 2; }
probe=${probe:-$program}

say() { echo "vm-test: $*"; }
skip() { say "SKIPPED: $*"; exit $SKIP; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo > /dev/null; then sudo -n "$@"; else return 1; fi
}

install_packages() {
    local missing=() p
    for p in qemu-system-x86 busybox-static cpio kmod; do
        dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -qq > /dev/null &&
        as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null ||
        skip "cannot install ${missing[*]}"
}

# The kernel package that linux-image-amd64 currently depends on, unpacked with its modules
# indexed (the package ships none of depmod's files).
fetch_kernel() {
    local package
    package=$(apt-cache depends linux-image-amd64 2> /dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n1)
    if [ -z "$package" ]; then
        as_root apt-get update -qq > /dev/null || true
        package=$(apt-cache depends linux-image-amd64 2> /dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n1)
    fi
    [ -n "$package" ] || skip "no linux-image-amd64 in the package lists"
    kernel_dir=$work/kernel/$package
    if [ ! -f "$kernel_dir/.ready" ]; then
        rm -rf "$kernel_dir" && mkdir -p "$kernel_dir"
        (cd "$kernel_dir" && apt-get download -q "$package" > /dev/null 2>&1) || skip "cannot download $package"
        dpkg-deb -x "$kernel_dir"/*.deb "$kernel_dir/root"
        rm -f "$kernel_dir"/*.deb
        kernel_version=$(ls "$kernel_dir/root/lib/modules")
        depmod -b "$kernel_dir/root" "$kernel_version"
        touch "$kernel_dir/.ready"
    fi
    kernel_version=$(ls "$kernel_dir/root/lib/modules")
    say "kernel $kernel_version"
}

# Modules in an order that loads: each one's dependencies first, each file once.
list_modules() {
    local module params
    while read -r module params; do
        modprobe -d "$kernel_dir/root" -S "$kernel_version" --show-depends "$module" |
            awk -v want="$module" -v params="$params" '$1 == "insmod" {
                name = $2; sub(/.*\//, "", name)
                base = name; sub(/\.ko$/, "", base); gsub(/-/, "_", base)
                print $2, (base == want ? params : "") }'
    done << 'MODULES' | awk '!seen[$1]++'
configfs
sg
sd_mod
scsi_debug inq_vendor=Ordinary inq_product=Disk dev_size_mb=8
dummy_hcd num=2
libcomposite
usb_f_fs
usb_storage delay_use=0
MODULES
}

# Copies an executable and every shared library it loads to the same paths under the staging
# root, so the guest's loader finds them where the host's does.
copy_with_libraries() {
    local file=$1 destination=$2 library
    mkdir -p "$stage$(dirname "$destination")"
    cp -L "$file" "$stage$destination"
    for library in $(ldd "$file" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }'); do
        [ -e "$stage$library" ] || cp -L --parents "$library" "$stage"
    done
}

# A Qt program finds its offscreen platform plugin and fonts at the host's paths.
copy_qt_runtime() {
    local plugins
    ldd "$program" | grep -q 'libQt6Gui' || return 0
    # Qt looks for plugins beside its library's real path (/usr/lib/..., not the /lib symlink).
    plugins=$(dirname "$(realpath "$(ldd "$program" | awk '/libQt6Core/ { print $3 }')")")/qt6/plugins
    copy_with_libraries "$plugins/platforms/libqoffscreen.so" "$plugins/platforms/libqoffscreen.so"
    local directory
    for directory in /etc/fonts /usr/share/fonts/truetype/dejavu; do
        if [ -d "$directory" ]; then
            mkdir -p "$stage$(dirname "$directory")"
            cp -a "$directory" "$stage$(dirname "$directory")/"
        fi
    done
}

# make_image NAME BYTES: a random image, the copy the program gets, and what the device must
# hold afterwards (the image, then 0xFF up to the next block; a whole extra block of 0xFF when
# the image is a whole number of blocks).
make_image() {
    local name=$1 bytes=$2 blocks
    head -c "$bytes" /dev/urandom > "$stage/images/$name.bin"
    mkdir -p "$stage/images/$name"
    cp "$stage/images/$name.bin" "$stage/images/$name/Tarvik_240101_DB.bin"
    if [ "${ZELVANE_VM_BREAK_IMAGE:-0}" = 1 ]; then
        printf '\x42' | dd of="$stage/images/$name/Tarvik_240101_DB.bin" bs=1 seek=1000 conv=notrunc status=none
        cmp -s "$stage/images/$name.bin" "$stage/images/$name/Tarvik_240101_DB.bin" &&
            printf '\x43' | dd of="$stage/images/$name/Tarvik_240101_DB.bin" bs=1 seek=1000 conv=notrunc status=none
    fi
    blocks=$((bytes / 1024 + 1))
    { cat "$stage/images/$name.bin"; head -c $((blocks * 1024 - bytes)) /dev/zero | tr '\0' '\377'; } \
        > "$stage/images/$name.expected"
    rm "$stage/images/$name.bin"
    printf 'IMAGE_%s_PUT=/images/%s/Tarvik_240101_DB.bin\nIMAGE_%s_EXPECTED=/images/%s.expected\nIMAGE_%s=/images/%s/Tarvik_240101_DB.bin\n' \
        "$name" "$name" "$name" "$name" "$name" "$name" >> "$stage/etc/vm-test.conf"
}

build_initramfs() {
    stage=$work/initramfs
    rm -rf "$stage"
    mkdir -p "$stage"/{bin,etc,lib/modules,images,put,tools}
    cp /bin/busybox "$stage/bin/busybox"
    cp "$HERE/guest/init" "$stage/init"
    cp "$HERE/guest/scenarios.sh" "$stage/scenarios.sh"
    list_modules | while read -r path params; do
        cp "$path" "$stage/lib/modules/"
        echo "$(basename "$path") $params" >> "$stage/lib/modules/load-order"
    done
    copy_with_libraries "$gadget" /tools/zelvane-usb-device
    copy_with_libraries "$probe" /tools/zelvane-vm-probe
    copy_with_libraries "$program" "/put/$(basename "$program")"
    copy_qt_runtime
    cat > "$stage/etc/vm-test.conf" << CONF
GADGET=/tools/zelvane-usb-device
PROBE=/tools/zelvane-vm-probe
PUT_CMD=/put/$(basename "$program")
PUT_ENV='$put_env'
PUT_DONE_PATTERN='$done_pattern'
PUT_CONNECTION_ERROR_PATTERN='$connection_error_pattern'
PUT_GONE_PATTERN='$gone_pattern'
GONE_LIMIT_MS=1000
TWO_DONE_LINES=$two_done_lines
SCENARIOS='$scenarios'
CONF
    make_image PLAIN $((200 * 1024 + 300))
    make_image PULL $((240 * 1024))
    make_image TWO $((120 * 1024 + 17))
    make_image FAULT $((64 * 1024 + 512))
    (cd "$stage" && find . | cpio -o -H newc --quiet) > "$work/initramfs.cpio"
    say "initramfs $(du -h "$work/initramfs.cpio" | cut -f1)"
}

boot_guest() {
    local status=0
    say "booting the guest (hard timeout ${HARD_TIMEOUT}s)"
    timeout --kill-after=5 "$HARD_TIMEOUT" qemu-system-x86_64 \
        -accel tcg -m 512 -smp 1 -nographic -no-reboot -nic none \
        -kernel "$kernel_dir/root/boot/vmlinuz-$kernel_version" \
        -initrd "$work/initramfs.cpio" \
        -append "console=ttyS0 quiet loglevel=3 panic=-1" \
        < /dev/null > "$work/console.log" 2>&1 || status=$?
    tr -d '\r' < "$work/console.log" > "$work/console.txt"
    [ $status -eq 124 ] || [ $status -eq 137 ] && say "the guest did not finish within ${HARD_TIMEOUT}s"
    return 0
}

judge() {
    local expected passes fails name
    grep -E '^(VMTEST|vm:)' "$work/console.txt" || true
    fails=$(grep -c '^VMTEST FAIL' "$work/console.txt" || true)
    for name in $scenarios; do
        case $name in
            measure_round_trip) expected="measure_round_trip" ;;
            plug_write_verify) expected="plug_write_verify presence_notices_unplug" ;;
            *) expected=$name ;;
        esac
        for pass in $expected; do
            grep -q "^VMTEST PASS $pass\$" "$work/console.txt" || { say "no PASS for $pass"; fails=$((fails + 1)); }
        done
    done
    grep -q '^VMTEST END' "$work/console.txt" || { say "the guest never finished its scenarios"; fails=$((fails + 1)); }
    if [ "$fails" -ne 0 ]; then
        say "FAILED; the guest's console follows"
        tail -n 80 "$work/console.txt"
        return 1
    fi
    say "all scenarios passed"
}

started=$(date +%s)
mkdir -p "$work"
install_packages
fetch_kernel
build_initramfs
boot_guest
say "wall time $(($(date +%s) - started))s"
judge
