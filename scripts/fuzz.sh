#!/bin/sh
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time from its seed corpus; any finding fails the run.
# Usage: sh scripts/fuzz.sh [seconds-per-target] [workers-per-target]
# Targets run one after the other; each runs `workers` processes side by
# side (default 2, one per core of the CI machine), which share the corpus.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
workers=${2:-2}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVO_WERROR=ON -DTAVO_SANITIZE=ON -DTAVO_FUZZ=ON -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz
# A small quarantine: freed memory comes back while still in the cache (the
# default 256 MB sends a run's allocations through half a gigabyte of cold
# pages; 16 MB still cost the list and sort targets a tenth of their time in
# cache misses). 2 MB outlasts the frees of any one input many times over,
# so a block used after its release within an input is still caught. New
# blocks are not filled, and allocations keep no stacks (taking one cost a
# tenth of the list target's time); a finding is replayed with full reports
# by tst_fuzzreplay_*.
export QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=2:max_malloc_fill_size=0:malloc_context_size=0
# Alone, nothing else writes to the corpus: no rereading it every second.
# Side by side, each worker picks up what the others found.
reload=0
[ "$workers" -gt 1 ] && reload=1
for target in build-fuzz/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target" | sed 's/^fuzz_//')
    work="build-fuzz/corpus/$name"
    mkdir -p "$work" build-fuzz/findings
    rm -f build-fuzz/"$name".*log
    dict=""
    [ -f "fuzz/$name.dict" ] && dict="-dict=fuzz/$name.dict"
    echo "fuzzing $name for ${seconds}s with $workers worker(s)"
    pids=""
    worker=1
    while [ "$worker" -le "$workers" ]; do
        "$target" $dict -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
            -reload=$reload -artifact_prefix=build-fuzz/findings/"$name"-"$worker"- -print_final_stats=1 \
            "$work" "fuzz/corpus/$name" >build-fuzz/"$name.$worker.log" 2>&1 &
        pids="$pids $!"
        worker=$((worker + 1))
    done
    failed=""
    worker=1
    for pid in $pids; do
        wait "$pid" || failed="$failed $worker"
        worker=$((worker + 1))
    done
    total=0
    worker=1
    while [ "$worker" -le "$workers" ]; do
        log=build-fuzz/"$name.$worker.log"
        echo "worker $worker:"
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|#[0-9]+[[:space:]]+DONE)' "$log" | sed 's/^/  /' || true
        units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        total=$((total + ${units:-0}))
        worker=$((worker + 1))
    done
    echo "$name: $total executions in all"
    if [ -n "$failed" ] || ls build-fuzz/findings/"$name"-* >/dev/null 2>&1; then
        for worker in ${failed:-$(seq "$workers")}; do
            echo "--- worker $worker:" >&2
            tail -n 60 build-fuzz/"$name.$worker.log" >&2
        done
        echo "fuzzer $name failed (worker(s)${failed:- none} exited non-zero):" build-fuzz/findings/"$name"-* >&2
        exit 1
    fi
done
