#!/usr/bin/env bash
# Authenticode-signs one Windows program in place, with osslsigncode:
#
#   authenticode-sign.sh --cert CERT --key KEY --time SECONDS [--timestamp-url URL]
#                        [--description TEXT] FILE
#
# KEY is a PEM private key, with CERT its certificate (PEM, with the chain after it), or a
# PKCS#12 file (.p12/.pfx) holding both, in which case CERT may name the same file. A password
# for the key, if it has one, comes from the environment, ZELVANE_SIGN_PASS, never from the
# command line, which other users can see.
#
# SECONDS is the signing time written into the signature (the release's SOURCE_DATE_EPOCH): with
# the same key and no time-stamp server, the signed file is the same on every run. A time-stamp
# server (URL, RFC 3161) is asked only when one is given; its counter-signature carries its own
# time, so such a signature differs from run to run.
#
# The build (res/windows/installer/CMakeLists.txt) signs Zelvane.exe with it, and makensis the
# setup and its uninstaller. Any failure fails the step: an unsigned file never passes for signed.
set -euo pipefail

usage() {
    echo "usage: authenticode-sign.sh --cert CERT --key KEY --time SECONDS [--timestamp-url URL] [--description TEXT] FILE" >&2
    exit 2
}
cert='' key='' seconds='' url='' description='' file=''
while [ $# -gt 0 ]; do
    case $1 in
        --cert) cert=$2; shift 2 ;;
        --key) key=$2; shift 2 ;;
        --time) seconds=$2; shift 2 ;;
        --timestamp-url) url=$2; shift 2 ;;
        --description) description=$2; shift 2 ;;
        -*) usage ;;
        *) [ -z "$file" ] || usage; file=$1; shift ;;
    esac
done
[ -n "$cert" ] && [ -n "$key" ] && [ -n "$seconds" ] && [ -n "$file" ] || usage
fail() { echo "authenticode-sign.sh: $*" >&2; exit 1; }
command -v osslsigncode > /dev/null || fail "osslsigncode is not installed (Debian package osslsigncode)"
for input in "$cert" "$key" "$file"; do
    [ -f "$input" ] || fail "no file $input"
done

if grep -q -- '-----BEGIN' "$key"; then
    credentials=(-certs "$cert" -key "$key")
else
    credentials=(-pkcs12 "$key")
fi
# The password through a descriptor, not the command line.
if [ -n "${ZELVANE_SIGN_PASS:-}" ]; then
    exec 3< <(printf '%s' "$ZELVANE_SIGN_PASS")
    credentials+=(-readpass /dev/fd/3)
fi
options=(-h sha256 -time "$seconds")
[ -n "$description" ] && options+=(-n "$description")
[ -n "$url" ] && options+=(-ts "$url")

signed=$file.signed
rm -f "$signed"
if ! log=$(osslsigncode sign "${credentials[@]}" "${options[@]}" -in "$file" -out "$signed" 2>&1); then
    rm -f "$signed"
    fail "signing $file failed: $log"
fi
mv -f "$signed" "$file"
echo "signed $file"
