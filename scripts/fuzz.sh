#!/bin/sh
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time from its seed corpus; any finding fails the run.
# Usage: sh scripts/fuzz.sh [seconds-per-target]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVO_WERROR=ON -DTAVO_SANITIZE=ON -DTAVO_FUZZ=ON -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz
# A small quarantine: freed memory comes back while still in the cache (the
# default 256 MB sends a run's allocations through half a gigabyte of cold
# pages). New blocks are not filled, and allocations keep no stacks (taking
# one cost a tenth of the list target's time); a finding is replayed with
# full reports by tst_fuzzreplay_*.
export QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=0
for target in build-fuzz/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target" | sed 's/^fuzz_//')
    work="build-fuzz/corpus/$name"
    mkdir -p "$work" build-fuzz/findings
    dict=""
    [ -f "fuzz/$name.dict" ] && dict="-dict=fuzz/$name.dict"
    echo "fuzzing $name for ${seconds}s"
    log="build-fuzz/$name.log"
    status=0
    # Nothing else writes to the corpus: no rereading it every second.
    "$target" $dict -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -reload=0 \
        -artifact_prefix=build-fuzz/findings/"$name"- -print_final_stats=1 \
        "$work" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|#[0-9]+ +DONE)' "$log" || true
    if [ "$status" -ne 0 ] || ls build-fuzz/findings/"$name"-* >/dev/null 2>&1; then
        tail -n 60 "$log" >&2
        echo "fuzzer $name failed (exit $status):" build-fuzz/findings/"$name"-* >&2
        exit 1
    fi
done
