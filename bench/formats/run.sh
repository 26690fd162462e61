#!/bin/sh
# JPEG, WebP and AVIF copies of real photos compared: each photo (KDE Plasma's wallpaper
# photographs, fetched once from Debian with apt-get download into the cache) is decoded
# whole and resized with Lanczos3 to a web copy (1600 px) and a 2x thumbnail (300 px); each
# size is encoded as JPEG at the program's quality (82 for web copies, 75 for thumbnails)
# and as WebP and AVIF at the qualities the program pairs with it, and scored with SSIM
# against the resized pixels. Prints SSIM, bytes and seconds to encode per photo, then the
# mean over the photos at every WebP and AVIF quality, to choose the pairing from. Times are
# processor seconds, every thread counted.
#
# usage: bench/formats/run.sh [BUILD]   (photos cached in $MAVREN_BENCH_CACHE)
set -eu

build=$(cd "${1:-build}" && pwd)
bench="$build/bench/format_bench"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
photos="$cache/format-photos"
[ -x "$bench" ] || { echo "formats: $bench is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }

# The qualities src/media/picture_set.cpp pairs with JPEG 82 and 75.
webp82=${WEBP82:-80} avif82=${AVIF82:-65}
webp75=${WEBP75:-69} avif75=${AVIF75:-55}

if [ ! -d "$photos/x" ]; then
    mkdir -p "$photos"
    (cd "$photos" && apt-get download plasma-workspace-wallpapers >/dev/null &&
        dpkg-deb -x plasma-workspace-wallpapers_*.deb x && rm -f plasma-workspace-wallpapers_*.deb)
fi
set --
mkdir -p "$photos/set"
for name in Autumn BytheWater ColorfulCups FallenLeaf Path SafeLanding OneStandsOut Canopee MilkyWay; do
    # The largest picture of each, JPEG or PNG photographs of 2560 to 5120 pixels, by the
    # wallpaper's name.
    file=$(ls -S "$photos"/x/usr/share/wallpapers/$name/contents/images/* | head -n 1)
    ln -sfn "$file" "$photos/set/$name.${file##*.}"
    set -- "$@" "$photos/set/$name.${file##*.}"
done

echo "machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), libvips $(vips --version 2>/dev/null | sed "s/^vips-//"), $(nproc) cores"
"$bench" report 82 "$webp82" "$avif82" 1600 "$@" 2>/dev/null
"$bench" report 75 "$webp75" "$avif75" 300 "$@" 2>/dev/null
"$bench" search "$@" 2>/dev/null
