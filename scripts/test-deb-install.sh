#!/bin/sh
# Installs the Mavren package with apt into a bare Debian 12 root (debootstrap
# --variant=minbase) and tries it there as a new user would: the programs on PATH, their
# version, the sample photos generated from the installed examples, "mavren-cli themes"
# when there is such a command; then removes the package and checks that nothing is left
# but the user's own files. Needs root and Debian's package servers.
#
# usage: scripts/test-deb-install.sh PACKAGE.deb
# The bare root is made once and kept as a tar file in ~/.cache/mavren-deb-root
# (MAVREN_ROOT_CACHE), with the packages apt fetched; each run unpacks a fresh copy.
set -eu

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PACKAGE.deb" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "$0: needs root (debootstrap, chroot, mount)" >&2
    exit 2
fi
package=$(realpath "$1")
name=$(basename "$package")
version=$(dpkg-deb -f "$package" Version)
mirror=http://deb.debian.org/debian
cache=${MAVREN_ROOT_CACHE:-${HOME:-/root}/.cache/mavren-deb-root}
tarball=$cache/bookworm-minbase.tar
root=$(mktemp -d /tmp/mavren-root.XXXXXX)
started=$(date +%s)

cleanup() {
    for mount in "$root/var/cache/apt/archives" "$root/dev" "$root/proc"; do
        if mountpoint -q "$mount"; then
            umount "$mount"
        fi
    done
    rm -rf "$root"
}
trap cleanup EXIT INT TERM

step() {
    echo "== $* ($(($(date +%s) - started)) s)"
}

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

if [ ! -f "$tarball" ]; then
    step "Making a bare Debian 12 root with debootstrap"
    mkdir -p "$cache"
    fresh=$(mktemp -d /tmp/mavren-debootstrap.XXXXXX)
    debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        { tail -20 "$cache/debootstrap.log"; rm -rf "$fresh"; fail "debootstrap"; }
    tar -C "$fresh" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
    rm -rf "$fresh"
fi

step "Unpacking the bare root"
tar -C "$root" -xf "$tarball"
# The root's own "/" must let the test user in, as any system's does (the copy kept the
# mode of debootstrap's temporary folder).
chmod 755 "$root"
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
# The packages apt fetches are kept beside the bare root for the next run.
mkdir -p "$cache/archives/partial"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 "$@"
}
as_user() {
    chroot --userspec=ann:ann "$root" env -i HOME=/home/ann PATH=/usr/local/bin:/usr/bin:/bin \
        LC_ALL=C.UTF-8 "$@"
}

# Every path of the system (users' homes and apt's and dpkg's own records aside), to
# compare after the package is gone.
system_files() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./home \
        -o -path ./root -o -path ./run -o -path ./var/lib/apt -o -path ./var/lib/dpkg \
        -o -path ./var/cache -o -path ./var/log \) -prune -o -print | sort)
}

step "Installing $name with apt"
in_root useradd --create-home ann
in_root apt-get update -q >/dev/null
system_files >"$root/tmp/before"
cp "$package" "$root/tmp/$name"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "/tmp/$name" >"$root/tmp/install.log" 2>&1 || { tail -30 "$root/tmp/install.log"; fail "apt install"; }

step "Trying the installed programs as a user"
for program in mavren mavren-cli; do
    found=$(as_user sh -c "command -v $program") || fail "$program is not on PATH"
    echo "$program: $found"
    shown=$(as_user "$program" --version | head -1) || fail "$program --version"
    [ "$shown" = "$program $version" ] || fail "$program --version says '$shown', not '$program $version'"
done
for file in /usr/share/man/man1/mavren.1.gz /usr/share/man/man1/mavren-cli.1.gz \
    /usr/share/bash-completion/completions/mavren-cli \
    /usr/share/applications/org.example.mavren.desktop \
    /usr/share/metainfo/org.example.mavren.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/mavren.png; do
    [ -f "$root$file" ] || fail "$file is not installed"
done

examples=/usr/share/doc/mavren/examples
[ -d "$root$examples/photos" ] || fail "no sample photos in $examples"
as_user cp -r "$examples/photos" /home/ann/photos
as_user mavren-cli new --source /home/ann/photos --target /home/ann/site --yes >/dev/null ||
    fail "mavren-cli new"
start=$(as_user mavren-cli generate --quiet /home/ann/photos.mav) || fail "mavren-cli generate"
[ "$start" = /home/ann/site/INDEX000.HTM ] || fail "generate printed '$start'"
sources=$(find "$root/home/ann/photos" -name '*.jpg' -o -name '*.png' | wc -l)
# The sample clip's thumbnail is made from its poster frame, by ffmpeg when it is there.
if [ -x "$root/usr/bin/ffmpeg" ]; then
    sources=$((sources + $(find "$root/home/ann/photos" -name '*.mp4' | wc -l)))
fi
thumbnails=$(find "$root/home/ann/site/Thumbs" -name 'TN_*' | wc -l)
[ "$thumbnails" -eq "$sources" ] ||
    fail "$thumbnails thumbnails for $sources JPEG and PNG photos and videos"
grep -q 'CONTENT="Mavren 1.0"' "$root/home/ann/site/INDEX000.HTM" || fail "no generator mark"
echo "generated $(find "$root/home/ann/site" -name '*.HTM' | wc -l) pages and $thumbnails thumbnails"
if as_user mavren-cli --help | grep -q '^  themes '; then
    as_user mavren-cli themes >/dev/null || fail "mavren-cli themes"
    echo "mavren-cli themes: listed"
else
    echo "mavren-cli themes: no such command in this version"
fi

step "Removing the package"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q --autoremove mavren \
    >"$root/tmp/remove.log" 2>&1 || { tail -30 "$root/tmp/remove.log"; fail "apt purge"; }
system_files >"$root/tmp/after"
if ! diff "$root/tmp/before" "$root/tmp/after" >"$root/tmp/left"; then
    cat "$root/tmp/left"
    fail "removing the package left files behind (above)"
fi
[ -f "$root/home/ann/site/INDEX000.HTM" ] || fail "the user's site went with the package"

step "Passed"
