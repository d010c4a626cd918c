#!/usr/bin/env bash
# A detached, armoured OpenPGP signature of one file, FILE.asc beside it:
#
#   openpgp-sign.sh KEY FILE
#
# KEY names a secret key as gpg knows it (fingerprint, key id or user id) in gpg's home
# (GNUPGHOME, ~/.gnupg by default). Check with: gpg --verify FILE.asc FILE
# The signature carries the time it was made, so it differs from run to run; what it signs does not.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: openpgp-sign.sh KEY FILE" >&2; exit 2; }
key=$1 file=$2
fail() { echo "openpgp-sign.sh: $*" >&2; exit 1; }
command -v gpg > /dev/null || fail "gpg is not installed (Debian package gnupg)"
[ -f "$file" ] || fail "no file $file"
rm -f "$file.asc"
gpg --batch --yes --local-user "$key" --armor --detach-sign --output "$file.asc" "$file" ||
    fail "gpg could not sign $file with $key"
echo "signed $file ($file.asc)"
