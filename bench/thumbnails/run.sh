#!/bin/sh
# Thumbnails of 100 photo-like 4000 x 3000 JPEGs (3 to 5 MB) into a 120 box: MakeThumbnail
# (libjpeg directly) beside libvips alone (thumbnail + jpegsave), each on one thread and on
# every core, vipsthumbnail over the same files, and the decoding floor, djpeg at 1/8
# scale, one process at a time and one per core. Best of $ROUNDS rounds (default 5), with
# the files already in the page cache. Exit status 1 when MakeThumbnail costs more than
# 1.15 times its floor.
set -eu
build=${1:-build}
bench="$build/bench/thumbnail_bench"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
corpus="$cache/thumbnails-4000x3000"

for tool in djpeg vipsthumbnail; do
    command -v $tool >/dev/null || { echo "thumbnails: $tool is missing (make bench installs it)"; exit 1; }
done
[ -x "$bench" ] || { echo "thumbnails: $bench is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }

echo "corpus: $corpus (made once)"
"$bench" corpus "$corpus" 100
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT INT TERM
cat "$corpus"/photo*.jpg >/dev/null
echo "machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores, Debian $(cat /etc/debian_version 2>/dev/null || echo '?'), libvips $(vips --version 2>/dev/null | sed 's/^vips-//')"
echo "load before: $(uptime | sed 's/.*load average: //')"
status=0
"$bench" compare "$corpus" "$out" "${ROUNDS:-5}" || status=$?
echo "load after: $(uptime | sed 's/.*load average: //')"
exit $status
