#!/bin/sh
# The x86 Windows programs in the guest, sourced by scenarios.sh after windows_exe.sh: Wine from
# Debian's i386 packages (the root the host made, read only over 9p, with an overlay in memory),
# in a 32-bit prefix that the first run makes and hands back to the host. Scenarios:
# - x86_test_programs: every x86 test program, whole, on one Wine server and one X server; the
#   output and exit status of each go to the staging folder's results for the host's CTest tests;
# - exe_write_verify (windows_exe.sh, with the parts below): the x86 Zelvane.exe on the gadget,
#   and a screenshot of its window once the device holds the image;
# - x86_gui: tests/windows_gui/run-gui-test.sh, the window looked at from outside and inside;
# - x86_setup: tests/installer/installer_test.sh with the x86 setup.
# The staging folder is /stage in the guest and in the chroot alike.

VM_ROOT=/x86
VM_EXE_FROM=""  # WINDOWS_EXE lies in the staging folder, which the guest mounts as it is
VM_X86_CACHE=/x86cache
VM_STAGE=/stage
VM_X86_RESULTS=$VM_STAGE/results
# The host found the modules the guest needs, so a guest that cannot do this is at fault.
VM_WINE_UNPREPARED="the guest could not mount the i386 root and the staging folder over 9p with overlays, or make the Wine prefix"
vm_wine_unprepared() { vm_fail "$1" "$VM_WINE_UNPREPARED"; }
VM_X86_TIMEOUT=600  # seconds any one test program may take
VM_X86_SCRIPT_TIMEOUT=1500  # seconds a test script may take (the setup's: some 50 Wine starts)
VM_WINE_LIMIT=""    # "timeout SECONDS" while a test program or script runs

# vm_in_wine COMMAND...: COMMAND in the i386 root, as the prefix's owner, in the prefix.
vm_in_wine() {
    $VM_WINE_LIMIT chroot "$VM_ROOT" /usr/bin/setpriv --reuid="${WINE_USER%:*}" \
        --regid="${WINE_USER#*:}" --clear-groups /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp \
        LANG=C.UTF-8 DISPLAY="$VM_DISPLAY" WINEPREFIX=/tmp/prefix \
        WINEDEBUG="${X86_WINEDEBUG:--all}" WINEDLLOVERRIDES="$WINE_DLL_OVERRIDES" "$@"
}

# vm_mount_9p TAG DIR [ro]: the host's folder TAG at DIR; read only with the page cache, else
# read-write with no more caching than mapped files need, so that what the guest writes reaches
# the host.
vm_mount_9p() {
    mkdir -p "$2"
    if [ "${3:-}" = ro ]; then
        mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,ro,cache=loose "$1" "$2"
    else
        mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=mmap "$1" "$2"
    fi
}

# The prefix: the host's copy under an overlay, or, on a first run, a new one, made here and
# handed back through the staging folder.
vm_x86_prefix() {
    mkdir -p "$VM_ROOT/tmp/prefix"
    if [ -f "$VM_X86_CACHE/prefix/.ready" ] &&
        cmp -s "$VM_X86_CACHE/prefix/.ready" "$VM_X86_CACHE/root/.ready"; then
        mkdir -p /x86rw/prefix /x86rw/prefixwork /x86rw/prefixmount
        chown "$WINE_USER" /x86rw/prefix
        mount -t overlay overlay -o \
            "lowerdir=$VM_X86_CACHE/prefix,upperdir=/x86rw/prefix,workdir=/x86rw/prefixwork" \
            /x86rw/prefixmount || return 1
        mount -o bind /x86rw/prefixmount "$VM_ROOT/tmp/prefix"
        echo "vm: the 32-bit Wine prefix from an earlier run"
        return 0
    fi
    chown "$WINE_USER" "$VM_ROOT/tmp/prefix"
    vm_t0=$(vm_now)
    vm_in_wine "$WINE" wineboot -i > /tmp/wineboot.log 2>&1 || {
        tail -n 20 /tmp/wineboot.log | sed 's|^|vm: wineboot: |'
        return 1
    }
    vm_in_wine "$WINESERVER" -w
    vm_metric x86_prefix_made_s "$(vm_seconds_since "$vm_t0")"
    tar -C "$VM_ROOT/tmp/prefix" -cf "$VM_STAGE/cache-out/prefix.tar" . || return 1
}

# The i386 root, writable in memory, with the kernel's file systems, a /tmp, the staging folder
# and the prefix. Once per guest; later calls find it ready.
vm_wine_prepare() {
    [ -z "$VM_X86_READY" ] || return 0
    vm_mount_9p x86cache "$VM_X86_CACHE" ro || return 1
    vm_mount_9p stage "$VM_STAGE" || return 1
    mkdir -p /x86rw "$VM_ROOT"
    mount -t tmpfs tmpfs /x86rw
    mkdir -p /x86rw/root /x86rw/rootwork
    mount -t overlay overlay \
        -o "lowerdir=$VM_X86_CACHE/root,upperdir=/x86rw/root,workdir=/x86rw/rootwork" "$VM_ROOT" ||
        return 1
    for vm_fs in dev proc sys; do
        mount -o bind "/$vm_fs" "$VM_ROOT/$vm_fs" || return 1
    done
    # The links a system's device manager makes, which bash's process substitution needs.
    [ -e /dev/fd ] || ln -s /proc/self/fd /dev/fd
    for vm_fd in 0:stdin 1:stdout 2:stderr; do
        [ -e "/dev/${vm_fd#*:}" ] || ln -s "/proc/self/fd/${vm_fd%:*}" "/dev/${vm_fd#*:}"
    done
    mount -t tmpfs -o mode=1777 tmpfs "$VM_ROOT/dev/shm" 2>/dev/null ||
        { mkdir -p "$VM_ROOT/dev/shm" && mount -t tmpfs -o mode=1777 tmpfs "$VM_ROOT/dev/shm"; }
    # Room for one prefix that a test script makes (600 MB) beside the programs.
    mount -t tmpfs -o mode=1777,size=2g tmpfs "$VM_ROOT/tmp"
    mount -o bind "$VM_STAGE" "$VM_ROOT$VM_STAGE" || return 1
    # The programs run from the guest's memory: Wine cannot run a program from a 9p mount (its
    # image comes out broken and it crashes in its first instructions).
    cp -r "$VM_STAGE/programs" "$VM_STAGE/setup" "$VM_ROOT/tmp/" || return 1
    chown -R "$WINE_USER" "$VM_ROOT/tmp/programs" "$VM_ROOT/tmp/setup"
    vm_x86_prefix || return 1
    VM_X86_READY=1
}

# The program in Wine's virtual desktop, which draws the window's frame as a window manager
# would, and where gui_probe.exe sees the program's windows.
vm_exe_desktop() {
    vm_in_wine "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d zelvane /f > /dev/null 2>&1
    vm_in_wine "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v zelvane /d 640x300 /f > /dev/null 2>&1
}

vm_x86_probe() { vm_in_wine "$WINE" "/tmp/setup/gui_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# In the virtual desktop the program's window is no X window: gui_probe.exe finds it.
vm_exe_window_shown() { vm_x86_probe main | grep -q '^main=found$'; }

# The device holds the image: the bar says so, and the window is taken for the documentation
# (the virtual desktop is the X root's only window, at its corner).
vm_exe_verified() {
    vm_x86_main=$(vm_x86_probe main)
    vm_x86_bar=$(echo "$vm_x86_main" | sed -n 's/^bar_text=//p')
    echo "vm: the x86 program's bar: $vm_x86_bar"
    [ "$vm_x86_bar" = "$TEXT_SUCCESS" ] ||
        vm_fail exe_write_verify "the x86 program's bar says \"$vm_x86_bar\", not \"$TEXT_SUCCESS\""
    vm_x86_geometry=$(echo "$vm_x86_main" | awk -F= '
        $1 == "main_origin" { split($2, o, ",") } $1 == "main_client" { split($2, c, "x") }
        END { printf "%dx%d+%d+%d", c[1] + 16, c[2] + 40, o[1] - 8, o[2] - 32 }')
    vm_in_wine import -window root /tmp/screen.png &&
        vm_in_wine convert /tmp/screen.png -crop "$vm_x86_geometry" +repage \
            "$VM_X86_RESULTS/windows-x86-success.png" ||
        echo "vm: no screenshot of the x86 program"
}

# vm_x86_counts LOG: GoogleTest's totals of one program's output.
vm_x86_counts() {
    tr -d '\r' < "$1" | awk '
        /^\[==========\] [0-9]+ tests? from .* ran/ { ran = $2 }
        /^\[  PASSED  \] [0-9]+ test/ { passed = $4 }
        /^\[  SKIPPED \] [0-9]+ test/ { skipped = $4 }
        /^\[  FAILED  \] [0-9]+ test/ { failed = $4 }
        END { printf "ran=%d passed=%d skipped=%d failed=%d", ran, passed, skipped, failed }'
}

scenario_x86_test_programs() {
    if ! vm_wine_prepare; then
        vm_wine_unprepared x86_test_programs
        return
    fi
    if ! vm_start_display; then
        vm_fail x86_test_programs "Xvfb did not start: $(cat /tmp/xvfb.log)"
        return
    fi
    vm_in_wine "$WINESERVER" -p
    vm_x86_failed=""
    while read -r vm_suite; do
        vm_t0=$(vm_now)
        VM_WINE_LIMIT="timeout $VM_X86_TIMEOUT"
        vm_in_wine "$WINE" "/tmp/programs/$vm_suite.exe" > "$VM_X86_RESULTS/$vm_suite.log" 2>&1
        vm_status=$?
        VM_WINE_LIMIT=""
        echo "$vm_status" > "$VM_X86_RESULTS/$vm_suite.status"
        echo "VMTEST SUITE $vm_suite status=$vm_status $(vm_x86_counts "$VM_X86_RESULTS/$vm_suite.log")" \
            "seconds=$(vm_seconds_since "$vm_t0")"
        [ "$vm_status" = 0 ] || vm_x86_failed="$vm_x86_failed $vm_suite"
    done < "$VM_STAGE/suites.list"
    vm_stop_wine
    if [ -n "$vm_x86_failed" ]; then
        vm_fail x86_test_programs "failed:$vm_x86_failed"
    else
        vm_pass x86_test_programs
    fi
}

# vm_x86_script NAME RESULT SCRATCH SCRIPT ARGUMENTS...: one of the project's test scripts in
# the i386 root, under the x86 Wine, its output and status kept as RESULT. SCRATCH, the folder
# where it makes its own prefix (600 MB in memory), goes afterwards.
vm_x86_script() {
    vm_name=$1 vm_result=$2 vm_scratch=$3
    shift 3
    if ! vm_wine_prepare; then
        vm_wine_unprepared "$vm_name"
        return
    fi
    vm_t0=$(vm_now)
    VM_WINE_LIMIT="timeout $VM_X86_SCRIPT_TIMEOUT"
    vm_in_wine env ZELVANE_WINE="$WINE" ZELVANE_WINESERVER="$WINESERVER" bash "$@" \
        > "$VM_X86_RESULTS/$vm_result.log" 2>&1
    vm_status=$?
    VM_WINE_LIMIT=""
    rm -rf "${VM_ROOT:?}$vm_scratch"
    echo "$vm_status" > "$VM_X86_RESULTS/$vm_result.status"
    vm_metric "${vm_name}_s" "$(vm_seconds_since "$vm_t0")"
    case $vm_status in
        0) vm_pass "$vm_name" ;;
        77) vm_skip "$vm_name" "$(grep -m1 'SKIPPED: ' "$VM_X86_RESULTS/$vm_result.log" | sed 's/.*SKIPPED: //')" ;;
        *) vm_fail "$vm_name" "status $vm_status: $(grep -m3 '^FAILED' "$VM_X86_RESULTS/$vm_result.log" | tr '\n' ' ')" ;;
    esac
}

scenario_x86_gui() {
    vm_x86_script x86_gui windows_gui /tmp/gui "$VM_STAGE/src/tests/windows_gui/run-gui-test.sh" \
        "/tmp/setup/Zelvane.exe" "/tmp/setup/gui_probe.exe" /tmp/gui/run \
        "$VM_X86_RESULTS/windows_gui-screenshots"
}

scenario_x86_setup() {
    if [ -z "$X86_SETUP_NAME" ]; then
        vm_skip x86_setup "makensis is not installed (Debian package nsis): no x86 setup program"
        return
    fi
    vm_x86_script x86_setup installer /tmp/installer "$VM_STAGE/src/tests/installer/installer_test.sh" \
        "/tmp/setup/$X86_SETUP_NAME" "/tmp/setup/Zelvane.exe" \
        "/tmp/setup/gui_probe.exe" /tmp/installer "$X86_PRODUCT" "$X86_PUBLISHER" "$X86_VERSION"
}
