#!/usr/bin/env bash
# The release's signatures, with throw-away keys made here (no real certificate is needed):
#
#   signing_test.sh SHIPPED_EXE NSI DEFINES WORK_DIR
#
# Authenticode (cmake/signing/authenticode-sign.sh, osslsigncode): a copy of the shipped
# Zelvane.exe signed with a PEM certificate and key verifies against that certificate, and
# against no other; one changed byte breaks it; signing twice gives the same bytes; a PKCS#12
# file with a password signs, a wrong password fails and leaves the file as it was. makensis run
# on zelvane.nsi with the build's DEFINES and a signing command signs the setup and, before it
# is packed, the uninstaller. OpenPGP (cmake/signing/openpgp-sign.sh): the detached signature
# verifies with the key's public half, and not once a byte of the file changed.
#
# Exit status: 0 passed, 1 a check failed, 77 skipped (a tool is missing), 2 bad arguments.
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: signing_test.sh SHIPPED_EXE NSI DEFINES WORK_DIR" >&2; exit 2; }
exe=$1 nsi=$2 defines=$3
rm -rf "$4" && mkdir -p "$4" && work=$(cd "$4" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
signing=$here/../../cmake/signing
# shellcheck source=../support/check.sh
. "$here/../support/check.sh"
skip() { echo "SKIPPED: $1"; exit 77; }
for tool in osslsigncode openssl makensis gpg; do
    command -v "$tool" > /dev/null ||
        skip "$tool is not installed (Debian packages osslsigncode, openssl, nsis, gnupg)"
done
[ -f "$exe" ] || { echo "FAILED: no program $exe"; exit 1; }
cd "$work" || exit 1
seconds=1700000000

# A self-signed code-signing certificate and its key, as a PEM pair.
make_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.crt" -days 2 \
        -subj "/CN=Zelvane throw-away signer $1" -addext "keyUsage=digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" > /dev/null 2>&1
}
sign() { "$signing/authenticode-sign.sh" --time "$seconds" --description Zelvane "$@"; }
verifies() {
    osslsigncode verify -CAfile "$1" -in "$2" > "$2.verify.log" 2>&1 && echo yes || echo no
}
# Inverts the bits of the byte at offset $2 of file $1.
flip_byte() {
    local byte
    byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
    printf "\\$(printf '%03o' $((byte ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
make_certificate signer
make_certificate stranger

# --- Authenticode with a PEM certificate and key --------------------------------------------------
cp "$exe" a.exe
cp "$exe" b.exe
sign --cert signer.crt --key signer.key a.exe > /dev/null
sign --cert signer.crt --key signer.key b.exe > /dev/null
check "the signed program verifies against its certificate" "$(verifies signer.crt a.exe)" yes
check "and against no other" "$(verifies stranger.crt a.exe)" no
check "signing twice, with one key and time, gives the same bytes" \
    "$(cmp -s a.exe b.exe && echo same)" same
check "the signature is a change to the file" "$(cmp -s "$exe" a.exe && echo same || echo changed)" \
    changed
# One byte of the code, halfway into the file, which the signature covers.
cp a.exe tampered.exe
flip_byte tampered.exe $(($(stat -c %s tampered.exe) / 2))
check "the byte is changed" "$(cmp -s a.exe tampered.exe && echo same || echo changed)" changed
check "one changed byte breaks the signature" "$(verifies signer.crt tampered.exe)" no

# --- Authenticode with a PKCS#12 file and its password ------------------------------------------
openssl pkcs12 -export -inkey signer.key -in signer.crt -out signer.p12 -passout pass:secret-1
cp "$exe" c.exe
ZELVANE_SIGN_PASS=secret-1 sign --cert signer.p12 --key signer.p12 c.exe > /dev/null
check "signed from PKCS#12 with its password, it verifies" "$(verifies signer.crt c.exe)" yes
cp "$exe" d.exe
status=0
ZELVANE_SIGN_PASS=wrong sign --cert signer.p12 --key signer.p12 d.exe > sign-wrong.log 2>&1 ||
    status=$?
check "a wrong password fails" "$([ $status -ne 0 ] && echo failed)" failed
check "and leaves the program as it was" "$(cmp -s "$exe" d.exe && echo same)" same

# --- The setup and its uninstaller, signed by makensis -----------------------------------------------
# The command the build would define, through a wrapper that keeps a copy of what it signed.
cat > keep-and-sign.sh << EOF
#!/bin/sh
"$signing/authenticode-sign.sh" "\$@" || exit 1
for last; do :; done
cp "\$last" "$work/kept-\$(basename "\$last")"
echo "\$last" >> "$work/signed-by-makensis.txt"
EOF
chmod +x keep-and-sign.sh
{
    grep -v '^!define OUTFILE ' "$defines"
    echo "!define OUTFILE \"$work/Zelvane-signed-setup.exe\""
    echo "!define SIGN_COMMAND '\"$work/keep-and-sign.sh\" --cert \"$work/signer.crt\" --key \"$work/signer.key\" --time $seconds'"
} > defines.nsh
if makensis -V2 -WX -DDEFINES="$work/defines.nsh" "$nsi" > makensis.log 2>&1; then
    check "the setup verifies" "$(verifies signer.crt Zelvane-signed-setup.exe)" yes
    check "makensis signed two programs, the uninstaller first" \
        "$(wc -l < signed-by-makensis.txt | tr -d ' ') $(tail -1 signed-by-makensis.txt)" \
        "2 $work/Zelvane-signed-setup.exe"
    uninstaller=$work/kept-$(basename "$(head -1 signed-by-makensis.txt)")
    check "the uninstaller, as packed, verifies" "$(verifies signer.crt "$uninstaller")" yes
else
    cat makensis.log
    check "makensis makes the signed setup" failed made
fi

# --- OpenPGP ---------------------------------------------------------------------------------------------
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-generate-key "Zelvane throw-away <release@zelvane.invalid>" \
    ed25519 sign 1d > gpg.log 2>&1
cp "$exe" package.deb
"$signing/openpgp-sign.sh" release@zelvane.invalid package.deb > /dev/null
check "the detached signature verifies" \
    "$(gpg --batch --verify package.deb.asc package.deb > /dev/null 2>&1 && echo yes || echo no)" yes
flip_byte package.deb 100
check "one changed byte breaks it" \
    "$(gpg --batch --verify package.deb.asc package.deb > /dev/null 2>&1 && echo yes || echo no)" no
gpgconf --kill gpg-agent 2> /dev/null

[ "$failures" -eq 0 ]
