#!/usr/bin/env bash
# The Windows setup program under wine64, in a throw-away Wine prefix of its own:
#   installer_test.sh SETUP_EXE ZELVANE_EXE GUI_PROBE_EXE WORK_DIR PRODUCT PUBLISHER VERSION
# A silent install (/S) with a bad /IMAGE= that changes nothing; a silent install without an
# image and its uninstall, which leaves nothing; installs with /IMAGE= of two test images, the
# second replacing the first, and an upgrade without one, which keeps it; the installed program
# started through its Start-menu link on a virtual X server, its window found by gui_probe.exe;
# the uninstaller refused while it runs; the uninstall, which leaves only the image and its
# folder. Then where the program may go: not beside a DLL; outside Program Files only into a
# new or empty folder, which gets its own access list; an older setup over a newer install only
# with /DOWNGRADE; and the x64 setup in place of an x86 install (where Windows is 64-bit). The
# files in Program Files, the link and the uninstall entry in HKLM are checked after every step.
# Exits 77 with "SKIPPED: reason" where Wine or Xvfb are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../cmake/wine/wine-common.sh"

[ $# -eq 7 ] || {
    echo "usage: installer_test.sh SETUP_EXE ZELVANE_EXE GUI_PROBE_EXE WORK_DIR PRODUCT PUBLISHER VERSION" >&2
    exit 2
}
setup=$1 exe=$2 probe=$3 product=$5 publisher=$6 version=$7
rm -rf "$4" && mkdir -p "$4" && work=$(cd "$4" && pwd)

skip() { echo "SKIPPED: $1"; exit 77; }
find_wine || skip "$WINE_MISSING"
command -v Xvfb > /dev/null || skip "Xvfb is not installed (Debian package xvfb)"
[ -f "$setup" ] || { echo "FAILED: no setup program $setup"; exit 1; }

# shellcheck source=../support/check.sh
. "$here/../support/check.sh"
exists() { [ -e "$1" ] && echo yes || echo no; }

# A new prefix for every run: what the setup leaves behind must be what this run left.
export ZELVANE_WINEPREFIX=$work/wine-prefix
use_build_prefix "$setup" || exit 2
start_own_display "$work/xvfb.log" || skip "Xvfb did not start (see $work/xvfb.log)"
cleanup() {
    "$WINESERVER" -k > /dev/null 2>&1
    kill "$XVFB_PID" 2> /dev/null
}
trap cleanup EXIT

wine() { "$WINE64" "$@" 2>> "$work/wine.log" | tr -d '\r'; }
# Until every program of the prefix has ended: the uninstaller runs from a copy of itself.
wait_for_wine() { "$WINESERVER" -w; }
started=$(date +%s)
wine wineboot --init > /dev/null
wait_for_wine
echo "prefix made in $(($(date +%s) - started)) s"

drive_c=$WINEPREFIX/drive_c
dir="$drive_c/Program Files/$product"
win_dir="C:\\Program Files\\$product"
link="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$product.lnk"
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
# In a folder whose name has a space: the setup gets "/IMAGE=..." as one quoted argument.
mkdir -p "$work/image folder"
image="$work/image folder/Tarvik_000042_DB.bin"
head -c 5000 /dev/urandom > "$image"
win_image=$(wine winepath -w "$image")

run_setup() {  # run_setup ARGUMENTS...: the exit status of the setup
    local status
    "$WINE64" "$setup" /S "$@" 2>> "$work/wine.log"
    status=$?
    wait_for_wine
    echo "$status"
}
uninstall() {
    "$WINE64" "$dir/uninstall.exe" /S 2>> "$work/wine.log"
    wait_for_wine
}
# Runs the uninstaller in place (_?=, unquoted, which only a command line typed as a whole
# gives) and echoes its exit status.
uninstall_in_place() {
    printf '"%s\\uninstall.exe" /S _?=%s\r\nexit /b %%errorlevel%%\r\n' "$win_dir" "$win_dir" \
        > "$work/uninstall.bat"
    "$WINE64" cmd /c "$(wine winepath -w "$work/uninstall.bat")" > /dev/null 2>> "$work/wine.log"
    echo $?
}
# The uninstall entry's values as they are now, read with one Wine program (each start of one
# costs seconds under emulation); entry NAME gives one of them as "TYPE VALUE".
read_entry() { entries=$(wine reg query "$key" 2> /dev/null); }
entry() { sed -n "s/^ *$1 *\(REG_[A-Z]*\) *\(.*\)$/\1 \2/p" <<< "$entries"; }

check_installed() {
    read_entry
    check "Zelvane.exe in Program Files is the program built" \
        "$(cmp -s "$exe" "$dir/Zelvane.exe" && echo same)" same
    check "the uninstaller beside it" "$(exists "$dir/uninstall.exe")" yes
    check "the Start-menu link" "$(exists "$link")" yes
    check "DisplayName" "$(entry DisplayName)" "REG_SZ $product"
    check "DisplayVersion" "$(entry DisplayVersion)" "REG_SZ $version"
    check "Publisher" "$(entry Publisher)" "REG_SZ $publisher"
    check "DisplayIcon" "$(entry DisplayIcon)" "REG_SZ $win_dir\\Zelvane.exe,0"
    check "UninstallString" "$(entry UninstallString)" "REG_SZ \"$win_dir\\uninstall.exe\""
    check "QuietUninstallString" "$(entry QuietUninstallString)" \
        "REG_SZ \"$win_dir\\uninstall.exe\" /S"
    check "InstallLocation" "$(entry InstallLocation)" "REG_SZ $win_dir"
    check "NoModify" "$(entry NoModify)" "REG_DWORD 0x1"
    check "NoRepair" "$(entry NoRepair)" "REG_DWORD 0x1"
    # In KiB: the program and the uninstaller, rounded down each.
    local kib=$(( $(stat -c %s "$dir/Zelvane.exe") / 1024 + $(stat -c %s "$dir/uninstall.exe") / 1024 ))
    check "EstimatedSize, in KiB" "$(entry EstimatedSize)" "REG_DWORD $(printf 0x%x "$kib")"
}
check_removed() {
    check "Zelvane.exe removed" "$(exists "$dir/Zelvane.exe")" no
    check "the uninstaller removed" "$(exists "$dir/uninstall.exe")" no
    check "the Start-menu link removed" "$(exists "$link")" no
    check "the uninstall entry removed" "$(wine reg query "$key" > /dev/null 2>&1 && echo there)" ""
}

echo "--- a silent install with an image of the wrong name stops before it changes anything"
cp "$image" "$work/wrong-name.bin"
check "exit status" "$(run_setup "/IMAGE=$(wine winepath -w "$work/wrong-name.bin")")" 2
check "no folder in Program Files" "$(exists "$dir")" no
check "no uninstall entry" "$(wine reg query "$key" > /dev/null 2>&1 && echo there)" ""

echo "--- install without an image, uninstall: nothing is left"
started=$(date +%s)
check "exit status" "$(run_setup)" 0
echo "installed in $(($(date +%s) - started)) s"
check_installed
check "no image" "$(ls "$dir" | grep -c '^Tarvik_')" 0
uninstall
check_removed
check "the folder removed" "$(exists "$dir")" no

echo "--- install with /IMAGE=, again with another, then an upgrade without: the last one stays"
head -c 3000 /dev/urandom > "$work/Tarvik_000041_DB.bin"
check "exit status" "$(run_setup "/IMAGE=$(wine winepath -w "$work/Tarvik_000041_DB.bin")")" 0
check_installed
check "the first image copied beside the program" \
    "$(cmp -s "$work/Tarvik_000041_DB.bin" "$dir/Tarvik_000041_DB.bin" && echo same)" same
check "exit status" "$(run_setup "/IMAGE=$win_image")" 0
check "the second image copied beside the program" \
    "$(cmp -s "$image" "$dir/Tarvik_000042_DB.bin" && echo same)" same
check "the first image replaced by it" "$(exists "$dir/Tarvik_000041_DB.bin")" no
check "exit status of the upgrade" "$(run_setup)" 0
check_installed
check "the image kept by the upgrade" \
    "$(cmp -s "$image" "$dir/Tarvik_000042_DB.bin" && echo same)" same

echo "--- the installed program started through its Start-menu link"
# In a virtual desktop, as tests/windows_gui does, so that gui_probe.exe sees its windows.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d zelvane /f > /dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v zelvane /d 800x600 /f > /dev/null
wine start /unix "$link" > /dev/null
main=$("$WINE64" "$probe" main 2>> "$work/wine.log" | tr -d '\r')
echo "$main" | grep -E '^(main|bar_text)=' | sed 's/^/probe: /'
check "its window titled 'Tarvik DB Updater V1.3'" "$(sed -n 's/^main=//p' <<< "$main")" found
check "its bar says 'Wait Connect..'" "$(sed -n 's/^bar_text=//p' <<< "$main")" "Wait Connect.."
echo "--- the uninstaller refuses while the program runs, and removes nothing"
check "exit status" "$(uninstall_in_place)" 2
check_installed
check "it closes" "$("$WINE64" "$probe" close main > /dev/null 2>> "$work/wine.log"; echo $?)" 0
"$WINESERVER" -k > /dev/null 2>&1
wait_for_wine

echo "--- uninstall: the image and its folder are left, nothing else"
uninstall
check_removed
check "the image left" "$(cmp -s "$image" "$dir/Tarvik_000042_DB.bin" && echo same)" same
check "nothing else in the folder" "$(ls -A "$dir" | tr '\n' ' ')" "Tarvik_000042_DB.bin "

echo "--- a folder with a DLL in it is refused: the program would load it"
printf 'MZ' > "$dir/version.dll"
check "exit status" "$(run_setup)" 4
check "no program beside the DLL" "$(exists "$dir/Zelvane.exe")" no
check "no uninstall entry" "$(wine reg query "$key" > /dev/null 2>&1 && echo there)" ""
rm -f "$dir/version.dll"

echo "--- outside Program Files: a folder with files in it is refused, a new one gets its own access"
mkdir -p "$drive_c/Tools"
echo notes > "$drive_c/Tools/notes.txt"
check "exit status" "$(run_setup '/D=C:\Tools')" 5
check "nothing installed beside the files" "$(exists "$drive_c/Tools/Zelvane.exe")" no
# Wine accepts a folder's access list and keeps its own, so the setup's calls are looked at.
trace_from=$(($(wc -l < "$work/wine.log") + 1))
check "exit status" "$(WINEDEBUG=-all,trace+advapi,trace+security run_setup '/D=C:\ZelvaneOwn')" 0
calls=$(tail -n "+$trace_from" "$work/wine.log")
check "Zelvane.exe in the new folder is the program built" \
    "$(cmp -s "$exe" "$drive_c/ZelvaneOwn/Zelvane.exe" && echo same)" same
check "its access: administrators and SYSTEM full control, users read and execute, for what is in it too" \
    "$(grep -c 'ConvertStringSecurityDescriptorToSecurityDescriptorW L"D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"' <<< "$calls")" 1
# 1: a file or folder; -2147483644: DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION.
check "given to the folder, nothing inherited from above" \
    "$(grep -c 'SetNamedSecurityInfoW L"C:\\\\ZelvaneOwn" 1 -2147483644 ' <<< "$calls")" 1
"$WINE64" "$drive_c/ZelvaneOwn/uninstall.exe" /S 2>> "$work/wine.log"
wait_for_wine
check "uninstalled from there, the folder too" "$(exists "$drive_c/ZelvaneOwn")" no

echo "--- a newer version installed: a silent setup does not replace it, unless /DOWNGRADE"
check "exit status" "$(run_setup)" 0
wine reg add "$key" /v DisplayVersion /d 99.0.0 /f > /dev/null
check "exit status" "$(run_setup)" 6
read_entry
check "the newer version stays" "$(entry DisplayVersion)" "REG_SZ 99.0.0"
check "exit status with /DOWNGRADE" "$(run_setup /DOWNGRADE)" 0
read_entry
check "this version installed" "$(entry DisplayVersion)" "REG_SZ $version"

# The machine type in the PE header: 8664 x64, 014c x86.
pe_machine() {
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
if [ "$(pe_machine "$setup")" = 8664 ]; then
    echo "--- the x86 program installed: the x64 setup replaces it and takes its image along"
    uninstall
    other="$drive_c/Program Files (x86)/$product"
    mkdir -p "$other"
    cp "$exe" "$other/Zelvane.exe"
    cp "$exe" "$other/uninstall.exe"
    cp "$image" "$other/Tarvik_000042_DB.bin"
    wine reg add "$key" /reg:32 /v InstallLocation /d "C:\\Program Files (x86)\\$product" /f > /dev/null
    wine reg add "$key" /reg:32 /v DisplayVersion /d "$version" /f > /dev/null
    check "exit status" "$(run_setup)" 0
    check_installed
    check "the x86 program removed" "$(exists "$other/Zelvane.exe")" no
    check "the x86 uninstaller removed" "$(exists "$other/uninstall.exe")" no
    check "its uninstall entry removed" "$(wine reg query "$key" /reg:32 > /dev/null 2>&1 && echo there)" ""
    check "its image moved here" "$(cmp -s "$image" "$dir/Tarvik_000042_DB.bin" && echo same)" same
    check "its folder removed" "$(exists "$other")" no
else
    echo "note: 32-bit Windows runs only the x86 program, so no x64 install is there to replace"
fi

[ "$failures" -eq 0 ] && echo "installer: all checks passed" || echo "installer: $failures checks failed"
[ "$failures" -eq 0 ]
