#!/bin/sh
# Thumbnails of 100 photo-like 4000 x 3000 JPEGs (3 to 5 MB) into a 120 box: MakeThumbnail
# on one thread and on every core, vipsthumbnail over the same files, and the decoding
# floor, djpeg at 1/8 scale, one process at a time and one per core. Each figure is the
# best of $ROUNDS rounds (default 5), with the files already in the page cache, so that
# other work on the machine disturbs it less; CPU time is shown beside it. Exit status 1
# when a target is missed.
set -eu
build=${1:-build}
rounds=${ROUNDS:-5}
bench="$build/bench/thumbnail_bench"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
corpus="$cache/thumbnails-4000x3000"
cores=$(nproc)

for tool in djpeg vipsthumbnail; do
    command -v $tool >/dev/null || { echo "thumbnails: $tool is missing (make bench installs it)"; exit 1; }
done
[ -x "$bench" ] || { echo "thumbnails: $bench is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }

echo "corpus: $corpus (made once)"
"$bench" corpus "$corpus" 100
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT INT TERM
cat "$corpus"/photo*.jpg >/dev/null

# Each line of a results file: "wall cpu" in milliseconds per photo.
i=0
while [ $i -lt "$rounds" ]; do
    "$bench" spawn "$corpus" 1 djpeg -scale 1/8 -outfile /dev/null >>"$out/floor1"
    "$bench" time "$corpus" "$out/1" 1 120 >>"$out/ours1"
    "$bench" spawn "$corpus" "$cores" djpeg -scale 1/8 -outfile /dev/null >>"$out/floorN"
    "$bench" time "$corpus" "$out/n" "$cores" 120 >>"$out/oursN"
    "$bench" spawn "$corpus" 0 vipsthumbnail --size 120x120 -o "$out/vips_%s.jpg" >>"$out/vips"
    i=$((i + 1))
done
best() { sort -n "$out/$1" | head -1; }

echo "load: $(uptime | sed 's/.*load average/load average/')"
{ best floor1; best floorN; best ours1; best oursN; best vips; } | tr '\n' ' ' |
awk -v cores="$cores" -v rounds="$rounds" '{
    f1 = $1; fn = $3; o1 = $5; on = $7; vt = $9
    printf "ms per photo, best of %d rounds, %d cores (CPU ms per photo in brackets)\n", rounds, cores
    printf "  %-42s %7.2f  (%6.2f)\n", "djpeg -scale 1/8, one process at a time", f1, $2
    printf "  %-42s %7.2f  (%6.2f)\n", "djpeg -scale 1/8, one process per core", fn, $4
    printf "  %-42s %7.2f  (%6.2f)  %.2fx floor, target 1.15x\n", "MakeThumbnail, one thread", o1, $6, o1 / f1
    printf "  %-42s %7.2f  (%6.2f)  %.2fx floor, target 1.15x\n", "MakeThumbnail, " cores " threads", on, $8, on / fn
    printf "  %-42s %7.2f  (%6.2f)  %.2fx MakeThumbnail on all cores\n", "vipsthumbnail --size 120x120", vt, $10, vt / on
    exit (o1 / f1 > 1.15 || on / fn > 1.15) ? 1 : 0
}'
