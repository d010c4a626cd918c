#!/usr/bin/env bash
# Regenerates the program icon's PNG images in res/icons/ from their SVG sources:
#   zelvane-small.svg (drawn on the 16-pixel grid) -> zelvane-16.png
#   zelvane.svg                                    -> zelvane-32/48/64/128/256.png
# The PNGs are committed, so the build never needs the converter; run this after editing an SVG.
#   scripts/make-icons.sh          write the PNGs
#   scripts/make-icons.sh --check  only compare the committed PNGs with fresh renderings
# Installs librsvg2-bin (rsvg-convert) when it is missing, as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case ${1:-} in
    '') ;;
    --check) check=1 ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

if ! command -v rsvg-convert > /dev/null; then
    echo "Installing: librsvg2-bin"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

icons=res/icons
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

render() {  # render SOURCE SIZE
    rsvg-convert --width "$2" --height "$2" --keep-aspect-ratio --format png \
        --output "$scratch/zelvane-$2.png" "$icons/$1"
}

render zelvane-small.svg 16
for size in 32 48 64 128 256; do
    render zelvane.svg "$size"
done

status=0
for size in 16 32 48 64 128 256; do
    name=zelvane-$size.png
    if [ $check -eq 1 ]; then
        if ! cmp -s "$scratch/$name" "$icons/$name"; then
            echo "$icons/$name differs from its SVG source; run $0" >&2
            status=1
        fi
    else
        cp "$scratch/$name" "$icons/$name"
        echo "wrote $icons/$name"
    fi
done
exit $status
