#!/bin/sh
# ScanAlbums over 20,000 empty photo files in 400 albums (20 years of 20 albums), beside
# nftw walking the same tree with a status per entry. Best of $ROUNDS rounds (default 5),
# the tree in the page cache. Exit status 1 when the scan costs more than 2 times the walk.
set -eu
build=${1:-build}
bench="$build/bench/album_scan_bench"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
[ -x "$bench" ] || { echo "album_scan: $bench is missing; configure with -DMAVREN_BUILD_BENCH=ON"; exit 1; }
"$bench" "$cache/album-tree" "${ROUNDS:-5}"
