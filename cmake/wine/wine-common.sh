# Shared by the scripts that run Windows programs under Wine: finds Wine, the build tree's own
# prefix, and starts an X server of their own.
# Sourced, not run. find_wine sets WINE64 and WINESERVER, or returns 1 with the reason in
# WINE_MISSING; use_build_prefix exports WINEPREFIX and WINEDEBUG.

# ZELVANE_WINE and ZELVANE_WINESERVER name another Wine (the 32-bit one in the x86 guest, where
# WINE64 is then that Wine).
find_wine() {
    WINE_MISSING=
    WINE64=${ZELVANE_WINE:-$(command -v wine64 || true)}
    [ -n "$WINE64" ] || [ ! -x /usr/lib/wine/wine64 ] || WINE64=/usr/lib/wine/wine64
    WINESERVER=${ZELVANE_WINESERVER:-$(command -v wineserver || true)}
    [ -n "$WINESERVER" ] || [ ! -x /usr/lib/wine/wineserver ] || WINESERVER=/usr/lib/wine/wineserver
    if [ -z "$WINE64" ] || [ -z "$WINESERVER" ]; then
        WINE_MISSING="wine64 is not installed (Debian package wine64)"
        return 1
    fi
}

# The prefix lives in the build tree that holds $1 (the folder with CMakeCache.txt above it), so
# that a build never touches ~/.wine and removing the build removes its Wine state too. An
# explicit ZELVANE_WINEPREFIX wins.
use_build_prefix() {
    local dir
    if [ -n "${ZELVANE_WINEPREFIX:-}" ]; then
        WINEPREFIX=$ZELVANE_WINEPREFIX
    else
        dir=$(cd "$(dirname "$1")" && pwd)
        while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
        if [ "$dir" = / ]; then
            echo "wine: no build tree (CMakeCache.txt) above $1" >&2
            return 1
        fi
        WINEPREFIX=$dir/wine-prefix
    fi
    export WINEPREFIX
    export WINEDEBUG=-all
    # No Mono or Gecko installer dialogs when the prefix is made: the programs need neither.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# An X server of the caller's own for Windows programs that show windows: sets DISPLAY and
# XVFB_PID (for the caller to end it). -displayfd lets Xvfb pick a free display, so parallel
# runs do not meet. Returns 1, with no server left running, when it has not come up within
# 30 s; its messages go to $1.
start_own_display() {  # start_own_display LOG
    local display
    exec 5< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2> "$1")
    XVFB_PID=$!
    if ! read -r -t 30 display <&5; then
        kill "$XVFB_PID" 2> /dev/null
        return 1
    fi
    export DISPLAY=:$display
}
