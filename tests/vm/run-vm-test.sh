#!/usr/bin/env bash
# Boots a QEMU guest (software emulation, no KVM) with a Debian kernel and a busybox initramfs,
# and runs the scenarios of guest/scenarios.sh against the real SCSI and USB stack: the real
# zelvane, headless, talks SG_IO to /dev/sgN; usb-storage and dummy_hcd carry the commands to
# zelvane-usb-device, a FunctionFS gadget in front of the project's simulated device model.
#
#   run-vm-test.sh --work DIR --gadget PATH --zelvane PATH --probe PATH [--scenarios "NAME ..."]
#                  [--windows-exe PATH | --windows-x86 MANIFEST] [--kernel-cache DIR]
#   run-vm-test.sh --work DIR --linux-tools FILE --windows-x86 MANIFEST [--scenarios "NAME ..."]
#
# The scenarios judge zelvane by the bar texts it reports and by the device's memory; the probe
# (zelvane-vm-probe) only measures the stack and checks a rejected command's sense. The last
# scenario, least_privilege, starts systemd-udevd from Debian's udev package with Debian's rules
# and the program's own rule (res/linux/70-zelvane.rules), and runs zelvane as a user who is
# only in the group zelvane and as one who is not in it.
#
# With --windows-exe the guest runs the Windows program instead (guest/windows_exe.sh): the
# host's wine64 and Xvfb, from the host's root mounted read-only over 9p, run that Zelvane.exe
# against the gadget's /dev/sgN, and the default scenarios are exe_write_verify and
# ordinary_disk_inquiry_only. Its files go to DIR/exe-*, beside the other run's; the kernel
# package is shared.
#
# With --windows-x86 the guest runs the x86 Windows build (windows-x86-side.sh, guest/
# windows_x86.sh): every x86 test program, the x86 Zelvane.exe on the gadget, its window looked
# at, the x86 setup, all under Debian's 32-bit Wine from an i386 root made with apt beside this
# machine's packages. MANIFEST, written by the x86 build, says where its programs are. The
# gadget, the probe and zelvane come from a Linux build: named one by one, or by FILE, which a
# Linux build writes (tests/vm/vm-tools.sh) and which names its kernel cache too.
# --kernel-cache DIR keeps the kernel package in DIR instead of DIR/kernel of --work.
#
# Exit status: 0 every scenario passed; 1 one failed, or the guest stopped before it finished;
# 2 a malformed command line; 77 (skipped, with the reason on the last line) when this machine
# lacks something the test needs and cannot get it: Debian's package tools, root or sudo for a
# missing package, the package registry, a kernel package with the needed modules, Debian's udev
# package, or a guest that boots within the boot timeout; with --windows-exe also the program,
# wine64, Xvfb, the kernel's 9p and overlay modules, and a Wine that starts the program within
# its timeout.
#
# Environment:
#   ZELVANE_VM_KERNEL_PACKAGE  the kernel package, or a metapackage naming it (default
#                              linux-image-amd64)
#   ZELVANE_VM_BOOT_TIMEOUT    seconds the guest may take to start its first process (120)
#   ZELVANE_VM_TIMEOUT         seconds the whole guest run may take (240; 600 with the .exe;
#                              3000 with the x86 build)
#   ZELVANE_VM_WINE_TIMEOUT    seconds Wine may take to show the program's window in the guest
#                              (300; with the prefix made on the host it takes about 20)
#   ZELVANE_VM_WINEDEBUG       WINEDEBUG for the x86 test programs, to look into a failure
#   ZELVANE_VM_ASSUME_MISSING  packages to treat as not installed, to try the install path
#   ZELVANE_VM_BREAK_IMAGE=1   zelvane gets an image with one byte changed while the device is
#                              still compared with the real one: the run must then fail
set -euo pipefail

SKIP=77
BOOT_TIMEOUT=${ZELVANE_VM_BOOT_TIMEOUT:-120}
KERNEL_PACKAGE=${ZELVANE_VM_KERNEL_PACKAGE:-linux-image-amd64}
HERE=$(cd "$(dirname "$0")" && pwd)
STATUS_TEXTS=$HERE/../../update/status_texts.h
UDEV_RULE=$HERE/../../res/linux/70-zelvane.rules
work= gadget= zelvane= probe= windows_exe= windows_x86= linux_tools= kernel_cache= scenarios=
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || { echo "option $1 needs a value" >&2; exit 2; }
    case $1 in
        --work) work=$2 ;;
        --gadget) gadget=$2 ;;
        --zelvane) zelvane=$2 ;;
        --probe) probe=$2 ;;
        --scenarios) scenarios=$2 ;;
        --windows-exe) windows_exe=$2 ;;
        --windows-x86) windows_x86=$2 ;;
        --linux-tools) linux_tools=$2 ;;
        --kernel-cache) kernel_cache=$2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done

say() { echo "vm-test: $*"; }
# The x86 run's CTest tests of each program learn from its results folder why none ran.
skip() {
    say "SKIPPED: $*"
    [ -z "$windows_x86" ] || mark_windows_x86_results "$*"
    exit $SKIP
}

# remove_at_exit PATH: PATH goes when the script ends, however it ends.
at_exit_paths=()
remove_at_exit() { at_exit_paths+=("$1"); }
trap '[ ${#at_exit_paths[@]} -eq 0 ] || rm -rf "${at_exit_paths[@]}"' EXIT

[ -n "$work" ] || { echo "usage: see $0" >&2; exit 2; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
if [ -n "$windows_x86" ]; then
    # shellcheck source=windows-x86-side.sh
    . "$HERE/windows-x86-side.sh"
    mark_windows_x86_results
fi
if [ -n "$windows_x86" ] && [ -z "$linux_tools$gadget" ]; then
    skip "no Linux build to take the USB gadget from: configure this build with -DZELVANE_LINUX_BUILD=<a Linux debug build> (scripts/test.sh hands build/debug over)"
fi
if [ -n "$linux_tools" ]; then
    [ -f "$linux_tools" ] ||
        skip "no Linux build's VM tools at $linux_tools: build the debug preset first (scripts/test.sh does) and configure this build with -DZELVANE_LINUX_BUILD=<its folder>"
    # shellcheck source=/dev/null
    . "$linux_tools"
    gadget=$VM_GADGET zelvane=$VM_ZELVANE probe=$VM_PROBE
    : "${kernel_cache:=$VM_KERNEL_CACHE}"
    [ -x "$gadget" ] && [ -x "$zelvane" ] && [ -x "$probe" ] ||
        skip "the Linux build's VM tools that $linux_tools names are not built: build its preset first"
fi
[ -x "$gadget" ] && [ -x "$zelvane" ] && [ -x "$probe" ] || { echo "usage: see $0" >&2; exit 2; }
: "${kernel_cache:=$work/kernel}"
if [ -n "$windows_x86" ]; then
    run=x86-
    HARD_TIMEOUT=${ZELVANE_VM_TIMEOUT:-3000}
    : "${scenarios:=x86_test_programs exe_write_verify x86_gui x86_setup ordinary_disk_inquiry_only}"
elif [ -n "$windows_exe" ]; then
    run=exe-
    HARD_TIMEOUT=${ZELVANE_VM_TIMEOUT:-600}
    : "${scenarios:=exe_write_verify ordinary_disk_inquiry_only}"
else
    run=
    HARD_TIMEOUT=${ZELVANE_VM_TIMEOUT:-240}
    : "${scenarios:=program_runs measure_round_trip rejected_command_sense plug_write_verify pull_and_replug faulty_read_backs refused_blocks two_devices ordinary_disk_inquiry_only least_privilege}"
fi

can_be_root() { [ "$(id -u)" -eq 0 ] || { command -v sudo > /dev/null && sudo -n true 2> /dev/null; }; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }

is_installed() {
    case " ${ZELVANE_VM_ASSUME_MISSING:-} " in *" $1 "*) return 1 ;; esac
    dpkg-query -W -f='${Status}' "$1" 2> /dev/null | grep -q 'install ok installed'
}

install_packages() {
    local missing=() p
    command -v dpkg-query > /dev/null && command -v apt-get > /dev/null ||
        skip "no Debian package tools (dpkg-query, apt-get) on this machine"
    for p in qemu-system-x86 busybox-static cpio kmod; do
        is_installed "$p" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        can_be_root || skip "${missing[*]} not installed, and neither root nor sudo without a password to install it"
        say "installing ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        as_root apt-get update -qq > /dev/null &&
            as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null ||
            skip "cannot install ${missing[*]} from the package registry"
    fi
    command -v qemu-system-x86_64 > /dev/null || skip "qemu-system-x86_64 is not on PATH"
}

# The kernel package a metapackage currently depends on, or the named package itself.
resolve_kernel_package() {
    local resolved
    resolved=$(apt-cache depends "$1" 2> /dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n1)
    echo "${resolved:-$1}"
}

# The kernel package, unpacked with its modules indexed (the package ships none of depmod's
# files). Anything fetched comes from the package registry through apt, as an ordinary user.
fetch_kernel() {
    local package
    if ! apt-cache show "$KERNEL_PACKAGE" > /dev/null 2>&1 && can_be_root; then
        as_root apt-get update -qq > /dev/null || true
    fi
    apt-cache show "$KERNEL_PACKAGE" > /dev/null 2>&1 ||
        skip "no package $KERNEL_PACKAGE in the package lists"
    package=$(resolve_kernel_package "$KERNEL_PACKAGE")
    kernel_dir=$kernel_cache/$package
    if [ ! -f "$kernel_dir/.ready" ]; then
        rm -rf "$kernel_dir" && mkdir -p "$kernel_dir"
        (cd "$kernel_dir" && apt-get download -q "$package" > /dev/null 2>&1) ||
            skip "cannot download $package from the package registry"
        dpkg-deb -x "$kernel_dir"/*.deb "$kernel_dir/root"
        rm -f "$kernel_dir"/*.deb
        [ "$(ls "$kernel_dir/root/lib/modules" 2> /dev/null | wc -l)" -eq 1 ] &&
            ls "$kernel_dir/root/boot"/vmlinuz-* > /dev/null 2>&1 ||
            skip "$package holds no kernel with one set of modules"
        depmod -b "$kernel_dir/root" "$(ls "$kernel_dir/root/lib/modules")"
        touch "$kernel_dir/.ready"
        # Kernels the package lists no longer name would only fill the disk.
        find "$kernel_cache" -mindepth 1 -maxdepth 1 ! -name "$package" -exec rm -rf {} +
    fi
    kernel_version=$(ls "$kernel_dir/root/lib/modules")
    say "kernel $kernel_version from $package"
}

# Debian's udev package, unpacked: systemd-udevd and udevadm (one program), its helpers and its
# rules, fetched through apt as an ordinary user like the kernel.
fetch_udev() {
    local version
    version=$(apt-cache policy udev 2> /dev/null | sed -n 's/^ *Candidate: //p')
    [ -n "$version" ] && [ "$version" != "(none)" ] || skip "no package udev in the package lists"
    udev_dir=$work/udev/$version
    if [ ! -f "$udev_dir/.ready" ]; then
        rm -rf "$work/udev" && mkdir -p "$udev_dir"
        (cd "$udev_dir" && apt-get download -q "udev=$version" > /dev/null 2>&1) ||
            skip "cannot download udev $version from the package registry"
        dpkg-deb -x "$udev_dir"/*.deb "$udev_dir/root"
        rm -f "$udev_dir"/*.deb
        [ -x "$udev_dir/root/bin/udevadm" ] || skip "the udev package holds no /bin/udevadm"
        touch "$udev_dir/.ready"
    fi
    say "udev $version"
}

# udev as the package installs it (systemd-udevd is a link to udevadm), Debian's rules in
# /lib/udev/rules.d and the program's rule where its package puts it; the groups Debian's rules
# and the program's rule name; a user only in the group zelvane and one outside it.
stage_udev() {
    local helper
    copy_with_libraries "$udev_dir/root/bin/udevadm" /bin/udevadm
    mkdir -p "$stage/lib/systemd" "$stage/lib/udev" "$stage/usr/lib/udev/rules.d" "$stage/run"
    ln -s /bin/udevadm "$stage/lib/systemd/systemd-udevd"
    cp -a "$udev_dir/root/lib/udev/rules.d" "$stage/lib/udev/"
    for helper in "$udev_dir/root/lib/udev"/*; do
        if [ -f "$helper" ] && [ -x "$helper" ]; then
            copy_with_libraries "$helper" "/lib/udev/$(basename "$helper")"
        fi
    done
    cp "$UDEV_RULE" "$stage/usr/lib/udev/rules.d/"
    awk -F: '$3 < 1000 && $1 != "zelvane"' /etc/group > "$stage/etc/group"
    echo 'zelvane:x:990:' >> "$stage/etc/group"
    grep -q '^users:' "$stage/etc/group" || echo 'users:x:100:' >> "$stage/etc/group"
    cat > "$stage/etc/passwd" << 'PASSWD'
root:x:0:0:root:/root:/bin/sh
updater:x:1000:990:in the group zelvane only:/tmp:/bin/sh
outsider:x:1001:100:not in the group zelvane:/tmp:/bin/sh
PASSWD
}

wants_scenario() { case " $scenarios " in *" $1 "*) return 0 ;; esac; return 1; }

# The modules the guest loads, each with its parameters, in an order that loads; the Windows
# program's run also mounts the host's root over 9p and lays an overlay over the Wine prefix.
wanted_modules() {
    cat << 'MODULES'
configfs
sg
sd_mod
scsi_debug inq_vendor=Ordinary inq_product=Disk dev_size_mb=8
dummy_hcd num=2
libcomposite
usb_f_fs
usb_storage delay_use=0
MODULES
    [ -z "$windows_exe$windows_x86" ] || printf '%s\n' virtio_pci 9pnet_virtio 9p overlay
}

# Skips when the kernel package has one of the wanted modules neither built in nor as a file.
check_modules() {
    local module params absent=()
    while read -r module params; do
        modprobe -d "$kernel_dir/root" -S "$kernel_version" --show-depends "$module" \
            > /dev/null 2>&1 || absent+=("$module")
    done < <(wanted_modules)
    [ ${#absent[@]} -eq 0 ] || skip "kernel $kernel_version has no ${absent[*]}"
}

# Module files in an order that loads: each one's dependencies first, each file once. Each is
# named from the kernel package's root (lib/modules/...), since the folder the package lies in
# may hold blanks that would split its lines.
list_modules() {
    local module params
    wanted_modules | while read -r module params; do
        modprobe -d "$kernel_dir/root" -S "$kernel_version" --show-depends "$module" |
            awk -v want="$module" -v params="$params" '$1 == "insmod" &&
                match($0, /\/lib\/modules\/[^ ]*/) {
                path = substr($0, RSTART + 1, RLENGTH - 1)
                name = path; sub(/.*\//, "", name)
                base = name; sub(/\.ko$/, "", base); gsub(/-/, "_", base)
                print path, (base == want ? params : "") }'
    done | awk '!seen[$1]++'
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

# zelvane, a Qt program, finds its offscreen platform plugin and fonts at the host's paths.
copy_qt_runtime() {
    local plugins directory
    # Qt looks for plugins beside its library's real path (/usr/lib/..., not the /lib symlink).
    plugins=$(dirname "$(realpath "$(ldd "$zelvane" | awk '/libQt6Core/ { print $3 }')")")/qt6/plugins
    copy_with_libraries "$plugins/platforms/libqoffscreen.so" "$plugins/platforms/libqoffscreen.so"
    for directory in /etc/fonts /usr/share/fonts/truetype/dejavu; do
        if [ -d "$directory" ]; then
            mkdir -p "$stage$(dirname "$directory")"
            cp -a "$directory" "$stage$(dirname "$directory")/"
        fi
    done
}

# status_text NAME: the bar text zelvane's constant NAME holds.
status_text() {
    local text
    text=$(sed -n "s/^.*\b$1\[\] = u\"\([^\"']*\)\";.*$/\1/p" "$STATUS_TEXTS")
    [ -n "$text" ] || { say "no text $1 in $STATUS_TEXTS"; exit 1; }
    echo "$text"
}

# The texts the scenarios expect, and every failure text, which a scenario must not see unless
# it asks for it.
write_texts() {
    local name wait_connect success connection_error verify_error
    wait_connect=$(status_text kTextWaitConnect)
    success=$(status_text kTextSuccess)
    connection_error=$(status_text kTextConnectionError)
    verify_error=$(status_text kTextVerifyError)
    printf "TEXT_WAIT_CONNECT='%s'\nTEXT_SUCCESS='%s'\nTEXT_CONNECTION_ERROR='%s'\nTEXT_VERIFY_ERROR='%s'\n" \
        "$wait_connect" "$success" "$connection_error" "$verify_error" >> "$stage/etc/vm-test.conf"
    for name in kTextNoImage kTextTargetError kTextConnectionError kTextFileOpenError kTextVerifyError; do
        status_text "$name"
    done > "$stage/etc/vm-failure-texts"
}

# make_image NAME BYTES [SOURCE]: an image of bytes from SOURCE (random by default), the copy
# zelvane gets, and what the device must hold afterwards (the image, then 0xFF up to the next
# block; a whole extra block of 0xFF when the image is a whole number of blocks).
make_image() {
    local name=$1 bytes=$2 source=${3:-/dev/urandom} blocks
    head -c "$bytes" "$source" > "$stage/images/$name.bin"
    mkdir -p "$stage/images/$name"
    cp "$stage/images/$name.bin" "$stage/images/$name/Tarvik_240101_DB.bin"
    if [ "${ZELVANE_VM_BREAK_IMAGE:-0}" = 1 ]; then
        printf '\x42' | dd of="$stage/images/$name/Tarvik_240101_DB.bin" bs=1 seek=1000 conv=notrunc status=none
        cmp -s "$stage/images/$name.bin" "$stage/images/$name/Tarvik_240101_DB.bin" &&
            printf '\x43' | dd of="$stage/images/$name/Tarvik_240101_DB.bin" bs=1 seek=1000 conv=notrunc status=none
    fi
    blocks=$((bytes / block_bytes + 1))
    { cat "$stage/images/$name.bin"; head -c $((blocks * block_bytes - bytes)) /dev/zero | tr '\0' '\377'; } \
        > "$stage/images/$name.expected"
    rm "$stage/images/$name.bin"
    printf 'IMAGE_%s_PUT=/images/%s/Tarvik_240101_DB.bin\nIMAGE_%s_EXPECTED=/images/%s.expected\nIMAGE_%s=/images/%s/Tarvik_240101_DB.bin\n' \
        "$name" "$name" "$name" "$name" "$name" "$name" >> "$stage/etc/vm-test.conf"
}

build_initramfs() {
    stage=$work/${run}initramfs
    rm -rf "$stage"
    mkdir -p "$stage"/{bin,etc,lib/modules,images,zelvane,tools}
    cp /bin/busybox "$stage/bin/busybox"
    cp "$HERE/guest/init" "$stage/init"
    cp "$HERE/guest/scenarios.sh" "$stage/scenarios.sh"
    list_modules | while read -r path params; do
        cp "$kernel_dir/root/$path" "$stage/lib/modules/"
        echo "$(basename "$path") $params" >> "$stage/lib/modules/load-order"
    done
    copy_with_libraries "$gadget" /tools/zelvane-usb-device
    copy_with_libraries "$probe" /tools/zelvane-vm-probe
    copy_with_libraries "$zelvane" /zelvane/zelvane
    copy_qt_runtime
    if wants_scenario least_privilege; then stage_udev; fi
    block_bytes=$("$probe" --block-bytes)
    db_first_block=$("$probe" --db-first-block)
    cat > "$stage/etc/vm-test.conf" << CONF
GADGET=/tools/zelvane-usb-device
PROBE=/tools/zelvane-vm-probe
ZELVANE=/zelvane/zelvane
BLOCK_BYTES=$block_bytes
DB_FIRST_BLOCK=$db_first_block
GONE_LIMIT_MS=1000
SCENARIOS='$scenarios'
CONF
    write_texts
    make_image PLAIN $((200 * block_bytes + 300))
    make_image PULL $((240 * block_bytes))
    make_image TWO $((120 * block_bytes + 17))
    make_image FAULT $((64 * block_bytes + 512))
    make_image ZEROS $((16 * block_bytes + 100)) /dev/zero
    if [ -n "$windows_exe" ]; then stage_windows_side; fi
    if [ -n "$windows_x86" ]; then stage_windows_x86_side; fi
    (cd "$stage" && find . | cpio -o -H newc --quiet) > "$initramfs"
    say "initramfs $(du -h "$initramfs" | cut -f1)"
}

guest_said() { grep -q "$1" "$console.log"; }

# Waits until the guest's first process reports, the guest ends, or the boot timeout passes;
# true when it reported.
wait_for_boot() {
    local deadline=$((SECONDS + BOOT_TIMEOUT))
    until guest_said 'VMTEST BOOTED'; do
        kill -0 "$qemu_pid" 2> /dev/null && [ $SECONDS -lt $deadline ] || return 1
        sleep 0.5
    done
}

boot_guest() {
    local status=0
    say "booting the guest (boot timeout ${BOOT_TIMEOUT}s, hard timeout ${HARD_TIMEOUT}s)"
    # Emptied here, not by the background job's redirection, which may come after the first
    # look for the boot line: an earlier run's console must not count.
    : > "$console.log"
    timeout --kill-after=5 "$HARD_TIMEOUT" qemu-system-x86_64 \
        -accel tcg -m "$guest_memory" -smp 1 -nographic -no-reboot -nic none "${qemu_extra[@]}" \
        -kernel "$kernel_dir/root/boot/vmlinuz-$kernel_version" \
        -initrd "$initramfs" \
        -append "console=ttyS0 quiet loglevel=3 panic=-1" \
        < /dev/null > "$console.log" 2>&1 &
    qemu_pid=$!
    if ! wait_for_boot && kill -0 "$qemu_pid" 2> /dev/null; then
        kill "$qemu_pid" 2> /dev/null || true
        wait "$qemu_pid" || true
        tr -d '\r' < "$console.log" | tail -n 20
        skip "the guest did not boot within ${BOOT_TIMEOUT}s (its console's end is above)"
    fi
    wait "$qemu_pid" || status=$?
    tr -d '\r' < "$console.log" > "$console.txt"
    if [ $status -eq 124 ] || [ $status -eq 137 ]; then
        say "the guest did not finish within ${HARD_TIMEOUT}s"
    fi
}

# Each scenario must have passed or skipped; plug_write_verify also stands for the unplug it
# includes. A failure anywhere fails the run even beside a skip: a skip reports what this
# machine cannot do, it must not hide what went wrong in another scenario.
judge() {
    local expected fails name pass reason
    grep -E '^(VMTEST|vm:)' "$console.txt" || true
    reason=$(sed -n 's/^VMTEST SKIP //p' "$console.txt" | head -n1)
    fails=$(grep -c '^VMTEST FAIL' "$console.txt" || true)
    grep -q 'VMTEST BOOTED' "$console.txt" || { say "the guest stopped before it booted"; fails=$((fails + 1)); }
    for name in $scenarios; do
        grep -q "^VMTEST SKIP $name: " "$console.txt" && continue
        expected=$name
        [ "$name" = plug_write_verify ] && expected="plug_write_verify presence_notices_unplug"
        for pass in $expected; do
            grep -q "^VMTEST PASS $pass\$" "$console.txt" || { say "no PASS for $pass"; fails=$((fails + 1)); }
        done
    done
    grep -q '^VMTEST END' "$console.txt" || { say "the guest never finished its scenarios"; fails=$((fails + 1)); }
    if [ "$fails" -ne 0 ]; then
        say "FAILED; the guest's console follows"
        tail -n 80 "$console.txt"
        return 1
    fi
    [ -z "$reason" ] || skip "$reason"
    say "all scenarios passed"
}

started=$SECONDS
initramfs=$work/${run}initramfs.cpio
console=$work/${run}console
guest_memory=512
qemu_extra=()
if [ -n "$windows_exe" ]; then
    # shellcheck source=windows-side.sh
    . "$HERE/windows-side.sh"
    check_windows_side
fi
if [ -n "$windows_x86" ]; then check_windows_x86_side; fi
install_packages
fetch_kernel
if wants_scenario least_privilege; then fetch_udev; fi
check_modules
if [ -n "$windows_exe" ]; then prepare_wine_prefix; fi
if [ -n "$windows_x86" ]; then prepare_i386_root; fi
build_initramfs
boot_guest
if [ -n "$windows_x86" ]; then collect_windows_x86_side; fi
say "wall time $((SECONDS - started))s"
judge
