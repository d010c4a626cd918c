#!/bin/bash
# The fake drives under Wine, driven by a real Windows program: wine-probe.exe sends INQUIRY and
# the vendor block commands through DeviceIoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT), Wine turns
# each into SG_IO, and the shim hands it to the device model in zelvane-wine-device. One probe
# process serves every scenario, since Wine's limits (five drive nodes per process) are per
# process. Prints PASS or FAIL per check; exit 0 all passed, 1 a check failed, 77 skipped.
#
#   wine_probe_test.sh STATE SERVER SHIM PROBE
# PROBE is empty when the build found no mingw-w64 cross compiler.

state=$1 server=$2 shim=$3 probe=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../sim/wine/wine_fake_device.sh"

if [ -z "$probe" ] || [ ! -f "$probe" ]; then
    echo "SKIPPED: no wine-probe.exe: the build found no x86_64-w64-mingw32-g++-posix (g++-mingw-w64-x86-64-posix)"
    exit 77
fi
wfd_setup "$state" "$server" "$shim" || { echo "SKIPPED: $WFD_SKIP_REASON"; exit 77; }
trap wfd_stop EXIT
started=$SECONDS
wfd_start || exit 1
echo "prefix and servers ready in $((SECONDS - started)) s"

failures=0
check() {  # name, what came, what was expected (a prefix of it)
    if [[ "$2" == "$3"* ]]; then
        echo "PASS $1"
    else
        echo "FAIL $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}

coproc PROBE { wfd_wine "$probe" 2>"$WFD_STATE/probe.err"; }
ask() {  # one command to the probe, its answer on standard output
    local answer
    echo "$1" >&"${PROBE[1]}"
    IFS= read -r -t 120 answer <&"${PROBE[0]}" || answer="(no answer)"
    echo "${answer%$'\r'}"
}
ctl() { wfd_ctl "$@" >/dev/null || echo "FAIL control: $*"; }

# Recognition and one block written and read back.
ctl plug 1 update
check "recognised as a target" "$(ask 'target 1')" yes
check "open" "$(ask 'open 1')" ok
check "INQUIRY identification" "$(ask 'inquiry 1')" "ok Firmware Update"
check "block written" "$(ask 'write 1 1600 7')" ok
check "block read back equal" "$(ask 'read 1 1600 7')" ok
check "another pattern differs" "$(ask 'read 1 1600 8')" differs
check "device stored one block" "$(wfd_stat 1 blocks-written)" 1
check "device saw it verified" "$(wfd_stat 1 blocks-verified)" 1
ctl corrupt-read-backs 1 1600 1
check "corrupted read-back differs" "$(ask 'read 1 1600 7')" differs
ctl fail-read-backs 1 any 1
check "failing read-back fails the call" "$(ask 'read 1 1600 7')" failed
check "then reads well again" "$(ask 'read 1 1600 7')" ok
ask 'close 1' >/dev/null

# An ordinary disk: answers INQUIRY, rejects the vendor commands (the call itself succeeds).
ctl plug 2 disk
check "disk is no target" "$(ask 'target 2')" no
check "disk open" "$(ask 'open 2')" ok
check "disk INQUIRY" "$(ask 'inquiry 2')" "ok ATA     Samsung"
ask 'write 2 1600 1' >/dev/null
check "disk gives no block back" "$(ask 'read 2 1600 1')" differs
check "disk accepted no block command" "$(wfd_stat 2 writes) $(wfd_stat 2 reads)" "0 0"
check "disk got the four requests sent" "$(wfd_stat 2 requests)" 4
ask 'close 2' >/dev/null

# A pull: the open handle's commands fail, a new open fails; after a replug an old handle stays
# dead and a new one works.
ctl plug 3 update
ask 'open 3' >/dev/null
check "before the pull" "$(ask 'inquiry 3')" "ok Firmware"
ctl unplug 3
check "command after the pull" "$(ask 'inquiry 3')" failed
check "no target while pulled" "$(ask 'target 3')" no
check "open while pulled" "$(ask 'open 3')" failed
ctl replug 3
check "open after replug" "$(ask 'open 3')" ok
ctl unplug 3
ctl replug 3
check "handle from before the pull stays dead" "$(ask 'inquiry 3')" failed
check "new handle after replug" "$(ask 'open 3')" ok
check "memory kept across replug" "$(ask 'inquiry 3')" "ok Firmware"
ctl pull-after 3 2
ask 'write 3 1601 3' >/dev/null
check "last command before a self-pull completes" "$(ask 'read 3 1601 3')" ok
check "command after a self-pull" "$(ask 'write 3 1602 3')" failed
check "open after a self-pull" "$(ask 'open 3')" failed
ask 'close 3' >/dev/null

# More than five plug cycles of one drive in this one process: Wine would refuse a sixth node.
cycles_ok=0
for cycle in 1 2 3 4 5 6 7 8; do
    ctl plug 4 update
    a=$(ask 'open 4'); b=$(ask "write 4 1600 $cycle"); c=$(ask "read 4 1600 $cycle")
    ctl unplug 4
    d=$(ask 'inquiry 4'); e=$(ask 'open 4')
    [ "$a $b $c $d $e" = "ok ok ok failed failed" ] && cycles_ok=$((cycles_ok + 1)) ||
        echo "cycle $cycle: $a $b $c $d $e"
done
check "eight plug cycles of drive 4" "$cycles_ok" 8

# Four drives at once, one thread each, as four workers would.
for drive in 1 2 3 4; do ctl plug "$drive" update; done
check "four drives together" "$(ask 'together 64 1 2 3 4')" ok
for drive in 1 2 3 4; do
    check "drive $drive verified 64 blocks" "$(wfd_stat "$drive" blocks-verified)" 64
done

echo quit >&"${PROBE[1]}"
wait "$PROBE_PID" 2>/dev/null
echo "$failures failed, $((SECONDS - started)) s"
[ "$failures" -eq 0 ]
