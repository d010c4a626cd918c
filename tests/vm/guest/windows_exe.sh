#!/bin/sh
# The Windows program on the real stack, sourced by scenarios.sh (whose device helpers it uses):
# the host's wine64 runs the real Zelvane.exe in a chroot into the host's root (9p, read only),
# and Wine turns each IOCTL_SCSI_PASS_THROUGH_DIRECT into one SG_IO on the node that
# dosdevices/physicaldriveN points at: drive 1 the ordinary disk, drive 2 the gadget (drive 0,
# without a link, is Wine's own C: disk). The program shows only a window, so it is judged by
# the device's memory and counters. A guest that cannot mount the host's root, or a Wine that
# does not show the program's window in time, skips the scenario ("VMTEST SKIP name: why").
#
# The x86 run (windows_x86.sh, sourced after this file) replaces the parts that say where Wine
# is: vm_wine_prepare, vm_in_wine, vm_exe_desktop, VM_ROOT (the root the chroot goes into) and
# VM_EXE_FROM.

VM_HOST=/host
VM_HOST_VIEW=/hostview  # the host's root as it is, /tmp included, for files the host staged
VM_ROOT=$VM_HOST
VM_EXE_FROM=$VM_HOST_VIEW  # where the guest finds WINDOWS_EXE, a host path
VM_DISPLAY=:7
VM_WINE_LOG=/tmp/wine.log
VM_WINE_ENDED=/tmp/wine.ended  # written when the program's Wine has ended
VM_WINE_UNPREPARED="the guest could not mount the host's root over 9p with an overlay on the Wine prefix"
vm_wine_unprepared() { vm_skip "$1" "$VM_WINE_UNPREPARED"; }

vm_skip() { echo "VMTEST SKIP $1: $2"; }

# vm_in_wine COMMAND...: COMMAND from the host's root, as the Wine prefix's owner.
vm_in_wine() {
    chroot "$VM_HOST" /usr/bin/setpriv --reuid="${WINE_USER%:*}" --regid="${WINE_USER#*:}" \
        --clear-groups /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/tmp \
        DISPLAY="$VM_DISPLAY" WINEPREFIX=/tmp/prefix WINEDEBUG=-all \
        WINEDLLOVERRIDES="$WINE_DLL_OVERRIDES" "$@"
}

# The host's root with what a program there needs written: /tmp, the kernel's file systems, and
# the Wine prefix, whose changes an overlay keeps in the guest's memory. The host's files (the
# prefix, the staged program) are read through a second view of its root, which the tmpfs over
# the chroot's /tmp does not cover: the host staged the program under its /tmp, and a checkout
# may lie there too.
vm_wine_prepare() {
    mkdir -p "$VM_HOST" "$VM_HOST_VIEW" /wine /dev/shm
    mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose,msize=262144 hostroot "$VM_HOST" ||
        return 1
    mount -o bind "$VM_HOST" "$VM_HOST_VIEW" || return 1
    mount -t tmpfs -o mode=1777 tmpfs /dev/shm
    mount -t tmpfs tmpfs /wine
    mkdir -p /wine/upper /wine/work /wine/prefix
    chown "$WINE_USER" /wine/upper
    mount -t overlay overlay \
        -o "lowerdir=$VM_HOST_VIEW$WINE_PREFIX_HOST,upperdir=/wine/upper,workdir=/wine/work" /wine/prefix ||
        return 1
    mount -t tmpfs -o mode=1777 tmpfs "$VM_HOST/tmp"
    mkdir -p "$VM_HOST/tmp/prefix"
    mount -o bind /wine/prefix "$VM_HOST/tmp/prefix"
    for vm_fs in dev proc sys; do
        mount -o bind "/$vm_fs" "$VM_HOST/$vm_fs" || return 1
    done
}

# The program beside its image, in a folder of its own as a user would have it.
vm_place_exe() {
    mkdir -p "$VM_ROOT/tmp/program"
    cp "$VM_EXE_FROM$WINDOWS_EXE" "$VM_ROOT/tmp/program/Zelvane.exe" || return 1
    cp "$IMAGE_EXE_PUT" "$VM_ROOT/tmp/program/"
    chown -R "$WINE_USER" "$VM_ROOT/tmp/program"
    vm_exe_desktop
}

# Where the program's window is shown: on the X display itself, as Wine shows it by default.
vm_exe_desktop() { :; }

# vm_link_drive N SG: \\.\PhysicalDriveN is /dev/sgSG, open to the prefix's owner.
vm_link_drive() {
    chmod 0666 "/dev/sg$2"
    ln -sf "/dev/sg$2" "$VM_ROOT/tmp/prefix/dosdevices/physicaldrive$1"
}

vm_start_display() {
    [ ! -e "$VM_ROOT/tmp/.X11-unix/X${VM_DISPLAY#:}" ] || return 0
    vm_in_wine Xvfb "$VM_DISPLAY" -screen 0 1024x768x24 -nolisten tcp > /tmp/xvfb.log 2>&1 &
    vm_wait_until 60 test -e "$VM_ROOT/tmp/.X11-unix/X${VM_DISPLAY#:}"
}

# The program's main window is there. The emulated processor is the only one, so the checks
# are seconds apart, not to slow Wine down.
vm_exe_window_shown() { vm_in_wine xwininfo -root -tree 2>/dev/null | grep -q 'Tarvik DB Updater'; }
vm_exe_window_shown_or_ended() { [ -f "$VM_WINE_ENDED" ] || vm_exe_window_shown; }

# vm_poll SECONDS COMMAND...: COMMAND every two seconds until it succeeds or time is up.
vm_poll() {
    vm_poll_end=$(awk -v now="$(vm_now)" -v s="$1" 'BEGIN { print now + s }')
    shift
    until "$@"; do
        awk -v now="$(vm_now)" -v end="$vm_poll_end" 'BEGIN { exit !(now > end) }' && return 1
        sleep 2
    done
}

vm_stop_wine() {
    vm_in_wine "$WINESERVER" -k 2>/dev/null
    wait "$VM_WINE_PID" 2>/dev/null
}

vm_dump_wine_logs() {
    for f in "$VM_WINE_LOG" /tmp/xvfb.log; do
        [ -f "$f" ] && tail -n 20 "$f" | sed "s|^|vm: $(basename "$f"): |"
    done
}

# Wine started, the program's window shown: the device in update mode gets the whole image,
# verified, and holds it with its padding afterwards.
vm_exe_judge_device() {
    if ! vm_poll 300 vm_device_verified 0 "$1"; then
        vm_fail exe_write_verify "device verified $(vm_stat 0 blocks_verified) of $1 blocks in time"
        vm_dump_wine_logs
        return 1
    fi
    vm_metric exe_write_verify_s "$(vm_seconds_since "$2")"
    vm_exe_verified
    vm_stop_wine
    vm_stop_device 0
    vm_check_device 0 "$IMAGE_EXE_EXPECTED" "$1" exe_write_verify
}

# What the run does once the device holds the image, while the program still shows its window.
vm_exe_verified() { :; }

scenario_exe_write_verify() {
    if ! vm_wine_prepare; then
        vm_wine_unprepared exe_write_verify
        return
    fi
    echo "vm: Wine's root ready at $(vm_now)"
    vm_blocks=$(vm_image_blocks "$IMAGE_EXE")
    vm_start_device 0 "$vm_blocks"
    if ! vm_place_exe; then
        vm_fail exe_write_verify "the staged program $WINDOWS_EXE is not there"
    elif ! vm_wait_until 20 vm_sg_node_present; then
        vm_fail exe_write_verify "the device got no sg node"
    elif ! vm_start_display; then
        vm_fail exe_write_verify "Xvfb did not start: $(cat /tmp/xvfb.log)"
    else
        vm_link_drive 1 "$(vm_find_disk_sg)"
        vm_link_drive 2 "$(vm_find_device_sg)"
        vm_t0=$(vm_now)
        echo "vm: display up, Wine started at $vm_t0"
        rm -f "$VM_WINE_ENDED"
        { vm_in_wine "$WINE" /tmp/program/Zelvane.exe > "$VM_WINE_LOG" 2>&1; echo $? > "$VM_WINE_ENDED"; } &
        VM_WINE_PID=$!
        # A program that ends before it shows its window has failed; only a Wine still busy
        # starting it when time is up is this machine's limit.
        if ! vm_poll "$WINE_TIMEOUT" vm_exe_window_shown_or_ended; then
            vm_dump_wine_logs
            vm_skip exe_write_verify "Wine did not show the program's window within ${WINE_TIMEOUT}s in the guest"
        elif [ -f "$VM_WINE_ENDED" ]; then
            vm_fail exe_write_verify "Zelvane.exe ended under Wine with status $(cat "$VM_WINE_ENDED") without showing its window"
            vm_dump_wine_logs
        else
            vm_metric wine_window_s "$(vm_seconds_since "$vm_t0")"
            vm_exe_judge_device "$vm_blocks" "$vm_t0" && vm_pass exe_write_verify
        fi
    fi
    vm_stop_wine
    vm_stop_device 0
}
