#!/bin/sh
# The scenarios, run inside the guest. Every one that judges updating runs the real zelvane
# ($ZELVANE, headless: it reports the visible bar as "text: ..." and "pos: ..." lines on standard
# output) and judges it by its text lines and by the device's memory; the probe ($PROBE) only
# measures the stack and checks a rejected command's sense. Position lines may be merged when
# the reader is slow, so no judgement rests on them; text lines are never lost nor reordered.
# zelvane reports only the first slot's bar, so a second device is judged by its memory alone.
# Each scenario prints "VMTEST PASS <name>" or "VMTEST FAIL <name>: why"; figures print as
# "VMTEST METRIC <name>=<value>". Every wait is bounded.
#
# Function names carry a vm_ prefix: a shell function named like a busybox applet (ts is one)
# can shadow or be shadowed by it.
. /etc/vm-test.conf

CONFIGFS=/sys/kernel/config/usb_gadget
SCSI_DEBUG_OPTS=/sys/bus/pseudo/drivers/scsi_debug/opts
ZELVANE_DIR=$(dirname "$ZELVANE")
ZELVANE_LOG=/tmp/zelvane.log

vm_now() { cut -d' ' -f1 /proc/uptime; }
# vm_seconds_since T0: whole seconds from T0, a vm_now, to now.
vm_seconds_since() { awk -v a="$1" -v b="$(vm_now)" 'BEGIN { printf "%d", b - a }'; }
vm_pass() { echo "VMTEST PASS $1"; }
vm_fail() {
    echo "VMTEST FAIL $1: $2"
    vm_dump_logs
}
vm_metric() { echo "VMTEST METRIC $1=$2"; }

# vm_wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds or time is up.
vm_wait_until() {
    vm_limit=$(awk -v now="$(vm_now)" -v s="$1" 'BEGIN { print now + s }')
    shift
    while ! "$@"; do
        if awk -v now="$(vm_now)" -v limit="$vm_limit" 'BEGIN { exit !(now > limit) }'; then
            return 1
        fi
        sleep 0.1
    done
}

# A gadget whose one function is FunctionFS, mounted at /ffs/ms<i>; bound by the device program.
vm_make_gadget() {
    g=$CONFIGFS/g$1
    mkdir -p "$g" && cd "$g" || return 1
    echo 0x1d6b > idVendor
    echo 0x0104 > idProduct
    mkdir -p strings/0x409 configs/c.1/strings/0x409 "functions/ffs.ms$1"
    echo "ZV000$1" > strings/0x409/serialnumber
    echo "Zelvane test" > strings/0x409/manufacturer
    echo "Device in update mode" > strings/0x409/product
    echo "Bulk-Only" > configs/c.1/strings/0x409/configuration
    ln -s "$g/functions/ffs.ms$1" configs/c.1/
    cd /
    mkdir -p "/ffs/ms$1"
    mount -t functionfs "ms$1" "/ffs/ms$1"
}

# vm_start_device I BLOCKS [FAULT OPTIONS...]: device program on gadget I, controller
# dummy_udc.I, reporting BLOCKS blocks of memory from where the database starts to /tmp/mem<I>.bin.
vm_start_device() {
    vm_i=$1
    vm_bytes=$(($2 * BLOCK_BYTES))
    shift 2
    rm -f "/tmp/mem$vm_i.bin" "/tmp/stats$vm_i.txt"
    "$GADGET" --ffs "/ffs/ms$vm_i" --udc-file "$CONFIGFS/g$vm_i/UDC" --udc "dummy_udc.$vm_i" \
        --dump "/tmp/mem$vm_i.bin" --dump-bytes "$vm_bytes" \
        --stats "/tmp/stats$vm_i.txt" "$@" 2> "/tmp/device$vm_i.log" &
    eval "DEVICE_PID_$vm_i=$!"
    # Signals asking for a report must not reach it before it is ready to take them.
    vm_wait_until 10 grep -q 'plugged into' "/tmp/device$vm_i.log" ||
        echo "vm: device $vm_i did not plug in"
}

# Ends device program I, which writes its memory and counters first.
vm_stop_device() {
    eval "vm_pid=\$DEVICE_PID_$1"
    kill -TERM "$vm_pid" 2>/dev/null
    wait "$vm_pid" 2>/dev/null
}

# vm_stat I NAME: a counter of device I, as last reported.
vm_stat() { sed -n "s/^$2=//p" "/tmp/stats$1.txt" 2>/dev/null; }

# Asks device I for a fresh report and tells whether it has verified BLOCKS blocks.
vm_device_verified() {
    eval "vm_pid=\$DEVICE_PID_$1"
    kill -USR1 "$vm_pid" 2>/dev/null
    sleep 0.2
    [ "$(vm_stat "$1" blocks_verified)" = "$2" ]
}

# vm_start_zelvane IMAGE: zelvane with IMAGE beside it, and no other image.
vm_start_zelvane() {
    rm -f "$ZELVANE_DIR"/Tarvik_*_DB.bin
    cp "$1" "$ZELVANE_DIR/$(basename "$1")"
    : > "$ZELVANE_LOG"
    QT_QPA_PLATFORM=offscreen "$ZELVANE" > "$ZELVANE_LOG" 2>&1 &
    ZELVANE_PID=$!
}

vm_stop_zelvane() {
    kill -TERM "$ZELVANE_PID" 2>/dev/null
    wait "$ZELVANE_PID" 2>/dev/null
}

# vm_said TEXT [FROM_LINE]: from line FROM_LINE on, zelvane's bar showed TEXT.
vm_said() { tail -n "+${2:-1}" "$ZELVANE_LOG" | grep -qxF "text: $1"; }

# vm_said_in_order FIRST THEN: the bar showed FIRST and, later, THEN.
vm_said_in_order() {
    awk -v first="text: $1" -v then="text: $2" '
        !seen && $0 == first { seen = 1; next }
        seen && $0 == then { found = 1 }
        END { exit !found }' "$ZELVANE_LOG"
}

# vm_failure_texts [ALLOWED]: the failure texts the bar showed, ALLOWED left out, one a line.
vm_failure_texts() {
    sed -n 's/^text: //p' "$ZELVANE_LOG" | grep -xF -f /etc/vm-failure-texts | grep -vxF "${1:-}" |
        sort -u
}

# vm_judge_texts NAME DONE [ALLOWED]: fails NAME unless the bar showed DONE (waiting up to 10 s)
# and no failure text but ALLOWED.
vm_judge_texts() {
    if ! vm_wait_until 10 vm_said "$2"; then
        vm_fail "$1" "zelvane never showed \"$2\""
        return 1
    fi
    vm_unexpected=$(vm_failure_texts "${3:-}" | tr '\n' ' ')
    if [ -n "$vm_unexpected" ]; then
        vm_fail "$1" "zelvane showed $vm_unexpected"
        return 1
    fi
}

# Blocks the image takes on the device: the last one padded, or one of 0xFF after a whole one.
vm_image_blocks() { echo $(( $(wc -c < "$1") / BLOCK_BYTES + 1 )); }

# vm_check_device I EXPECTED BLOCKS NAME: memory of device I equals EXPECTED, BLOCKS blocks
# were stored and read back intact.
vm_check_device() {
    if ! cmp -s "/tmp/mem$1.bin" "$2"; then
        vm_fail "$4" "device $1 memory differs from the image: $(cmp "/tmp/mem$1.bin" "$2" 2>&1)"
        return 1
    fi
    vm_written=$(vm_stat "$1" blocks_written)
    vm_verified=$(vm_stat "$1" blocks_verified)
    if [ "$vm_written" != "$3" ] || [ "$vm_verified" != "$3" ]; then
        vm_fail "$4" "device $1 stored $vm_written and verified $vm_verified blocks, not $3"
        return 1
    fi
}

# zelvane's lines but its positions, which tell little once a scenario has failed.
vm_dump_logs() {
    grep -v '^pos: ' "$ZELVANE_LOG" | tail -n 25 | sed "s|^|vm: zelvane: |"
    for f in /tmp/device*.log; do
        [ -f "$f" ] && tail -n 25 "$f" | sed "s|^|vm: $(basename "$f"): |"
    done
    dmesg | grep -v 'scsi_debug: tag' | tail -n 30 | sed 's|^|vm: dmesg: |'
}

# The number N of the /dev/sgN behind USB: the gadget's, as the ordinary disk is no USB one.
vm_find_device_sg() {
    for node in /sys/class/scsi_generic/sg*; do
        case $(readlink -f "$node/device") in
            */usb*) basename "$node" | sed 's/^sg//'; return 0 ;;
        esac
    done
    return 1
}

vm_sg_node_present() { vm_find_device_sg > /dev/null; }

# The round trip of one block through the real stack, and the bare SG_IO floor.
scenario_measure_round_trip() {
    vm_start_device 0 1
    if ! vm_wait_until 20 vm_sg_node_present; then
        vm_fail measure_round_trip "the device got no sg node"
        vm_stop_device 0
        return
    fi
    "$PROBE" --bench "$(vm_find_device_sg)" 100 3 > /tmp/bench.log 2>&1
    vm_status=$?
    sed -n 's/^METRIC /VMTEST METRIC /p' /tmp/bench.log
    vm_stop_device 0
    if [ $vm_status -eq 0 ]; then
        vm_pass measure_round_trip
    else
        vm_fail measure_round_trip "$(cat /tmp/bench.log)"
    fi
}

# A command the firmware rejects reaches the program with its sense data, which travels through
# usb-storage's REQUEST SENSE after the failed CSW.
scenario_rejected_command_sense() {
    vm_start_device 0 1
    if ! vm_wait_until 20 vm_sg_node_present; then
        vm_fail rejected_command_sense "the device got no sg node"
    elif "$PROBE" --sense "$(vm_find_device_sg)" > /tmp/sense.log 2>&1; then
        vm_pass rejected_command_sense
    else
        vm_fail rejected_command_sense "$(cat /tmp/sense.log)"
    fi
    vm_stop_device 0
}

# zelvane starts in the guest (its libraries, the offscreen platform plugin and the fonts came
# along), shows that it waits for a device, and keeps running.
scenario_program_runs() {
    vm_start_zelvane "$IMAGE_PLAIN_PUT"
    if ! vm_wait_until 10 vm_said "$TEXT_WAIT_CONNECT"; then
        vm_fail program_runs "zelvane never showed \"$TEXT_WAIT_CONNECT\""
    elif sleep 1 && ! kill -0 "$ZELVANE_PID" 2>/dev/null; then
        wait "$ZELVANE_PID"
        vm_fail program_runs "it ended with status $?"
    else
        vm_pass program_runs
    fi
    vm_stop_zelvane
}

# A device in update mode is plugged, found, written where the database goes, verified; its
# memory equals the image with its padding. Then its unplug is noticed soon.
scenario_plug_write_verify() {
    vm_blocks=$(vm_image_blocks "$IMAGE_PLAIN")
    vm_start_zelvane "$IMAGE_PLAIN_PUT"
    vm_start_device 0 "$vm_blocks"
    if ! vm_wait_until 120 vm_device_verified 0 "$vm_blocks"; then
        vm_fail plug_write_verify "device verified $(vm_stat 0 blocks_verified) of $vm_blocks blocks in time"
    elif vm_judge_texts plug_write_verify "$TEXT_SUCCESS"; then
        vm_metric plug_to_first_write_ms "$(vm_stat 0 plug_to_first_write_ms)"
        scenario_presence_notices_unplug
        vm_stop_device 0
        vm_check_device 0 "$IMAGE_PLAIN_EXPECTED" "$vm_blocks" plug_write_verify &&
            vm_pass plug_write_verify
    fi
    vm_stop_device 0
    vm_stop_zelvane
}

scenario_presence_notices_unplug() {
    vm_from=$(($(wc -l < "$ZELVANE_LOG") + 1))
    vm_t0=$(vm_now)
    echo "" > "$CONFIGFS/g0/UDC"
    if vm_wait_until 5 vm_said "$TEXT_WAIT_CONNECT" "$vm_from"; then
        vm_ms=$(awk -v a="$vm_t0" -v b="$(vm_now)" 'BEGIN { printf "%d", (b - a) * 1000 }')
        vm_metric unplug_noticed_ms "$vm_ms"
        if [ "$vm_ms" -le "$GONE_LIMIT_MS" ]; then
            vm_pass presence_notices_unplug
        else
            vm_fail presence_notices_unplug "noticed after $vm_ms ms, over $GONE_LIMIT_MS ms"
        fi
    else
        vm_fail presence_notices_unplug "zelvane never showed \"$TEXT_WAIT_CONNECT\" after the unplug"
    fi
}

# The device is pulled in the middle of the transfer and plugged back: the transfer stops with
# a connection error, the device is found again and ends with the whole image.
scenario_pull_and_replug() {
    vm_blocks=$(vm_image_blocks "$IMAGE_PULL")
    vm_start_zelvane "$IMAGE_PULL_PUT"
    vm_start_device 0 "$vm_blocks" --pull-after "$vm_blocks" --replug-after-ms 1500
    if ! vm_wait_until 150 vm_device_verified 0 "$vm_blocks"; then
        vm_fail pull_and_replug "device verified $(vm_stat 0 blocks_verified) of $vm_blocks blocks in time"
    elif [ "$(vm_stat 0 pulls)" != 1 ] || [ "$(vm_stat 0 plugs)" != 2 ]; then
        vm_fail pull_and_replug "pulls=$(vm_stat 0 pulls) plugs=$(vm_stat 0 plugs), not 1 and 2"
    elif vm_judge_texts pull_and_replug "$TEXT_SUCCESS" "$TEXT_CONNECTION_ERROR"; then
        if ! vm_said_in_order "$TEXT_CONNECTION_ERROR" "$TEXT_SUCCESS"; then
            vm_fail pull_and_replug "zelvane did not show \"$TEXT_CONNECTION_ERROR\", then \"$TEXT_SUCCESS\""
        else
            vm_stop_device 0
            vm_check_device 0 "$IMAGE_PULL_EXPECTED" "$vm_blocks" pull_and_replug &&
                vm_pass pull_and_replug
        fi
    fi
    vm_stop_device 0
    vm_stop_zelvane
}

# A read-back the device alters is written again; one whose call fails (a phase error, to which
# usb-storage answers with a USB port reset: the function is enabled once more) stops the
# transfer with a connection error; the device still ends with the image.
scenario_faulty_read_backs() {
    vm_blocks=$(vm_image_blocks "$IMAGE_FAULT")
    vm_start_zelvane "$IMAGE_FAULT_PUT"
    vm_start_device 0 "$vm_blocks" --corrupt-read-backs $((DB_FIRST_BLOCK + 10)):2 \
        --fail-read-backs $((DB_FIRST_BLOCK + 30)):1
    if ! vm_wait_until 60 vm_device_verified 0 "$vm_blocks"; then
        vm_fail faulty_read_backs "device verified $(vm_stat 0 blocks_verified) of $vm_blocks blocks in time"
    elif [ "$(vm_stat 0 failed_calls)" != 1 ] || [ "$(vm_stat 0 enables)" -lt 2 ]; then
        vm_fail faulty_read_backs "failed_calls=$(vm_stat 0 failed_calls) enables=$(vm_stat 0 enables)"
    elif vm_judge_texts faulty_read_backs "$TEXT_SUCCESS" "$TEXT_CONNECTION_ERROR"; then
        if ! vm_said_in_order "$TEXT_CONNECTION_ERROR" "$TEXT_SUCCESS"; then
            vm_fail faulty_read_backs "zelvane did not show \"$TEXT_CONNECTION_ERROR\", then \"$TEXT_SUCCESS\""
        else
            vm_stop_device 0
            vm_check_device 0 "$IMAGE_FAULT_EXPECTED" "$vm_blocks" faulty_read_backs &&
                vm_pass faulty_read_backs
        fi
    fi
    vm_stop_device 0
    vm_stop_zelvane
}

# Flash that refuses three blocks inside an image of zeros: the device answers their writes and
# read-backs with CHECK CONDITION, and the stack still hands back a full buffer (the gadget pads
# the data phase; sg copies back its reserve buffer). The bar must end in "Verify Error!!",
# never "Success!!".
scenario_refused_blocks() {
    vm_blocks=$(vm_image_blocks "$IMAGE_ZEROS")
    vm_start_zelvane "$IMAGE_ZEROS_PUT"
    vm_start_device 0 "$vm_blocks" --refuse-blocks $((DB_FIRST_BLOCK + 5)):3
    if ! vm_wait_until 60 vm_said "$TEXT_VERIFY_ERROR"; then
        vm_fail refused_blocks "zelvane never showed \"$TEXT_VERIFY_ERROR\""
    elif vm_said "$TEXT_SUCCESS"; then
        vm_fail refused_blocks "zelvane showed \"$TEXT_SUCCESS\" for a device that stored nothing in blocks 5 to 7"
    else
        vm_pass refused_blocks
    fi
    vm_stop_device 0
    vm_stop_zelvane
}

vm_both_verified() { vm_device_verified 0 "$1" && vm_device_verified 1 "$1"; }

# Two devices on two controllers at once both end with the whole image. The bar zelvane reports
# is the first device's; the second one is judged by its memory.
scenario_two_devices() {
    vm_blocks=$(vm_image_blocks "$IMAGE_TWO")
    vm_start_zelvane "$IMAGE_TWO_PUT"
    vm_start_device 0 "$vm_blocks"
    vm_start_device 1 "$vm_blocks"
    if ! vm_wait_until 150 vm_both_verified "$vm_blocks"; then
        vm_fail two_devices "verified $(vm_stat 0 blocks_verified) and $(vm_stat 1 blocks_verified) of $vm_blocks blocks in time"
    elif vm_judge_texts two_devices "$TEXT_SUCCESS"; then
        vm_stop_device 0
        vm_stop_device 1
        vm_check_device 0 "$IMAGE_TWO_EXPECTED" "$vm_blocks" two_devices &&
            vm_check_device 1 "$IMAGE_TWO_EXPECTED" "$vm_blocks" two_devices &&
            vm_pass two_devices
    fi
    vm_stop_device 0
    vm_stop_device 1
    vm_stop_zelvane
}

# The ordinary disk (scsi_debug) is there from the start; once the kernel's own probe of it is
# over, scsi_debug logs every command it gets.
vm_watch_ordinary_disk() {
    vm_wait_until 20 test -e /sys/block/sda/size && sleep 1
    echo 1 > "$SCSI_DEBUG_OPTS"
}

# The ordinary disk got INQUIRY and nothing else from zelvane (the probe never addresses it).
scenario_ordinary_disk_inquiry_only() {
    echo 0 > "$SCSI_DEBUG_OPTS"
    dmesg | grep 'scsi_debug' | grep -o 'cmd [0-9a-f][0-9a-f]' > /tmp/ordinary.cmds
    vm_inquiries=$(grep -c '^cmd 12' /tmp/ordinary.cmds)
    vm_others=$(grep -vc '^cmd 12' /tmp/ordinary.cmds)
    vm_metric ordinary_disk_inquiries "$vm_inquiries"
    if [ "$vm_inquiries" -ge 1 ] && [ "$vm_others" -eq 0 ]; then
        vm_pass ordinary_disk_inquiry_only
    else
        vm_fail ordinary_disk_inquiry_only "INQUIRY $vm_inquiries times, other commands: $(grep -v '^cmd 12' /tmp/ordinary.cmds | sort | uniq -c | tr '\n' ' ')"
    fi
}

# --- Least privilege: the rule applied by udev, the program run without root -------------------

# systemd-udevd from Debian's package, as a system starts it, with Debian's rules and the
# program's; the nodes there before it (the ordinary disk's) get their event replayed, as at boot.
vm_start_udev() {
    mkdir -p /run && mount -t tmpfs tmpfs /run
    /lib/systemd/systemd-udevd --daemon > /tmp/udevd.log 2>&1 || return 1
    udevadm trigger --action=add --subsystem-match=scsi_generic &&
        udevadm settle --timeout=60
}

# The sg node that is not behind USB: the ordinary disk's.
vm_find_disk_sg() {
    for node in /sys/class/scsi_generic/sg*; do
        case $(readlink -f "$node/device") in
            */usb*) ;;
            *) basename "$node" | sed 's/^sg//'; return 0 ;;
        esac
    done
    return 1
}

# vm_show_nodes WHEN: mode, owner and group of every sg node, with the INQUIRY names of the
# device behind it.
vm_show_nodes() {
    for node in /dev/sg*; do
        vm_sys=/sys/class/scsi_generic/$(basename "$node")/device
        echo "VMTEST NODE $1: $(ls -l "$node" | awk '{ print $1, $3, $4 }') $node" \
            "\"$(cat "$vm_sys/vendor")\" \"$(cat "$vm_sys/model")\""
    done
}

# vm_node_is NODE MODE GROUP: the node has exactly that mode string and group.
vm_node_is() { [ "$(ls -l "$1" | awk '{ print $1, $4 }')" = "$2 $3" ]; }

# vm_as USER COMMAND: runs COMMAND with that user's identity and groups only.
vm_as() { su -s /bin/sh "$1" -c "$2"; }

# vm_opens USER NODE: the user can open the node for reading and writing, as zelvane does.
vm_opens() { vm_as "$1" "exec 3<> $2" 2>/dev/null; }

# vm_start_zelvane_as USER IMAGE: zelvane under that user's identity.
vm_start_zelvane_as() {
    rm -f "$ZELVANE_DIR"/Tarvik_*_DB.bin
    cp "$2" "$ZELVANE_DIR/$(basename "$2")"
    chmod 0644 "$ZELVANE_DIR/$(basename "$2")"
    : > "$ZELVANE_LOG"
    # su and the shell exec in turn, so that $! is zelvane itself, to stop and to look at.
    su -s /bin/sh "$1" -c "HOME=/tmp QT_QPA_PLATFORM=offscreen exec $ZELVANE" > "$ZELVANE_LOG" 2>&1 &
    ZELVANE_PID=$!
}

# vm_show_identity WHO: the running zelvane's user, group and supplementary groups.
vm_show_identity() {
    echo "vm: $1's process: $(cat "/proc/$ZELVANE_PID/comm") $(grep -E '^(Uid|Gid|Groups)' \
        "/proc/$ZELVANE_PID/status" | tr -s '\t\n' '  ')"
}

# The ordinary disk's commands logged by scsi_debug from now on, then counted.
vm_disk_log_start() { dmesg -c > /dev/null; echo 1 > "$SCSI_DEBUG_OPTS"; }
vm_disk_log_count() {
    echo 0 > "$SCSI_DEBUG_OPTS"
    dmesg | grep 'scsi_debug' | grep -c 'cmd [0-9a-f][0-9a-f]'
}

vm_least_privilege_nodes() {
    vm_show_nodes "udev applied the rules"
    if ! vm_node_is "$1" crw-rw---- zelvane; then
        vm_fail least_privilege "the device's node $1 is not crw-rw---- of group zelvane"
    elif vm_node_is "$2" crw-rw---- zelvane || [ "$(ls -l "$2" | cut -c8-10)" != --- ]; then
        vm_fail least_privilege "the ordinary disk's node $2 is open to zelvane or to everyone"
    elif vm_opens outsider "$1" || vm_opens outsider "$2"; then
        vm_fail least_privilege "a user outside the group zelvane opened a node"
    elif ! vm_opens updater "$1" || vm_opens updater "$2"; then
        vm_fail least_privilege "the group zelvane does not open exactly the device's node"
    else
        return 0
    fi
    return 1
}

# Outside the group: zelvane runs, waits, and sends no command to either node in six scans.
vm_least_privilege_outsider() {
    vm_inquiries=$(vm_device_inquiries)
    vm_disk_log_start
    vm_start_zelvane_as outsider "$IMAGE_PLAIN_PUT"
    vm_wait_until 10 vm_said "$TEXT_WAIT_CONNECT"
    sleep 3
    vm_disk_cmds=$(vm_disk_log_count)
    vm_show_identity outsider
    vm_stop_zelvane
    echo "vm: outsider: the device got $(( $(vm_device_inquiries) - vm_inquiries )) INQUIRY," \
        "the ordinary disk $vm_disk_cmds commands"
    if ! vm_said "$TEXT_WAIT_CONNECT" || vm_said "$TEXT_SUCCESS"; then
        vm_fail least_privilege "zelvane as outsider did not just wait"
    elif [ "$(vm_device_inquiries)" != "$vm_inquiries" ] || [ "$(vm_stat 0 block_writes)" != 0 ] ||
        [ "$vm_disk_cmds" != 0 ]; then
        vm_fail least_privilege "zelvane as outsider reached a device"
    else
        return 0
    fi
    return 1
}

vm_device_inquiries() {
    kill -USR1 "$DEVICE_PID_0" 2>/dev/null
    sleep 0.2
    vm_stat 0 inquiries
}

# In the group: zelvane updates the device in update mode; the ordinary disk gets nothing.
vm_least_privilege_member() {
    vm_disk_log_start
    vm_start_zelvane_as updater "$IMAGE_PLAIN_PUT"
    if ! vm_wait_until 120 vm_device_verified 0 "$1"; then
        vm_fail least_privilege "as updater: device verified $(vm_stat 0 blocks_verified) of $1 blocks in time"
    elif vm_judge_texts least_privilege "$TEXT_SUCCESS"; then
        vm_disk_cmds=$(vm_disk_log_count)
        echo "vm: updater: $(vm_stat 0 blocks_verified) blocks verified, the ordinary disk got $vm_disk_cmds commands"
        vm_show_identity updater
        vm_stop_zelvane
        vm_stop_device 0
        if [ "$vm_disk_cmds" != 0 ]; then
            vm_fail least_privilege "the ordinary disk got $vm_disk_cmds commands"
        else
            vm_check_device 0 "$IMAGE_PLAIN_EXPECTED" "$1" least_privilege && return 0
        fi
    fi
    return 1
}

scenario_least_privilege() {
    vm_show_nodes "as the kernel made them"
    if ! vm_start_udev; then
        vm_fail least_privilege "systemd-udevd did not start: $(cat /tmp/udevd.log)"
        return
    fi
    vm_blocks=$(vm_image_blocks "$IMAGE_PLAIN")
    vm_start_device 0 "$vm_blocks"
    if ! vm_wait_until 20 vm_sg_node_present || ! udevadm settle --timeout=60; then
        vm_fail least_privilege "the device got no sg node"
    elif vm_least_privilege_nodes "/dev/sg$(vm_find_device_sg)" "/dev/sg$(vm_find_disk_sg)" &&
        vm_least_privilege_outsider && vm_least_privilege_member "$vm_blocks"; then
        vm_pass least_privilege
    fi
    vm_stop_zelvane
    vm_stop_device 0
}

# The Windows programs' scenarios, in the guest only when the host asked for them; the x86 run
# replaces the parts of the Windows program's that say where Wine is.
if [ -f /windows_exe.sh ]; then . /windows_exe.sh; fi
if [ -f /windows_x86.sh ]; then . /windows_x86.sh; fi

vm_make_gadget 0 && vm_make_gadget 1 || echo "VMTEST FAIL setup: no configfs gadgets"
vm_watch_ordinary_disk
for scenario in $SCENARIOS; do
    echo "vm: scenario $scenario at $(vm_now)"
    "scenario_$scenario"
done
