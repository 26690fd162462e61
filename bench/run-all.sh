#!/bin/sh
# Runs every benchmark: each bench/<name>/run.sh gets the build folder as its argument.
# Corpora are made once and cached outside the repository (MAVREN_BENCH_CACHE).
set -eu
build=${1:-build}
export MAVREN_BENCH_CACHE="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
mkdir -p "$MAVREN_BENCH_CACHE"
status=0
for script in "$(dirname "$0")"/*/run.sh; do
    [ -e "$script" ] || continue
    echo "== $(basename "$(dirname "$script")")"
    sh "$script" "$build" || status=1
done
exit $status
