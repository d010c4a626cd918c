# Shared by wine-run.sh and wine-server.sh: finds Wine and the build tree's own prefix.
# Sourced, not run. Sets WINE64, WINESERVER and exports WINEPREFIX and WINEDEBUG, or returns 1
# with the reason in WINE_MISSING.

find_wine() {
    WINE_MISSING=
    WINE64=$(command -v wine64 || true)
    [ -n "$WINE64" ] || [ ! -x /usr/lib/wine/wine64 ] || WINE64=/usr/lib/wine/wine64
    WINESERVER=$(command -v wineserver || true)
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
