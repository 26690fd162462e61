#!/bin/sh
# How sharp Mavren's pictures are: for each photo of a small set of real ones (from
# Debian's wallpaper packages, fetched once with apt-get download), each picture a photo
# program makes of it (web copy 1600, phone copy 800, thumbnail 240 and its double 480,
# thumbnail 120) is compared with a reference, a Lanczos3 resize of the whole, unshrunk
# decode to the same size (vips resize, no box shrink first), by SSIM on luminance
# (ssim.py). GraphicsMagick's `gm convert -resize WxH!` (Lanczos, its filter for reducing)
# at the same quality is scored beside it. Prints a table and the worst difference; exit
# status 1 when Mavren scores lower than gm by more than 0.005 on any photo and size.
#
# usage: bench/quality/run.sh [BUILD]   (photos cached in $MAVREN_BENCH_CACHE/quality)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}/quality"
allowed=0.005

for tool in gm vips vipsheader; do
    command -v $tool >/dev/null || { echo "quality: $tool is missing (make bench installs it)"; exit 1; }
done
/usr/bin/python3 -c 'import skimage' 2>/dev/null ||
    { echo "quality: python3-skimage is missing (make bench installs it)"; exit 1; }

set_folder=$(sh "$here/reference_photos.sh" "$cache")
echo "photos: $set_folder"

work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-quality.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Two sites as a new photo program makes them: thumbnails of 240 (with doubles of 480)
# and of 120.
for box in 240 120; do
    mkdir -p "$work/site$box"
    "$cli" new --source "$set_folder" --target "$work/site$box" --folder "$work" \
        --name "q$box" --yes >/dev/null
    "$cli" set "$work/q$box.mav" Photo-Web-Size=1600 Thumbnail-Size=$box >/dev/null
    "$cli" generate --quiet "$work/q$box.mav" >/dev/null
done

# The output of Mavren for source NAME at OUTPUT (Web/NAME, Thumbs/TN_NAME, ...): the name
# itself, or with ".jpg" added for a picture converted to JPEG.
output_of() {
    for candidate in "$1" "$1.jpg"; do
        [ -f "$candidate" ] && { echo "$candidate"; return; }
    done
}

# The reference of SOURCE at WIDTH x HEIGHT into FILE: decoded whole, upright, in sRGB,
# on white, then one Lanczos3 resize.
reference() {
    vips autorot "$1" "$work/full.v"
    if vipsheader -a "$work/full.v" | grep -q '^icc-profile-data'; then
        vips icc_transform "$work/full.v" "$work/srgb.v" srgb --embedded
        mv "$work/srgb.v" "$work/full.v"
    fi
    if [ "$(vipsheader -f bands "$work/full.v")" = 4 ] || [ "$(vipsheader -f bands "$work/full.v")" = 2 ]; then
        vips flatten "$work/full.v" "$work/flat.v" --background 255
        mv "$work/flat.v" "$work/full.v"
    fi
    w=$(vipsheader -f width "$work/full.v")
    h=$(vipsheader -f height "$work/full.v")
    hscale=$(awk -v a="$2" -v b="$w" 'BEGIN { printf "%.12f", a / b }')
    vscale=$(awk -v a="$3" -v b="$h" 'BEGIN { printf "%.12f", a / b }')
    vips resize "$work/full.v" "$4" "$hscale" --vscale "$vscale" --kernel lanczos3 --gap 0
}

printf '%-18s %-8s %11s %7s %7s %8s\n' photo picture size mavren gm difference
: >"$work/rows"
for name in $(ls "$set_folder"); do
    source="$set_folder/$name"
    for kind in web phone thumb240 thumb480 thumb120; do
        case $kind in
            web) out=$(output_of "$work/site240/Web/$name"); quality=82 ;;
            phone) out=$(output_of "$work/site240/Web/Small/$name"); quality=82 ;;
            thumb240) out=$(output_of "$work/site240/Thumbs/TN_$name"); quality=75 ;;
            thumb480) out=$(output_of "$work/site240/Thumbs/2x/TN_$name"); quality=75 ;;
            thumb120) out=$(output_of "$work/site120/Thumbs/TN_$name"); quality=75 ;;
        esac
        [ -n "$out" ] || continue
        width=$(vipsheader -f width "$out")
        height=$(vipsheader -f height "$out")
        # A copy at the source's own size is the source itself: nothing to compare.
        [ "$width" != "$(vipsheader -f width "$source")" ] || continue
        reference "$source" "$width" "$height" "$work/reference.png"
        case $out in
            *.png) gm_out="$work/gm.png" ;;
            *) gm_out="$work/gm.jpg" ;;
        esac
        gm convert "$source" -auto-orient -strip -resize "${width}x${height}!" \
            -quality $quality "$gm_out"
        set -- $(/usr/bin/python3 "$here/ssim.py" "$work/reference.png" "$out" "$gm_out")
        difference=$(awk -v m="$1" -v g="$2" 'BEGIN { printf "%+.4f", m - g }')
        printf '%-18s %-8s %11s %7s %7s %8s\n' "$name" "$kind" "${width}x$height" "$1" "$2" \
            "$difference" | tee -a "$work/rows"
    done
done

worst=$(sort -k6 -g "$work/rows" | head -1)
echo "SSIM on luminance against a Lanczos3 resize of the whole decode; gm at the same quality"
echo "worst difference (mavren - gm): $worst"
worst_value=$(echo "$worst" | awk '{ print $6 }')
if awk -v d="$worst_value" -v a="$allowed" 'BEGIN { exit !(d < -a) }'; then
    echo "quality: mavren is below gm by more than $allowed"
    exit 1
fi
