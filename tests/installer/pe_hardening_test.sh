#!/usr/bin/env bash
# The hardening of the Windows executables users get, read from their PE headers:
#   pe_hardening_test.sh OBJDUMP x64|x86 ZELVANE_EXE [SETUP_EXE]
# Zelvane.exe, which always runs as administrator: ASLR (DYNAMIC_BASE) with its relocations
# kept (a .reloc section and the RELOCS_STRIPPED flag clear: without them Windows loads it at its
# fixed base whatever the flag says), DEP (NX_COMPAT), and on x64 high-entropy ASLR
# (HIGH_ENTROPY_VA) from an image base above 4 GiB. The setup, and so the uninstaller it writes
# (NSIS writes it from its own header): DEP. NSIS's stubs are linked without relocations, so the
# setup loads at its fixed base; the test says so rather than claim ASLR for it.
set -uo pipefail
[ $# -ge 3 ] || { echo "usage: pe_hardening_test.sh OBJDUMP x64|x86 ZELVANE_EXE [SETUP_EXE]" >&2; exit 2; }
objdump=$1 arch=$2 exe=$3 setup=${4:-}

# shellcheck source=../support/check.sh
. "$(dirname "$0")/../support/check.sh"

header() { "$objdump" -p "$1" 2> /dev/null; }
# has_bit VALUE MASK: "yes" when VALUE (hex) has every bit of MASK set.
has_bit() { [ $((0x$1 & $2)) -eq $(($2)) ] && echo yes || echo no; }
characteristics() { header "$1" | sed -n 's/^Characteristics 0x\([0-9a-fA-F]*\)$/\1/p'; }
dll_characteristics() { header "$1" | sed -n 's/^DllCharacteristics[[:space:]]*\([0-9a-fA-F]*\)$/\1/p'; }
image_base() { header "$1" | sed -n 's/^ImageBase[[:space:]]*\([0-9a-fA-F]*\)$/\1/p'; }
reloc_bytes() {
    local size
    size=$("$objdump" -h "$1" | awk '$2 == ".reloc" { print $3 }')
    echo $((16#${size:-0}))
}

for file in "$exe" ${setup:+"$setup"}; do
    [ -f "$file" ] || { echo "FAILED: no file $file"; exit 1; }
    [ -n "$(dll_characteristics "$file")" ] || { echo "FAILED: $objdump cannot read $file's PE header"; exit 1; }
done

name=$(basename "$exe")
dll=$(dll_characteristics "$exe")
echo "$name: Characteristics 0x$(characteristics "$exe"), DllCharacteristics 0x$dll, ImageBase 0x$(image_base "$exe"), .reloc $(reloc_bytes "$exe") bytes"
check "$name: ASLR (DYNAMIC_BASE)" "$(has_bit "$dll" 0x0040)" yes
check "$name: relocations kept (RELOCS_STRIPPED clear)" "$(has_bit "$(characteristics "$exe")" 0x0001)" no
check "$name: a .reloc section with relocations" "$([ "$(reloc_bytes "$exe")" -gt 0 ] && echo yes || echo no)" yes
check "$name: DEP (NX_COMPAT)" "$(has_bit "$dll" 0x0100)" yes
if [ "$arch" = x64 ]; then
    check "$name: high-entropy ASLR (HIGH_ENTROPY_VA)" "$(has_bit "$dll" 0x0020)" yes
    check "$name: image base above 4 GiB" "$([ $((0x$(image_base "$exe") > 0xFFFFFFFF)) -eq 1 ] && echo yes || echo no)" yes
fi

if [ -n "$setup" ]; then
    name=$(basename "$setup")
    dll=$(dll_characteristics "$setup")
    echo "$name: Characteristics 0x$(characteristics "$setup"), DllCharacteristics 0x$dll, .reloc $(reloc_bytes "$setup") bytes"
    check "$name: DEP (NX_COMPAT)" "$(has_bit "$dll" 0x0100)" yes
    if [ "$(has_bit "$(characteristics "$setup")" 0x0001)" = yes ]; then
        echo "note: $name has no relocations (NSIS's stubs are linked without them): Windows loads it, and the uninstaller it writes, at its fixed base"
    fi
fi
[ "$failures" -eq 0 ] && echo "pe hardening: all checks passed" || echo "pe hardening: $failures checks failed"
[ "$failures" -eq 0 ]
