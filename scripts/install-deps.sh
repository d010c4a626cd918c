#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, when any is missing,
# from the machine's apt sources only. Runs as root, or through sudo for a normal user.
#
# Without root or sudo it installs nothing and says what is missing: it fails when the build
# needs a missing package, and goes on (exit 0) when only the packages of single tests are
# missing, since those tests are then reported as skipped, with the reason, by CTest.
set -euo pipefail

# The build, the tests and the demo cannot do without these.
required=(
    cmake ninja-build g++ pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev fonts-dejavu-core
)
# The Windows programs (presets windows-x64 and windows-x86): the mingw-w64 cross compilers of
# the -posix thread model (std::thread and std::mutex over winpthreads), their binutils (windres
# among them). GoogleTest is cross-built from the sources of the package googletest above.
required+=(
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
)
# Single tests need these, and are skipped with the reason without them: g++-multilib and
# qemu-user the 32-bit check of the request layout (label m32: to build it, and to run it where the
# kernel cannot run 32-bit programs); wine64 the x64 Windows tests (never the 32-bit Wine package:
# installing it breaks 64-bit Wine on such machines); xvfb a display for Wine where a test shows
# windows; imagemagick and xdotool the GUI test of Zelvane.exe (label windows-gui: screenshots,
# the system menu); x11-utils (xwininfo) the VM test of Zelvane.exe, to see its window; dpkg-dev
# (dpkg-shlibdeps, which CPack asks for the dependencies) and lintian the Debian package's test
# (label package), which also makes the package; nsis (makensis) the Windows setup programs of
# the windows builds and their test (label installer); osslsigncode and gnupg the signing of a
# release (scripts/release.sh, when given a certificate or a key) and its test (label release).
optional=(g++-multilib qemu-user wine64 xvfb imagemagick xdotool x11-utils dpkg-dev lintian nsis
    osslsigncode gnupg)

if ! command -v dpkg-query > /dev/null || ! command -v apt-get > /dev/null; then
    echo "install-deps.sh: no dpkg-query or apt-get; this script installs Debian packages:" >&2
    echo "  ${required[*]} ${optional[*]}" >&2
    exit 1
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2> /dev/null | grep -q 'install ok installed'; }
missing_of() { for p in "$@"; do installed "$p" || echo "$p"; done; }

mapfile -t missing_required < <(missing_of "${required[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")
missing=("${missing_required[@]}" "${missing_optional[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo > /dev/null; then
        echo "install-deps.sh: not root and no sudo, so these Debian packages cannot be installed:" >&2
        echo "  ${missing[*]}" >&2
        echo "As root: apt-get install ${missing[*]}" >&2
        if [ ${#missing_required[@]} -gt 0 ]; then
            echo "The build needs ${missing_required[*]}: stopping." >&2
            exit 1
        fi
        echo "Going on: the 32-bit check (label m32), the Windows tests under Wine, the" \
            "package's test (label package) and the setup program's (label installer) will be" \
            "reported as skipped where they cannot build or run without ${missing_optional[*]}." >&2
        exit 0
    fi
    sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
