#!/bin/sh
# Times mavren-cli generate over 200 photo-like 4000 x 3000 JPEGs: a cold run (empty
# target) and a warm run (nothing changed), against what any tool pays (djpeg -scale 1/8
# of every file, one process per core, plus cp of the files) and against GraphicsMagick's
# thumbnailer; then 2000 photos against 200. Prints seconds, ratios and peak memory.
#
# usage: bench/generate/run.sh [BUILD]   (corpora cached in $MAVREN_BENCH_CACHE)
set -eu

build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
maker="$build/bench/thumbnail_bench"  # the thumbnail benchmark's corpus maker
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
cores=$(nproc)
rounds=${MAVREN_BENCH_ROUNDS:-3}

for tool in djpeg gm /usr/bin/time; do
    command -v $tool >/dev/null || { echo "generate: $tool is missing (make bench installs it)"; exit 1; }
done
[ -x "$maker" ] || { echo "generate: $maker is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }

corpus="$cache/generate-200"
large="$cache/generate-2000"
echo "corpus: $corpus (made once)"
"$maker" corpus "$corpus" 200 >/dev/null
if [ "$(ls "$large" 2>/dev/null | grep -c '^photo.*\.jpg$')" -lt 2000 ]; then
    # Ten names for each of the 200 pictures: the same work per file, no extra disk.
    mkdir -p "$large"
    i=0
    while [ $i -lt 2000 ]; do
        name=$(printf 'photo%04d.jpg' $i)
        [ -e "$large/$name" ] || ln "$corpus/$(printf 'photo%03d.jpg' $((i % 200)))" "$large/$name"
        i=$((i + 1))
    done
fi
cat "$corpus"/photo*.jpg >/dev/null  # into the page cache, as for the other tools

load_before=$(uptime | sed 's/.*load average: //')
work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-generate.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Runs a command and appends "WALL CPU" seconds to file $1 (CPU: user and system time of
# the command and its children, which the load of other programs changes far less than
# the wall time) and its peak kilobytes to the file of the same name ending in -peak.
measure() {
    out=$1
    shift
    if ! /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr"; then
        cat "$work/stderr" >&2
        exit 1
    fi
    read -r seconds kilobytes user system <"$work/time"
    echo "$seconds $(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')" >>"$out"
    echo "$kilobytes" >>"$out-peak"
}

best() { sort -n | head -1 | cut -d' ' -f1; }
cpu() { sort -n | head -1 | cut -d' ' -f2; }
ratio() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { printf "%.2f\n", a * f / b }'; }

program() {  # SOURCE TARGET NAME
    mkdir -p "$2"
    "$cli" new --source "$1" --target "$2" --folder "$work" --name "$3" >/dev/null
    # Thumbnails and copies only, as before photo pages: bench/photos times those.
    "$cli" set "$work/$3.mav" Photo-Web-Size=0 Photo-Camera-Captions=No >/dev/null
}

program "$corpus" "$work/site" photos200
program "$large" "$work/site2000" photos2000

: >"$work/times-cold"
: >"$work/times-warm"
: >"$work/times-floor"
: >"$work/times-gm"
r=0
while [ $r -lt "$rounds" ]; do
    rm -rf "$work/site"
    measure "$work/times-cold" "$cli" generate --quiet "$work/photos200.mav"
    measure "$work/times-warm" "$cli" generate --quiet "$work/photos200.mav"

    # The floor: decode every file at 1/8 scale, one process per core, then copy them all.
    rm -rf "$work/copy" && mkdir "$work/copy"
    measure "$work/times-floor" sh -c "ls '$corpus'/photo*.jpg |
        xargs -P $cores -n 1 sh -c 'djpeg -scale 1/8 \"\$0\" >/dev/null' &&
        cp '$corpus'/photo*.jpg '$work/copy/'"

    # GraphicsMagick's thumbnailer, one process per core on a share of the files each.
    rm -rf "$work/gm" && mkdir "$work/gm"
    measure "$work/times-gm" sh -c "cd '$corpus' && ls photo*.jpg |
        xargs -P $cores -n $((200 / cores + 1)) env OMP_NUM_THREADS=1 gm mogrify \
        -output-directory '$work/gm' -size 240x240 -thumbnail 120x120 -auto-orient -quality 75"
    r=$((r + 1))
done

measure "$work/times-large" "$cli" generate --quiet "$work/photos2000.mav"
large=$(best <"$work/times-large")
rm -rf "$work/site2000"

cold=$(best <"$work/times-cold")
warm=$(best <"$work/times-warm")
floor=$(best <"$work/times-floor")
gm=$(best <"$work/times-gm")
peak=$(cat "$work/times-cold-peak" "$work/times-warm-peak" "$work/times-large-peak" | sort -n |
    tail -1)

printf 'load average before: %s, after: %s\n' "$load_before" \
    "$(uptime | sed 's/.*load average: //')"
printf '200 photos, best of %d rounds, %d cores\n' "$rounds" "$cores"
printf '  mavren cold            %7.2f s   (CPU %s s)\n' "$cold" "$(cpu <"$work/times-cold")"
printf '  mavren warm            %7.2f s   %s %% of cold      (target <= 2 %%)\n' "$warm" \
    "$(ratio "$warm" "$cold" 100)"
printf '  floor (djpeg 1/8 + cp) %7.2f s   cold / floor %s  (target <= 1.10)   (CPU %s s)\n' \
    "$floor" "$(ratio "$cold" "$floor" 1)" "$(cpu <"$work/times-floor")"
printf '  gm mogrify -thumbnail  %7.2f s   cold / gm    %s  (target <= 1.00)   (CPU %s s)\n' \
    "$gm" "$(ratio "$cold" "$gm" 1)" "$(cpu <"$work/times-gm")"
printf '  peak memory of mavren  %7.1f MB  (target < 250 MB)\n' "$(ratio "$peak" 1024 1)"
printf '2000 photos, cold        %7.2f s   2000 / 200   %s  (target <= 11)\n' "$large" \
    "$(ratio "$large" "$cold" 1)"
