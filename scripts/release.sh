#!/usr/bin/env bash
# Makes the release of the commit checked out, in one go:
#
#   scripts/release.sh [OUT]      (OUT: build/release-out/ by default)
#
# Installs what is missing (scripts/install-deps.sh), builds the presets release, windows-x64 and
# windows-x86 in build trees of their own (build/dist/<preset>; only what ships, not the tests:
# run scripts/test.sh for those), and puts into OUT the Debian package, both setups, both zips and
# SHA256SUMS over them. Prints what it made with the sizes, and stops at the first step that
# fails, saying which.
#
# Reproducible: every time a release holds is the commit's (SOURCE_DATE_EPOCH), and no path,
# owner, umask or clock of the machine shows in it (cmake/reproducible.cmake), so two runs of
# one commit give identical files wherever the checkout lies. A checkout with changes that are
# not committed is refused, since the release would not be that commit's; set
# ZELVANE_RELEASE_ALLOW_CHANGES=1 to make one anyway (for trying things out, never to publish).
#
# Signing, when asked for by the environment (without it nothing is signed, and it says so):
#   ZELVANE_SIGN_CERT, ZELVANE_SIGN_KEY   Authenticode certificate and key (PEM), or one PKCS#12
#                                         file named by both: Zelvane.exe of both architectures
#                                         before it goes into the setup and the zip, both setups
#                                         and their uninstallers (osslsigncode)
#   ZELVANE_SIGN_PASS                     the key's password, if it has one
#   ZELVANE_SIGN_TIMESTAMP_URL            an RFC 3161 time-stamp server; none is asked without it
#   ZELVANE_GPG_KEY                       an OpenPGP key (as gpg names it): detached, armoured
#                                         signatures <file>.asc of the .deb and of SHA256SUMS
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)

say() { echo "release: $*"; }
fail() { echo "release: FAILED: $*" >&2; exit 1; }
trap 'echo "release: FAILED: \"$BASH_COMMAND\" exited with $? (line $LINENO)" >&2' ERR

# What leaves this machine must not depend on how its user set it up.
umask 022
export LC_ALL=C.UTF-8 TZ=UTC

out=${1:-build/release-out}
mkdir -p "$out"
out=$(cd "$out" && pwd)

scripts/install-deps.sh
for tool in git makensis cpack dpkg-shlibdeps sha256sum python3; do
    command -v "$tool" > /dev/null ||
        fail "$tool is missing (install-deps.sh could not install it: run it as root)"
done

# --- The commit, and its time ---------------------------------------------------------------------
commit=$(git rev-parse HEAD 2> /dev/null) || fail "$root is not a git checkout: a release is made from a commit"
if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
    git status --short >&2
    [ "${ZELVANE_RELEASE_ALLOW_CHANGES:-}" = 1 ] ||
        fail "the checkout has changes that are not committed (above); commit them, or set ZELVANE_RELEASE_ALLOW_CHANGES=1 to try things out"
    say "WARNING: the checkout has changes that are not committed: this is not the release of $commit"
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
say "commit $commit, time $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC') (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"

# --- What is signed -----------------------------------------------------------------------------------
absolute() { (cd "$(dirname "$1")" && echo "$PWD/$(basename "$1")"); }
sign_cert=${ZELVANE_SIGN_CERT:-} sign_key=${ZELVANE_SIGN_KEY:-}
if [ -n "$sign_cert" ] || [ -n "$sign_key" ]; then
    [ -n "$sign_cert" ] && [ -n "$sign_key" ] ||
        fail "signing needs both ZELVANE_SIGN_CERT and ZELVANE_SIGN_KEY; only one is set"
    [ -f "$sign_cert" ] || fail "ZELVANE_SIGN_CERT: no file $sign_cert"
    [ -f "$sign_key" ] || fail "ZELVANE_SIGN_KEY: no file $sign_key"
    command -v osslsigncode > /dev/null || fail "signing needs osslsigncode (Debian package osslsigncode)"
    sign_cert=$(absolute "$sign_cert") sign_key=$(absolute "$sign_key")
    say "Authenticode: signing the Windows programs, setups and uninstallers with $sign_cert" \
        "(${ZELVANE_SIGN_TIMESTAMP_URL:+time stamps from $ZELVANE_SIGN_TIMESTAMP_URL}${ZELVANE_SIGN_TIMESTAMP_URL:-no time-stamp server})"
else
    say "Authenticode: no ZELVANE_SIGN_CERT and ZELVANE_SIGN_KEY, so nothing Windows runs is signed"
fi
gpg_key=${ZELVANE_GPG_KEY:-}
if [ -n "$gpg_key" ]; then
    command -v gpg > /dev/null || fail "ZELVANE_GPG_KEY is set, and gpg is missing (Debian package gnupg)"
    gpg --batch --list-secret-keys "$gpg_key" > /dev/null 2>&1 ||
        fail "ZELVANE_GPG_KEY: gpg has no secret key $gpg_key"
    say "OpenPGP: signing the .deb and SHA256SUMS with $gpg_key"
else
    say "OpenPGP: no ZELVANE_GPG_KEY, so the .deb and SHA256SUMS are not signed"
fi

# --- The builds ---------------------------------------------------------------------------------------
# Build trees of their own: the signing settings and the time are given anew on every run, and
# test builds are not disturbed. Only what ships is built; the install does not build everything.
tree() { echo "build/dist/$1"; }
configure() {
    local preset=$1
    shift
    say "configuring $preset"
    cmake --preset "$preset" -B "$(tree "$preset")" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
        -DZELVANE_BENCHMARKS=OFF "$@" > "$(tree "$preset").configure.log" 2>&1 ||
        { cat "$(tree "$preset").configure.log" >&2; fail "configuring $preset"; }
}
build() {
    local preset=$1
    shift
    say "building $preset: $*"
    cmake --build "$(tree "$preset")" --target "$@" || fail "building $preset"
}
mkdir -p build/dist
for preset in windows-x64 windows-x86; do
    configure "$preset" -DZELVANE_SIGN_CERT="$sign_cert" -DZELVANE_SIGN_KEY="$sign_key" \
        -DZELVANE_SIGN_TIMESTAMP_URL="${ZELVANE_SIGN_TIMESTAMP_URL:-}"
    build "$preset" zelvane_setup zelvane_zip
done
configure release
build release zelvane zelvane_man_page
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$(tree release)/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $(tree release)/CMakeCache.txt"

say "packing the Debian package"
packages=$root/$(tree release)/packages
rm -rf "$packages"
(cd "$(tree release)" && cpack -G DEB -B "$packages" > "$packages.log" 2>&1) ||
    { cat "$(tree release)/packages.log" >&2; fail "cpack"; }

# --- Collected, checksummed, signed --------------------------------------------------------------------
artifacts=(
    "$packages/zelvane_${version}_amd64.deb"
    "$(tree windows-x64)/Zelvane-${version}-setup.exe"
    "$(tree windows-x86)/Zelvane-${version}-x86-setup.exe"
    "$(tree windows-x64)/Zelvane-${version}-windows-x64.zip"
    "$(tree windows-x86)/Zelvane-${version}-windows-x86.zip"
)
names=()
for artifact in "${artifacts[@]}"; do
    [ -f "$artifact" ] || fail "the build made no $artifact"
    names+=("$(basename "$artifact")")
done
# Only this run's files in OUT: none of an earlier run's, a signature above all, may stay.
for name in "${names[@]}" SHA256SUMS; do
    rm -f "$out/$name" "$out/$name.asc"
done
cp "${artifacts[@]}" "$out/"
(cd "$out" && sha256sum "${names[@]}" > SHA256SUMS && sha256sum --quiet -c SHA256SUMS) ||
    fail "SHA256SUMS"
if [ -n "$gpg_key" ]; then
    for name in "${names[0]}" SHA256SUMS; do
        cmake/signing/openpgp-sign.sh "$gpg_key" "$out/$name" || fail "signing $name"
    done
fi

say "made in $(($(date +%s) - started)) s, in $out:"
(cd "$out" && for name in "${names[@]}" SHA256SUMS ${gpg_key:+"${names[0]}.asc" SHA256SUMS.asc}; do
    printf '  %10s bytes  %s\n' "$(stat -c %s "$name")" "$name"
done)
