#!/bin/sh
# Times a photo site: 200 photos of 12 megapixels (4000 x 3000 JPEGs) with web-size
# pictures (1600 pixels, and 800 for phones) and thumbnails at 1x and 2x, each as JPEG and
# WebP, as a new picture program makes it. Beside it, in the same run, the two tools a user
# would script instead, each on two processes, writing three pictures of each photo (web
# copy, 2x and 1x thumbnail, no metadata, upright) in both formats: GraphicsMagick with a
# size hint, and vipsthumbnail (the thumbnails then made from its web copy). Then a warm rerun
# with nothing changed. Then real photos of mixed formats (the reference photos of
# bench/quality, JPEGs and PNGs, and a HEIC made from one of them), as a new program makes
# them and as a program made before WebP copies and JPEG copies of PNGs: seconds, peak memory
# and the bytes a phone (390 CSS pixels wide at 3 device pixels each) downloads per photo
# page. Prints seconds, ratios and peak memory.
#
# usage: bench/photos/run.sh [BUILD]   (corpus cached in $MAVREN_BENCH_CACHE;
#        MAVREN_BENCH_PHOTOS=N takes the first N photos of it, for a quick look)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
maker="$build/bench/thumbnail_bench"  # the thumbnail benchmark's corpus maker
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
rounds=${MAVREN_BENCH_ROUNDS:-3}

for tool in gm vipsthumbnail /usr/bin/time; do
    command -v $tool >/dev/null || { echo "photos: $tool is missing (make bench installs it)"; exit 1; }
done
[ -x "$maker" ] || { echo "photos: $maker is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }

count=${MAVREN_BENCH_PHOTOS:-200}
made="$cache/generate-200"
echo "corpus: $made (made once)"
"$maker" corpus "$made" "$count" >/dev/null

load_before=$(uptime | sed 's/.*load average: //')
work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-photos.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Runs a command and appends its wall seconds to file $1 and its peak kilobytes to the
# file of the same name ending in -peak.
measure() {
    out=$1
    shift
    if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr"; then
        cat "$work/stderr" >&2
        exit 1
    fi
    read -r seconds kilobytes <"$work/time"
    echo "$seconds" >>"$out"
    echo "$kilobytes" >>"$out-peak"
}

best() { sort -n | head -1; }
ratio() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { printf "%.2f\n", a * f / b }'; }

# The photos every tool reads: the first COUNT of the corpus.
corpus="$work/photos"
mkdir -p "$corpus"
ls "$made"/photo*.jpg | head -n "$count" | while read -r photo; do ln -s "$photo" "$corpus/"; done
cat "$corpus"/photo*.jpg >/dev/null  # into the page cache, for every tool alike

mkdir -p "$work/site"
"$cli" new --source "$corpus" --target "$work/site" --folder "$work" --name photos \
    --yes >/dev/null
"$cli" set "$work/photos.mav" Photo-Web-Size=1600 Thumbnail-Size=120 >/dev/null

# One photo in each tool: read once (vipsthumbnail: once per format), three pictures out, each
# as JPEG and as WebP at the qualities Mavren gives them (WebP 80 beside JPEG 82, 69 beside 75).
cat >"$work/gm-one" <<'EOF'
name=$(basename "$1" .jpg)
gm convert -size 1600x1600 "$1" -auto-orient -strip -resize 1600x1600 \
    -quality 82 -write "$2/web/$name.jpg" -quality 80 -write "$2/web/$name.webp" \
    -resize 240x240 -quality 75 -write "$2/2x/$name.jpg" -quality 69 -write "$2/2x/$name.webp" \
    -resize 120x120 -quality 75 -write "$2/1x/$name.jpg" -quality 69 "$2/1x/$name.webp"
EOF
cat >"$work/vips-one" <<'EOF'
name=$(basename "$1" .jpg)
vipsthumbnail "$1" -s 1600 -o "$2/web/%s.jpg[Q=82,strip]"
vipsthumbnail "$1" -s 1600 -o "$2/web/%s.webp[Q=80,strip]"
for size in 2x:240 1x:120; do
    vipsthumbnail "$2/web/$name.jpg" -s "${size#*:}" -o "$2/${size%:*}/%s.jpg[Q=75,strip]"
    vipsthumbnail "$2/web/$name.jpg" -s "${size#*:}" -o "$2/${size%:*}/%s.webp[Q=69,strip]"
done
EOF
# Every photo through one of them, two processes at a time: SCRIPT OUTPUT.
cat >"$work/tool-run" <<EOF
rm -rf "\$2" && mkdir -p "\$2/web" "\$2/2x" "\$2/1x"
ls "$corpus"/photo*.jpg | OMP_NUM_THREADS=1 VIPS_CONCURRENCY=1 xargs -P 2 -I{} sh "\$1" {} "\$2"
EOF

: >"$work/times-cold"
: >"$work/times-warm"
: >"$work/times-gm"
: >"$work/times-vips"
r=0
while [ $r -lt "$rounds" ]; do
    rm -rf "$work/site" && mkdir "$work/site"
    measure "$work/times-cold" "$cli" generate --quiet "$work/photos.mav"
    measure "$work/times-warm" "$cli" generate --quiet "$work/photos.mav"
    measure "$work/times-gm" sh "$work/tool-run" "$work/gm-one" "$work/gm"
    measure "$work/times-vips" sh "$work/tool-run" "$work/vips-one" "$work/vips"
    r=$((r + 1))
done

cold=$(best <"$work/times-cold")
warm=$(best <"$work/times-warm")
gm=$(best <"$work/times-gm")
vips=$(best <"$work/times-vips")
faster=$(printf '%s\n%s\n' "$gm" "$vips" | sort -n | head -1)
peak=$(cat "$work/times-cold-peak" "$work/times-warm-peak" | sort -n | tail -1)

printf 'load average before: %s, after: %s\n' "$load_before" \
    "$(uptime | sed 's/.*load average: //')"
printf '%d photos of 12 MP, web copies 1600 and 800, thumbnails 1x and 2x, JPEG and WebP, best of %d, %d cores\n' \
    "$count" "$rounds" "$(nproc)"
printf '  mavren whole site       %7.2f s   / faster tool %s  (target <= 0.50)\n' "$cold" \
    "$(ratio "$cold" "$faster" 1)"
printf '  gm convert -size        %7.2f s\n' "$gm"
printf '  vipsthumbnail           %7.2f s\n' "$vips"
printf '  mavren warm rerun       %7.3f s   (target < 0.10 s)\n' "$warm"
printf '  peak memory of mavren   %7.1f MB  (target < 150 MB)\n' "$(ratio "$peak" 1024 1)"

# Real photos of mixed formats, before and after.
mixed="$work/mixed"
mkdir -p "$mixed"
cp "$(sh "$here/../quality/reference_photos.sh" "$cache/quality")"/* "$mixed/"
vips copy "$mixed/autumn.jpg" "$mixed/autumn-phone.heic[Q=50]"
cat "$mixed"/* >/dev/null
for kind in before after; do
    mkdir -p "$work/mixed-$kind"
    "$cli" new --source "$mixed" --target "$work/mixed-$kind" --folder "$work" \
        --name "mixed-$kind" --yes >/dev/null
    if [ $kind = before ]; then
        "$cli" set "$work/mixed-$kind.mav" Photo-WebP=No Photo-PNG-As-JPEG=No >/dev/null
    fi
    : >"$work/times-mixed-$kind"
    measure "$work/times-mixed-$kind" "$cli" generate --quiet "$work/mixed-$kind.mav"
done
printf 'real photos of mixed formats: %d (JPEG, PNG, HEIC), as a new program makes them\n' \
    "$(ls "$mixed" | wc -l)"
printf '  mavren whole site       %7.2f s   (%.2f s without WebP and JPEG copies of PNGs)\n' \
    "$(cat "$work/times-mixed-after")" "$(cat "$work/times-mixed-before")"
printf '  peak memory of mavren   %7.1f MB  (target < 150 MB)\n' \
    "$(ratio "$(cat "$work/times-mixed-after-peak")" 1024 1)"
browser_modules="$here/../../tests/browser/node_modules"
if [ -d "$browser_modules/puppeteer-core" ] && [ -x /usr/bin/chromium ]; then
    for kind in before after; do
        pages=$(cd "$work/mixed-$kind" && ls -- *.html | grep -v '^index.html$')
        # shellcheck disable=SC2086
        node "$here/page_bytes.mjs" "$work/mixed-$kind" $pages | tail -1 |
            awk '{ print $2 }' >"$work/bytes-$kind"
    done
    before=$(cat "$work/bytes-before")
    after=$(cat "$work/bytes-after")
    printf '  bytes per photo page, 390-px 3x phone: %d before, %d after (%s)\n' "$before" \
        "$after" "$(ratio "$after" "$before" 1)"
else
    echo "  (bytes per photo page: make test-deps installs chromium and puppeteer-core)"
fi
