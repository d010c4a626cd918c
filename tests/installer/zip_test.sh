#!/usr/bin/env bash
# The zip of the bare program: zip_test.sh ZIP ZELVANE_EXE WORK_DIR
# It holds exactly Zelvane.exe, the program built, and README.txt, which says where the program
# (under Program Files) and the image go, with Windows line ends.
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: zip_test.sh ZIP ZELVANE_EXE WORK_DIR" >&2; exit 2; }
zip=$1 exe=$2 cmake=${CMAKE_COMMAND:-cmake}
rm -rf "$3" && mkdir -p "$3" && work=$(cd "$3" && pwd)

# shellcheck source=../support/check.sh
. "$(dirname "$0")/../support/check.sh"

listing=$("$cmake" -E tar tf "$zip" | sort | tr '\n' ' ')
check "the zip holds README.txt and Zelvane.exe" "$listing" "README.txt Zelvane.exe "
(cd "$work" && "$cmake" -E tar xf "$zip")
check "Zelvane.exe is the program built" "$(cmp -s "$exe" "$work/Zelvane.exe" && echo same)" same
check "README.txt names the image" "$(grep -c 'Tarvik_??????_DB.bin' "$work/README.txt")" 1
check "README.txt says it goes beside Zelvane.exe" "$(grep -c 'beside Zelvane.exe' "$work/README.txt")" 1
check "README.txt says the program goes under Program Files" \
    "$(grep -c 'own under Program Files' "$work/README.txt")" 1
check "README.txt has Windows line ends" \
    "$(grep -vc $'\r$' "$work/README.txt")" 0
echo "zip: $(stat -c %s "$zip") bytes"
[ "$failures" -eq 0 ]
