#!/usr/bin/env bash
# The real Zelvane.exe under Wine on a virtual X server, looked at from outside (screenshots,
# pixels) and from inside (gui_probe.exe, a Windows program in the same Wine desktop):
#   run-gui-test.sh ZELVANE_EXE GUI_PROBE_EXE WORK_DIR [SCREENSHOT_DIR]
# Starts Zelvane.exe beside a database image in Wine's virtual desktop, checks the main window's
# title, its client size against 320 x 91 dialog units, the single bordered bar with
# "Wait Connect.." in the bar's colours, then opens the about box through the about entry of the
# system menu and closes both. Screenshots go to WORK_DIR and, when given, SCREENSHOT_DIR
# (windows-main.png, windows-about.png). Exits 77 with "SKIPPED: reason" where Xvfb, Wine or
# ImageMagick are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_scripts=$(cd "$here/../../cmake/wine" && pwd)
. "$wine_scripts/wine-common.sh"

[ $# -ge 3 ] || { echo "usage: run-gui-test.sh ZELVANE_EXE GUI_PROBE_EXE WORK_DIR [SCREENSHOT_DIR]" >&2; exit 2; }
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
exe=$(abs "$1") probe=$(abs "$2") shots=${4:-}
mkdir -p "$3" && work=$(cd "$3" && pwd)

skip() { echo "SKIPPED: $1"; exit 77; }
find_wine || skip "$WINE_MISSING"
for tool in Xvfb:xvfb import:imagemagick convert:imagemagick; do
    command -v "${tool%%:*}" > /dev/null || skip "${tool%%:*} is not installed (Debian package ${tool#*:})"
done

# shellcheck source=../support/check.sh
. "$here/../support/check.sh"

rm -rf "$work" && mkdir -p "$work/app"
cp "$exe" "$work/app/Zelvane.exe"
head -c 8192 /dev/urandom > "$work/app/Tarvik_000001_DB.bin"
# A prefix of its own beside the run folder, kept between runs: a fresh one costs seconds.
export ZELVANE_WINEPREFIX=$(dirname "$work")/gui-wine-prefix
use_build_prefix "$exe" || exit 2

# A display of our own.
start_own_display "$work/xvfb.log" || skip "Xvfb did not start (see $work/xvfb.log)"
cleanup() {
    "$WINESERVER" -k > /dev/null 2>&1
    kill "$XVFB_PID" 2> /dev/null
}
trap cleanup EXIT

probe() { "$WINE64" "$probe" "$@" 2>> "$work/probe.log" | tr -d '\r'; }
value() { sed -n "s/^$1=//p" <<< "$2" | head -1; }
# The colour of the screenshot's pixel at x,y as rrggbb.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2> /dev/null | cut -c1-6 | tr 'A-F' 'a-f'; }
# How many pixels of the area w x h at x,y have the colour rrggbb.
count_colour() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -fill black +opaque "#$6" -fill white -opaque "#$6" \
        -format "%[fx:round(mean*w*h)]" info:
}

# Every program of this prefix in one virtual desktop "zelvane", so that the probe sees the
# program's windows (a desktop's windows are visible only to programs in it).
"$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d zelvane /f > /dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v zelvane /d 800x600 /f > /dev/null 2>&1

# The desktop, and in it the program, as a double click on Zelvane.exe would start it.
(cd "$work/app" && "$WINE64" explorer /desktop=zelvane,800x600 Zelvane.exe > "$work/wine.log" 2>&1) &
wine_pid=$!

main=$(probe main)
echo "$main" | sed 's/^/probe: /'
check "main window titled 'Tarvik DB Updater V1.3'" "$(value main "$main")" found
[ "$(value main "$main")" = found ] || { echo "FAILED: no main window"; exit 1; }
check "client size of 320 x 91 dialog units" "$(value main_client "$main")" "$(value main_expected_client "$main")"
check "bar 1001: a visible progress bar" "$(value control_1001 "$main" | cut -d' ' -f1,2)" "msctls_progress32 visible=1"
check "a single visible control" "$(value visible_controls "$main")" 1
# The template gives the bar WS_BORDER. The dialog manager turns it into a client edge, and
# Wine's progress bar (unlike the system's, which keeps an edge) removes that edge when it is
# made, so under Wine the bar has no frame; on the screen it stands out by its white.
frame=$(value control_1001 "$main" | sed 's/.*frame=//')
if [ "$frame" = none ]; then
    echo "note: the bar has no frame under Wine (Wine's progress bar drops the edge)"
else
    echo "ok: the bar has a frame ($frame)"
fi
for id in 1 2 1000; do
    check "button $id hidden" "$(value control_$id "$main" | sed 's/.*visible=\([01]\).*/\1/')" 0
done
for id in 1002 1003; do
    check "bar $id hidden" "$(value control_$id "$main" | sed 's/.*visible=\([01]\).*/\1/')" 0
done
check "bar text" "$(value bar_text "$main")" "Wait Connect.."

# Let the bar paint, then look at it on the screen. The virtual desktop is the X root's only
# window, at its top-left corner, so desktop coordinates are screen coordinates.
sleep 1
import -window root "$work/windows-desktop.png"
IFS=x read -r bar_w bar_h <<< "$(value bar_client "$main")"
IFS=, read -r bar_x bar_y <<< "$(value bar_origin "$main")"
IFS=, read -r main_x main_y <<< "$(value main_origin "$main")"
IFS=x read -r main_w main_h <<< "$(value main_client "$main")"
shot=$work/windows-desktop.png
check "bar's rest white at its left end (position 0)" "$(pixel "$shot" "$bar_x" "$bar_y")" ffffff
check "bar's rest white at its right end" "$(pixel "$shot" $((bar_x + bar_w - 1)) $((bar_y + bar_h - 1)))" ffffff
check "the dialog's face left of the bar is not white" "$([ "$(pixel "$shot" $((bar_x - 1)) $((bar_y + 3)))" != ffffff ] && echo yes)" yes
green=$(count_colour "$shot" "$bar_x" "$bar_y" "$bar_w" "$bar_h" 008000)
check "'Wait Connect..' drawn in green 0x008000 on the white rest" "$([ "${green:-0}" -gt 20 ] && echo yes)" yes
echo "green label pixels: $green"
# The dialog with a margin of its frame, for the documentation.
convert "$shot" -crop "$((main_w + 16))x$((main_h + 40))+$((main_x - 8))+$((main_y - 32))" +repage \
    "$work/windows-main.png" 2> /dev/null || cp "$shot" "$work/windows-main.png"

# The about box, through the about entry of the system menu: a click on the caption makes the
# dialog active, Alt+Space opens its system menu, Up goes round to its last entry, the program's
# "&About Zelvane..." (Wine adds an "About Wine" entry of its own above it), Return chooses it. Without
# xdotool the probe sends the command that entry sends.
if command -v xdotool > /dev/null; then
    xdotool mousemove $((main_x + 60)) $((main_y - 10)) click 1
    sleep 0.5
    xdotool key alt+space
    sleep 1
    import -window root "$work/windows-sysmenu-desktop.png"
    convert "$work/windows-sysmenu-desktop.png" -crop 600x320+0+0 +repage "$work/windows-sysmenu.png"
    xdotool key Up
    sleep 0.3
    xdotool key Return
else
    echo "note: xdotool is not installed; the about entry's command is sent instead"
    probe sysmenu-about > /dev/null
fi
about=$(probe about)
echo "$about" | sed 's/^/probe: /'
check "about box from the system menu" "$(value about "$about")" found
check "about box client size of 235 x 55 dialog units" "$(value about_client "$about")" "$(value about_expected_client "$about")"
sleep 1
import -window root "$work/windows-about-desktop.png"
convert "$work/windows-about-desktop.png" -crop 520x300+0+0 +repage "$work/windows-about.png" 2> /dev/null
# The bar keeps its text behind the modal about box.
check "bar text behind the about box" "$(value bar_text "$(probe main)")" "Wait Connect.."
check "about box closes" "$(probe close about; echo $?)" 0
check "main window closes and the program ends" "$(probe close main; echo $?)" 0

if [ -n "$shots" ]; then
    mkdir -p "$shots"
    cp "$work/windows-main.png" "$work/windows-about.png" "$shots/"
    [ -f "$work/windows-sysmenu.png" ] && cp "$work/windows-sysmenu.png" "$shots/"
fi
[ "$failures" -eq 0 ] && echo "windows gui: all checks passed" || echo "windows gui: $failures checks failed"
[ "$failures" -eq 0 ]
