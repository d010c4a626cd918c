#!/usr/bin/env bash
# Installs a built zelvane program on this machine so that users of the group "zelvane" run it
# without root:
#   /opt/zelvane/zelvane                                  the program (plus the image, see below)
#   /usr/local/bin/zelvane                                a link to it, for the menu and the shell
#   /usr/local/share/applications/zelvane.desktop         the desktop entry
#   /usr/local/share/icons/hicolor/NxN/apps/zelvane.png   the icon, N = 16 32 48 64 128 256
#   /usr/local/share/icons/hicolor/scalable/apps/zelvane.svg
#   /etc/udev/rules.d/70-zelvane.rules                    read-write access to the SCSI generic
#                                                         node of devices in update mode only
# creates the system group "zelvane" and makes udev apply the rule to devices already plugged in.
#
# The image: the program looks for Tarvik_??????_DB.bin in the folder of its real executable
# (the link in /usr/local/bin is resolved), so the image belongs in /opt/zelvane/. Give it with
# --image, or copy it there as root later.
#
#   scripts/install.sh [options] [BINARY]     BINARY defaults to build/release/app/zelvane
#     --image FILE     also install FILE (named Tarvik_??????_DB.bin) beside the program
#     --add-user NAME  add the user NAME to the group zelvane (effective at the next login)
#     --root DIR       install the files under DIR instead of / (for packaging); no group is
#                      created and udev is left alone
#     --dry-run        print what would be done and change nothing
#
# Runs as root, or through sudo for a normal user. Running it again brings an installation up to
# date. On a machine where udev does not run (a container, a chroot) it warns and goes on: the
# rule then applies when udev starts.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
binary=$repo/build/release/app/zelvane
image='' add_user='' root='' dry_run=0

usage() { sed -n '/^#   scripts\/install.sh/,/^#     --dry-run/s/^# \{0,1\}//p' "$0" >&2; exit 2; }
while [ $# -gt 0 ]; do
    case $1 in
        --image) [ $# -ge 2 ] || usage; image=$2; shift ;;
        --add-user) [ $# -ge 2 ] || usage; add_user=$2; shift ;;
        --root) [ $# -ge 2 ] || usage; root=${2%/}; shift ;;
        --dry-run) dry_run=1 ;;
        -h | --help) usage ;;
        -*) echo "unknown option $1" >&2; usage ;;
        *) binary=$1 ;;
    esac
    shift
done

say() { echo "install: $*"; }
warn() { echo "install: warning: $*" >&2; }
die() { echo "install: error: $*" >&2; exit 1; }

sudo=()
if [ -z "$root" ] && [ "$(id -u)" -ne 0 ] && [ $dry_run -eq 0 ]; then
    command -v sudo > /dev/null || die "run as root, or install sudo"
    sudo=(sudo)
fi

# run COMMAND...: runs it (as root where needed), or only shows it on a dry run.
run() {
    if [ $dry_run -eq 1 ]; then
        printf 'would run:'
        printf ' %q' "$@"
        printf '\n'
    else
        "${sudo[@]}" "$@"
    fi
}

# udev_runs: whether udevd answers on its control socket (which only root may use; a dry run by
# a normal user looks for the daemon's process instead).
udev_runs() {
    [ -S /run/udev/control ] || return 1
    if [ "$(id -u)" -eq 0 ] || [ ${#sudo[@]} -gt 0 ]; then
        "${sudo[@]}" udevadm control --ping --timeout=5 > /dev/null 2>&1
    else
        pidof systemd-udevd > /dev/null
    fi
}

app_dir=$root/opt/zelvane
bin_link=$root/usr/local/bin/zelvane
share=$root/usr/local/share
rules_dir=$root/etc/udev/rules.d
sizes=(16 32 48 64 128 256)

# Everything is checked before anything is changed.
if [ ! -f "$binary" ] || [ ! -x "$binary" ]; then
    die "no executable program at $binary (build it: cmake --preset release && cmake --build --preset release)"
fi
for file in res/linux/zelvane.desktop res/linux/70-zelvane.rules res/icons/zelvane.svg; do
    [ -f "$repo/$file" ] || die "missing $repo/$file"
done
for size in "${sizes[@]}"; do
    [ -f "$repo/res/icons/zelvane-$size.png" ] || die "missing $repo/res/icons/zelvane-$size.png"
done
if [ -n "$image" ]; then
    [ -f "$image" ] || die "no image file at $image"
    if [[ $(basename "$image") != Tarvik_??????_DB.bin ]]; then
        die "the program only finds an image named Tarvik_??????_DB.bin, not $(basename "$image")"
    fi
fi
if [ -n "$add_user" ] && [ -z "$root" ]; then
    id "$add_user" > /dev/null 2>&1 || die "no user named $add_user"
fi
if [ $dry_run -eq 1 ]; then
    say "dry run: nothing is changed"
fi

say "program into $app_dir/"
run install -d -m 0755 "$app_dir" "$(dirname "$bin_link")"
run install -m 0755 "$binary" "$app_dir/zelvane"
run ln -sfn /opt/zelvane/zelvane "$bin_link"
if [ -n "$image" ]; then
    for old in "$app_dir"/Tarvik_??????_DB.bin; do
        if [ -e "$old" ] && [ "$(basename "$old")" != "$(basename "$image")" ]; then
            warn "$old is there too; the program takes one of them: remove the one not wanted"
        fi
    done
    run install -m 0644 "$image" "$app_dir/$(basename "$image")"
elif ! compgen -G "$app_dir/Tarvik_??????_DB.bin" > /dev/null; then
    warn "no image in $app_dir/ yet: copy Tarvik_??????_DB.bin there before running the program"
fi

say "desktop entry and icons into $share/"
run install -D -m 0644 "$repo/res/linux/zelvane.desktop" "$share/applications/zelvane.desktop"
for size in "${sizes[@]}"; do
    run install -D -m 0644 "$repo/res/icons/zelvane-$size.png" \
        "$share/icons/hicolor/${size}x${size}/apps/zelvane.png"
done
run install -D -m 0644 "$repo/res/icons/zelvane.svg" "$share/icons/hicolor/scalable/apps/zelvane.svg"
if [ -z "$root" ]; then
    if command -v gtk-update-icon-cache > /dev/null && [ -f /usr/local/share/icons/hicolor/index.theme ]; then
        run gtk-update-icon-cache -q -t -f /usr/local/share/icons/hicolor || warn "icon cache not updated"
    fi
    if command -v update-desktop-database > /dev/null; then
        run update-desktop-database -q /usr/local/share/applications || warn "desktop database not updated"
    fi
fi

if [ -z "$root" ]; then
    if getent group zelvane > /dev/null; then
        say "group zelvane exists"
    else
        say "creating the group zelvane"
        run groupadd --system zelvane
    fi
    if [ -n "$add_user" ]; then
        if id -nG "$add_user" | tr ' ' '\n' | grep -qx zelvane; then
            say "$add_user is in the group zelvane already"
        else
            say "adding $add_user to the group zelvane (effective at the next login)"
            run usermod -a -G zelvane "$add_user"
        fi
    fi
fi

say "udev rule into $rules_dir/"
run install -D -m 0644 "$repo/res/linux/70-zelvane.rules" "$rules_dir/70-zelvane.rules"

if [ -n "$root" ]; then
    say "staged under $root: create the group zelvane and reload udev on the target machine"
else
    if ! command -v udevadm > /dev/null; then
        warn "udevadm not found: the rule applies once udev is installed and running"
    elif ! udev_runs; then
        warn "udev does not run here: the rule applies when it starts (or after a reboot)"
    else
        say "making udev apply the rule to the devices present"
        run udevadm control --reload
        run udevadm trigger --subsystem-match=scsi_generic
    fi
fi

say "done. Users of the group zelvane start it from the menu or with: zelvane"
