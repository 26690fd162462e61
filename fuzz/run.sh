#!/bin/sh
# Runs the fuzz harnesses for a set time each, side by side, one per core:
#   fuzz/run.sh BUILD SECONDS [NAME ...]      (every harness when no NAME is given)
# BUILD is the fuzz build folder. Each harness works on its own corpus in BUILD/corpus/NAME,
# begun from the seeds in fuzz/corpus/NAME; what it finds is kept in BUILD/findings/NAME
# (rerun one with BUILD/NAME_fuzzer FILE) and fails the run. One line per harness says
# how many inputs it ran.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
shift 2

run_one() {
    name=$1
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    log="$build/logs/$name.log"
    mkdir -p "$corpus" "$findings" "$build/logs"
    status=0
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
        "$build/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$here/corpus/$name" \
        >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    found=$(find "$findings" -type f | wc -l)
    echo "$name: ${runs:-?} inputs in $seconds seconds, $found findings"
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        return 1
    fi
}

if [ "$#" -eq 0 ]; then
    set -- $(sed -n 's/^set(MAVREN_FUZZ_HARNESSES \(.*\))$/\1/p' "$here/harnesses.cmake")
fi
if [ "$#" -eq 1 ]; then
    run_one "$1"
    exit $?
fi
# Several: each in a process of its own, as many at once as there are cores.
printf '%s\n' "$@" | xargs -P "$(nproc)" -I NAME sh "$0" "$build" "$seconds" NAME
