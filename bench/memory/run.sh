#!/bin/sh
# Peak memory of mavren-cli generate on folders of large pictures of each kind, made here
# with libvips: 24-megapixel JPEGs (6000 x 4000), a 6000 x 4000 PNG with transparency, a
# 6000 x 4000 HEIC, animated GIFs, and all of them in one folder. Each as a new photo
# program makes it (web copies 1600 and 800, thumbnails 1x and 2x), with two jobs. Prints
# the peak resident megabytes of each case; exit status 1 when one is over 150 MB.
#
# usage: bench/memory/run.sh [BUILD]   (pictures cached in $MAVREN_BENCH_CACHE/memory)
set -eu

build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}/memory"
limit_mb=150

for tool in vips /usr/bin/time; do
    command -v $tool >/dev/null || { echo "memory: $tool is missing (make bench installs it)"; exit 1; }
done

# A 6000 x 4000 photo-like picture of three bands (or four with ALPHA=1) into FILE, from
# seeded noise, so that every run makes the same pictures.
picture() {
    file=$1
    seed=$2
    tmp="$cache/tmp"
    mkdir -p "$tmp"
    n=0
    for band in r g b; do
        n=$((n + 1))
        # Seeds are numbers: libvips takes no other.
        vips perlin "$tmp/$band-cells.v" 6000 4000 --cell-size 300 --seed $((seed * 10 + n))
        vips gaussnoise "$tmp/$band-noise.v" 6000 4000 --sigma 6 --seed $((seed * 10 + n))
        vips add "$tmp/$band-cells.v" "$tmp/$band-noise.v" "$tmp/$band-sum.v"
        vips linear "$tmp/$band-sum.v" "$tmp/$band.v" 120 128 --uchar
    done
    if [ "${ALPHA:-0}" = 1 ]; then
        vips perlin "$tmp/a-cells.v" 6000 4000 --cell-size 900 --seed $((seed * 10 + 9))
        vips linear "$tmp/a-cells.v" "$tmp/a.v" 400 128 --uchar
        vips bandjoin "$tmp/r.v $tmp/g.v $tmp/b.v $tmp/a.v" "$tmp/joined.v"
    else
        vips bandjoin "$tmp/r.v $tmp/g.v $tmp/b.v" "$tmp/joined.v"
    fi
    vips copy "$tmp/joined.v" "$tmp/srgb.v" --interpretation srgb
    vips copy "$tmp/srgb.v" "$file"
    rm -rf "$tmp"
}

# An animated GIF of 40 frames of 800 x 600 into FILE.
animation() {
    tmp="$cache/tmp"
    mkdir -p "$tmp"
    vips perlin "$tmp/cells.v" 800 24000 --cell-size 60 --seed 7
    vips linear "$tmp/cells.v" "$tmp/grey.v" 120 128 --uchar
    vips bandjoin "$tmp/grey.v $tmp/grey.v $tmp/grey.v" "$tmp/rgb.v"
    vips copy "$tmp/rgb.v" "$tmp/paged.v" --interpretation srgb
    vips gifsave "$tmp/paged.v" "$1" --page-height 600 2>/dev/null ||
        vips copy "$tmp/paged.v" "$1[page-height=600]"
    rm -rf "$tmp"
}

if [ ! -f "$cache/ready-2" ]; then
    echo "making the pictures in $cache (once)"
    rm -rf "$cache" && mkdir -p "$cache/jpeg" "$cache/png" "$cache/heic" "$cache/gif" "$cache/mixed"
    for i in 1 2 3 4 5 6 7 8; do
        picture "$cache/jpeg/photo$i.jpg[Q=92]" $i
    done
    ALPHA=1 picture "$cache/png/alpha.png" 20
    picture "$cache/heic/photo.heic[Q=60]" 30
    animation "$cache/gif/moving1.gif"
    cp "$cache/gif/moving1.gif" "$cache/gif/moving2.gif"
    cp "$cache/jpeg/photo1.jpg" "$cache/jpeg/photo2.jpg" "$cache/png/alpha.png" \
        "$cache/heic/photo.heic" "$cache/gif/moving1.gif" "$cache/mixed/"
    touch "$cache/ready-2"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
status=0
printf '%-8s %8s %9s\n' case pictures "peak MB"
for case in jpeg png heic gif mixed; do
    mkdir -p "$work/$case-site"
    "$cli" new --source "$cache/$case" --target "$work/$case-site" --folder "$work" \
        --name "$case" --yes >/dev/null
    "$cli" set "$work/$case.mav" Photo-Web-Size=1600 >/dev/null
    if ! /usr/bin/time -f %M -o "$work/peak" "$cli" generate --quiet --jobs 2 \
        "$work/$case.mav" >"$work/out" 2>&1; then
        cat "$work/out" >&2
        exit 1
    fi
    peak=$(awk '{ printf "%.1f", $1 / 1024 }' "$work/peak")
    printf '%-8s %8d %9s\n' "$case" "$(ls "$cache/$case" | wc -l)" "$peak"
    if awk -v p="$peak" -v l=$limit_mb 'BEGIN { exit !(p > l) }'; then
        status=1
    fi
done
exit $status
