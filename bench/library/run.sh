#!/bin/sh
# Times a photo library made into albums: 20,000 photos of 2 megapixels (1732 x 1155 JPEGs)
# in 400 albums three levels deep (year / topic / album, names with spaces and non-ASCII
# letters), against a library a tenth that size of the same kind. Mavren makes each
# album's thumbnails (120) and web copies (1600, quality 82) in a cold run, then reruns
# with nothing changed, with one photo added to one album and with it removed again.
# Beside it, in the same run, GraphicsMagick makes the same thumbnails and web copies of
# every photo, two processes at a time. Prints seconds, peak memory, ratios and the goals.
#
# usage: bench/library/run.sh [BUILD] [PHOTOS]
#   PHOTOS (or $MAVREN_BENCH_LIBRARY_PHOTOS) defaults to 20000, in PHOTOS / 50 albums
#   ($MAVREN_BENCH_LIBRARY_ALBUMS); the smaller library has a tenth of both. The libraries
#   are made once and kept in $MAVREN_BENCH_LIBRARY (default BUILD/bench-library).
#   MAVREN_BENCH_LIBRARY_GM=small runs GraphicsMagick on the smaller library only (it takes
#   about an hour for 20,000 photos on two cores).
set -eu

build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
photos=${2:-${MAVREN_BENCH_LIBRARY_PHOTOS:-20000}}
albums=${MAVREN_BENCH_LIBRARY_ALBUMS:-$((photos / 50))}
small_photos=$((photos / 10))
small_albums=$((albums / 10))
[ "$small_albums" -ge 1 ] || small_albums=1
cache="${MAVREN_BENCH_LIBRARY:-$build/bench-library}"
sources=48  # distinct pictures; every photo of the library is a hard link to one of them

for tool in gm /usr/bin/time; do
    command -v $tool >/dev/null || { echo "library: $tool is missing (make bench installs it)"; exit 1; }
done
[ -x "$cli" ] || { echo "library: $cli is missing; build mavren-cli first"; exit 1; }
if [ "$albums" -lt 1 ] || [ "$photos" -lt "$albums" ] || [ "$small_photos" -lt "$small_albums" ]; then
    echo "library: $photos photos cannot fill $albums albums, nor a tenth of them a tenth"
    exit 1
fi

mkdir -p "$cache"
cache=$(cd "$cache" && pwd)  # the programs store their source folders as given

# The sources: fractal plasma, which compresses and scales about as a real photo does. Made two
# at a time; a file appears only when whole, so a stopped run leaves nothing half made.
mkdir -p "$cache/sources"
i=0
while [ $i -lt $sources ]; do
    name=$(printf 'source%02d.jpg' $i)
    [ -e "$cache/sources/$name" ] || echo "$name"
    i=$((i + 1))
done | OMP_NUM_THREADS=1 xargs -r -P 2 -I{} sh -c \
    'gm convert -size 1732x1155 plasma:fractal -quality 88 "$1/tmp-$2" && mv "$1/tmp-$2" "$1/$2"' \
    sh "$cache/sources" {}

# The Nth (from 0) of the remaining arguments.
nth() {
    n=$1
    shift
    shift "$n"
    echo "$1"
}

# Makes library FOLDER of PHOTOS photos in ALBUMS albums, unless it is there already: ten
# years (fewer for few albums), four topics in each, the albums spread over them in order.
make_library() {
    folder=$1
    count=$2
    albums_wanted=$3
    [ -e "$folder.done" ] && return 0
    echo "library: making $folder ($count photos in $albums_wanted albums, hard links)"
    rm -rf "$folder"
    years=10
    [ "$albums_wanted" -ge 40 ] || years=$(((albums_wanted + 3) / 4))
    per_topic=$(((albums_wanted + years * 4 - 1) / (years * 4)))
    album=0
    photo=0
    while [ $album -lt "$albums_wanted" ]; do
        topic=$(nth $(((album / per_topic) % 4)) "Family & friends" "Reisen über Land" \
            "Été à la mer" "Garden work")
        y=$((album / (per_topic * 4)))
        place=$(nth $((album % 10)) Ålesund Kraków "São Paulo" Zürich Reykjavík \
            "Main Street" Cádiz Łódź Tromsø "Old town")
        dir="$folder/$((2015 + y))/$topic/$(printf '%03d' $album) $place"
        mkdir -p "$dir"
        # Album A holds the photos from A * COUNT / ALBUMS on, so the counts differ by one at most.
        last=$(((album + 1) * count / albums_wanted))
        while [ $photo -lt $last ]; do
            ln "$cache/sources/$(printf 'source%02d.jpg' $((photo % sources)))" \
                "$dir/$(printf 'IMG_%05d.jpg' $photo)"
            photo=$((photo + 1))
        done
        album=$((album + 1))
    done
    : >"$folder.done"
}

small="$cache/library-$small_photos-$small_albums"
large="$cache/library-$photos-$albums"
echo "libraries: $small and $large (made once)"
make_library "$small" "$small_photos" "$small_albums"
make_library "$large" "$photos" "$albums"
cat "$cache"/sources/source*.jpg >/dev/null  # into the page cache, for every tool alike

load_before=$(uptime | sed 's/.*load average: //')
work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-library.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Each output (a site, or GraphicsMagick's pictures) holds about a copy and a web copy of
# every photo; refuse a run the disk cannot hold rather than fill it.
source_kb=$(du -sk "$cache/sources" | cut -f1)
need_kb=$((source_kb * photos * 5 / 2 / sources))
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
[ "$free_kb" -gt "$need_kb" ] ||
    { echo "library: $((need_kb / 1024)) MB needed in $work, $((free_kb / 1024)) MB free"; exit 1; }

# Runs a command under /usr/bin/time -v and writes "SECONDS KILOBYTES" (wall time, peak
# resident size) to file $1.
measure() {
    out=$1
    shift
    if ! /usr/bin/time -v -o "$work/time" "$@" >/dev/null 2>"$work/stderr"; then
        cat "$work/stderr" >&2
        exit 1
    fi
    awk -F': ' '
        /Elapsed \(wall clock\)/ {
            n = split($2, part, ":")
            seconds = n == 3 ? part[1] * 3600 + part[2] * 60 + part[3] : part[1] * 60 + part[2]
        }
        /Maximum resident set size/ { kilobytes = $2 }
        END { print seconds, kilobytes }' "$work/time" >"$out"
}

seconds() { cut -d' ' -f1 <"$work/$1"; }
megabytes() { awk '{ printf "%.1f\n", $2 / 1024 }' "$work/$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }
# "met" when A < B (or A <= B with a third argument "or equal").
goal() {
    awk -v a="$1" -v b="$2" -v e="${3:-}" 'BEGIN { print (a < b || (e != "" && a <= b)) ? "met" : "missed" }'
}

# GraphicsMagick: one photo read once, its web copy and its thumbnail written, both upright
# and without metadata; every photo of a library, two processes at a time.
cat >"$work/gm-one" <<'EOF'
name=$(basename "$1" .jpg)
gm convert "$1" -auto-orient -strip -resize 1600x1600 -quality 82 -write "$2/web/$name.jpg" \
    -resize 120x120 "$2/thumbnails/$name.jpg"
EOF
gm_run() {  # LIBRARY RESULT
    rm -rf "$work/gm" && mkdir -p "$work/gm/web" "$work/gm/thumbnails"
    measure "$work/$2" sh -c 'find "$1" -name "*.jpg" -print0 |
        OMP_NUM_THREADS=1 xargs -0 -P 2 -I{} sh "$2/gm-one" {} "$2/gm"' sh "$1" "$work"
    rm -rf "$work/gm"
}
gm_run "$small" gm-small
gm_large=yes
if [ "${MAVREN_BENCH_LIBRARY_GM:-all}" = small ]; then
    gm_large=no
else
    gm_run "$large" gm-large
fi

# Mavren: albums are asked for with new --albums; until that option exists, with the
# program's Include-Subfolders key; without either, Mavren is not measured.
program() {  # LIBRARY NAME
    albums_option=
    "$cli" new --help 2>&1 | grep -q -- --albums && albums_option=--albums
    mkdir -p "$work/$2-site"
    # shellcheck disable=SC2086  # the option is empty or one word
    "$cli" new --source "$1" --target "$work/$2-site" --folder "$work" --name "$2" \
        $albums_option --yes >/dev/null
    if [ -z "$albums_option" ] &&
        ! "$cli" set "$work/$2.mav" Include-Subfolders=Yes >/dev/null 2>&1; then
        return 1
    fi
    "$cli" set "$work/$2.mav" Thumbnail-Size=120 Photo-Web-Size=1600 Photo-Web-Quality=82 \
        >/dev/null
}

built=no
if program "$small" small && program "$large" large; then
    built=yes
    measure "$work/cold-small" "$cli" generate "$work/small.mav" --quiet
    rm -rf "$work/small-site"
    measure "$work/cold" "$cli" generate "$work/large.mav" --quiet
    measure "$work/warm" "$cli" generate "$work/large.mav" --quiet
    # A copy, not a link: a photo new to the library, with a time of its own.
    album=$(dirname "$(find "$large" -name 'IMG_*.jpg' | sort | head -1)")
    cp "$cache/sources/source00.jpg" "$album/IMG_added.jpg"
    trap 'rm -f "$album/IMG_added.jpg"; rm -rf "$work"' EXIT INT TERM
    measure "$work/added" "$cli" generate "$work/large.mav" --quiet
    rm "$album/IMG_added.jpg"
    measure "$work/removed" "$cli" generate "$work/large.mav" --quiet
fi

printf 'load average before: %s, after: %s\n' "$load_before" \
    "$(uptime | sed 's/.*load average: //')"
printf '%d photos of 1732 x 1155 in %d albums (and %d in %d), thumbnails 120, web copies 1600, %d cores\n' \
    "$photos" "$albums" "$small_photos" "$small_albums" "$(nproc)"
printf '  %-32s %9s %9s %9s\n' what seconds "peak MB" "/ gm"
row() {  # WHAT RESULT [GM-RESULT]
    if [ -n "${3:-}" ]; then
        printf '  %-32s %9.2f %9s %9s\n' "$1" "$(seconds "$2")" "$(megabytes "$2")" \
            "$(ratio "$(seconds "$2")" "$(seconds "$3")")"
    else
        printf '  %-32s %9.2f %9s %9s\n' "$1" "$(seconds "$2")" "$(megabytes "$2")" -
    fi
}
row "gm, $small_photos photos" gm-small
if [ $gm_large = yes ]; then
    row "gm, $photos photos" gm-large
else
    printf '  %-32s %9s\n' "gm, $photos photos" "not run"
fi
if [ $built = no ]; then
    echo "  mavren: albums are not built yet (no new --albums, no Include-Subfolders key);"
    echo "  nothing of mavren measured"
    exit 0
fi
row "mavren cold, $small_photos photos" cold-small gm-small
if [ $gm_large = yes ]; then
    row "mavren cold, $photos photos" cold gm-large
else
    row "mavren cold, $photos photos" cold
fi
row "mavren warm, nothing changed" warm
row "mavren, one photo added" added
row "mavren, that photo removed" removed

scale=$(ratio "$photos" "$small_photos")
limit=$(awk -v s="$scale" 'BEGIN { printf "%.2f\n", s * 1.05 }')
growth=$(ratio "$(seconds cold)" "$(seconds cold-small)")
peak=$(cat "$work/cold-small" "$work/cold" "$work/warm" "$work/added" "$work/removed" |
    cut -d' ' -f2 | sort -n | tail -1)
peak_mb=$(awk -v k="$peak" 'BEGIN { printf "%.1f\n", k / 1024 }')
echo "goals:"
printf '  %-28s %8s     %-14s %s\n' "cold $photos / cold $small_photos" "$growth" "at most $limit" \
    "$(goal "$growth" "$limit" or-equal)"
printf '  %-28s %8s MB  %-14s %s\n' "peak memory of mavren" "$peak_mb" "under 200" \
    "$(goal "$peak_mb" 200)"
printf '  %-28s %8.2f s   %-14s %s\n' "warm rerun" "$(seconds warm)" "under 2" \
    "$(goal "$(seconds warm)" 2)"
printf '  %-28s %8.2f s   %-14s %s\n' "one photo added" "$(seconds added)" "under 2" \
    "$(goal "$(seconds added)" 2)"
