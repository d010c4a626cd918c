#!/bin/bash
# The real Zelvane.exe under Wine against the fake drives: it must recognise a device in update
# mode, write the whole image beside it and verify it, start again after a pull in the middle of
# a transfer, send an ordinary disk INQUIRY only, and serve four devices at once. It is judged by
# the devices' memory and counters, and once by the screen: the bar in the middle of a transfer
# (the rest of what the window shows is the GUI test's business). One program
# run serves every scenario; Wine's per-process limit of five drive nodes (drive 0, Wine's own
# C: disk, takes one) is why only drives 1 to 4 are used.
#
#   zelvane_e2e_test.sh STATE SERVER SHIM ZELVANE_EXE
# Prints PASS or FAIL per check; exit 0 all passed, 1 a check failed, 77 skipped.

state=$1 server=$2 shim=$3 exe=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../sim/wine/wine_fake_device.sh"

if [ -z "$exe" ] || [ ! -f "$exe" ]; then
    echo "SKIPPED: no Zelvane.exe: configure with -DZELVANE_WINDOWS_EXE=<the windows-x64 build's Zelvane.exe>"
    exit 77
fi
# Without the tools that look at the bar, the rest still runs; the run is then a skip that says
# so, never a pass.
bar_unseen=
for tool in import:imagemagick convert:imagemagick python3:python3; do
    command -v "${tool%%:*}" >/dev/null ||
        bar_unseen="${tool%%:*} is not installed (Debian package ${tool#*:}), needed to look at the bar"
done
wfd_setup "$state" "$server" "$shim" || { echo "SKIPPED: $WFD_SKIP_REASON"; exit 77; }
trap wfd_stop EXIT
started=$SECONDS
wfd_start || exit 1
wfd_start_display || { [ $? -eq 77 ] && echo "SKIPPED: $WFD_SKIP_REASON" && exit 77; exit 1; }

failures=0
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

# The program beside an image whose size is no multiple of the block: the device must hold the
# image and then 0xFF up to the end of its last block (one whole block of 0xFF after an image of
# whole blocks).
folder=$WFD_STATE/program
rm -rf "$folder" && mkdir -p "$folder"
cp "$exe" "$folder/Zelvane.exe"
head -c $((300 * 1024 + 123)) /dev/urandom >"$folder/Tarvik_000001_DB.bin"
size=$(wc -c <"$folder/Tarvik_000001_DB.bin")
blocks=$((size / 1024 + 1))
expected=$WFD_STATE/expected.bin
{ cat "$folder/Tarvik_000001_DB.bin"; head -c $((blocks * 1024 - size)) /dev/zero | tr '\0' '\377'; } >"$expected"

# Conditions for wfd_wait_for: the counter is read anew at every try.
stat_is() { [ "$(wfd_stat "$1" "$2")" = "$3" ]; }
stat_at_least() { [ "$(wfd_stat "$1" "$2")" -ge "$3" ]; }
verified() { stat_is "$1" blocks-verified "$blocks"; }
check_memory() {  # drive, check name
    wfd_ctl dump "$1" "$WFD_PLAIN_DIR/memory$1.bin" $((blocks * 1024)) >/dev/null
    if cmp -s "$WFD_PLAIN_DIR/memory$1.bin" "$expected"; then
        pass "$2"
    else
        fail "$2" "drive $1: $(cmp "$WFD_PLAIN_DIR/memory$1.bin" "$expected" 2>&1)"
    fi
}

wfd_ctl plug 1 update >/dev/null
wfd_ctl plug 2 disk >/dev/null
# Slowed down until the bar has been seen in the middle of the transfer.
wfd_ctl delay 1 20000 >/dev/null
# In a virtual desktop of its own, which draws the frame that a window manager would.
wfd_wine_bg explorer /desktop=zelvane,640x300 "Z:${folder//\//\\}\\Zelvane.exe"

# The percentage during the transfer, on the screen: the bar green up to the share of the image
# written, white after it, and the percentage drawn across. The share is read from the device
# before and after the screenshot, as the bar may lag a block behind.
written_at_least() { stat_at_least "$1" blocks-written "$2"; }
if [ -n "$bar_unseen" ]; then
    echo "not looked at: the bar during the transfer: $bar_unseen"
elif wfd_wait_for 120 written_at_least 1 $((blocks / 3)); then
    before=$(wfd_stat 1 blocks-written)
    import -window root "$WFD_STATE/transfer.png"
    after=$(wfd_stat 1 blocks-written)
    convert "$WFD_STATE/transfer.png" "$WFD_STATE/transfer.ppm"
    bar=$(python3 "$here/bar_on_screen.py" "$WFD_STATE/transfer.ppm" 008000 ffffff)
    echo "bar during the transfer, $before to $after of $blocks blocks written: $bar"
    if awk -v bar="$bar" -v lo=$(((before - 2) * 100 / blocks)) -v hi=$(((after + 1) * 100 / blocks)) '
        BEGIN { split(bar, f, /[ =]/); fraction = f[6] * 100; text = f[8]
                exit !(fraction >= lo - 2 && fraction <= hi + 2 && text > 20) }'; then
        pass "the bar shows the share written and its percentage during the transfer"
    else
        fail "the bar shows the share written and its percentage during the transfer" "$bar"
    fi
else
    fail "the bar shows the share written and its percentage during the transfer" "$(wfd_ctl stats 1)"
fi
wfd_ctl delay 1 0 >/dev/null

# Recognition and a whole image written and verified.
if wfd_wait_for 120 verified 1; then pass "image verified on drive 1"; else
    fail "image verified on drive 1" "$(wfd_ctl stats 1)"; fi
check_memory 1 "drive 1 holds the image"

# An ordinary disk gets INQUIRY only, probe after probe.
wfd_wait_for 20 stat_at_least 2 requests 3
# One look at the counters: the monitor keeps probing, so two looks may see two counts.
disk_stats=$(wfd_ctl stats 2)
disk_stat() { echo "$disk_stats" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
if [ "$(disk_stat requests)" -ge 3 ] && [ "$(disk_stat requests)" = "$(disk_stat inquiries)" ]; then
    pass "disk got INQUIRY only"
else
    fail "disk got INQUIRY only" "$disk_stats"
fi

# A pull in the middle of the transfer ("Connection Error!!", the slot freed), then the same
# device back: a new worker writes the whole image again from the start.
wfd_ctl plug 3 update >/dev/null
wfd_ctl pull-after 3 "$blocks" >/dev/null
if wfd_wait_for 60 stat_is 3 plugged 0 && ! verified 3; then
    pass "device pulled itself mid-transfer"
else
    fail "device pulled itself mid-transfer" "$(wfd_ctl stats 3)"
fi
writes_before=$(wfd_stat 3 writes)
wfd_ctl replug 3 >/dev/null
if wfd_wait_for 120 verified 3 && stat_at_least 3 writes $((writes_before + blocks)); then
    pass "image verified after the replug, written whole"
else
    fail "image verified after the replug, written whole" \
        "$(wfd_ctl stats 3), $writes_before writes before the replug"
fi
check_memory 3 "drive 3 holds the image"

# Four devices at once. The workers of drives 1 and 3 hold their slots until their devices are
# gone, which they see only by a failing open every half second: a new device plugged in place of
# the old one at once would not be noticed, as no hand is that fast. So the devices are pulled
# first, and the new ones come after a few of the monitor's scans, counted by the INQUIRYs the
# disk in drive 2 gets at every scan.
wfd_ctl unplug 1 >/dev/null
wfd_ctl unplug 3 >/dev/null
scans=$(wfd_stat 2 inquiries)
wfd_wait_for 30 stat_at_least 2 inquiries $((scans + 3)) ||
    fail "the monitor scans on after the pulls" "$(wfd_ctl stats 2)"
for drive in 1 2 3 4; do wfd_ctl plug "$drive" update >/dev/null; done
for drive in 1 2 3 4; do
    if wfd_wait_for 180 verified "$drive"; then check_memory "$drive" "drive $drive of four"; else
        fail "drive $drive of four" "$(wfd_ctl stats "$drive")"; fi
done

echo "$failures failed, $((SECONDS - started)) s"
[ "$failures" -eq 0 ] || exit 1
if [ -n "$bar_unseen" ]; then
    echo "SKIPPED: the rest passed, but $bar_unseen"
    exit 77
fi
