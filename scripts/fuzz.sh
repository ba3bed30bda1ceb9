#!/bin/sh
# Builds the libFuzzer targets (preset `fuzz`) and runs each one for a while:
#   scripts/fuzz.sh [--seeds-only] SECONDS [TARGET...]
# (default: every tests/fuzz/*.cpp). Each target starts from its committed
# seeds, tests/fuzz/corpus/<target>/, which it only reads; what it learns
# goes to build/fuzz/learned/<target>/ and is where the next run starts,
# except with --seeds-only (the short run of `make test`, whose time then
# does not grow with what earlier runs learned). What a target finds goes to
# build/fuzz/findings/<target>/. Extra libFuzzer flags of a target live in
# tests/fuzz/<target>.flags. Fails when any target found something; prints
# each target's executions.
set -u
cd "$(dirname "$0")/.."
seedsOnly=0
if [ "${1:-}" = "--seeds-only" ]; then
    seedsOnly=1
    shift
fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
jobs=${JOBS:-2}

if [ $# -gt 0 ]; then
    targets="$*"
else
    targets=$(for f in tests/fuzz/*.cpp; do basename "$f" .cpp; done)
fi

if [ ! -f build/fuzz/CMakeCache.txt ]; then
    cmake --preset fuzz >/dev/null || exit 1
fi
cmake --build build/fuzz -j "$jobs" --target fuzz-targets >/dev/null || {
    echo "fuzz: build failed"; cmake --build build/fuzz -j 1 --target fuzz-targets 2>&1 | tail -30
    exit 1
}

failed=""
for target in $targets; do
    program=build/fuzz/tests/fuzz/fuzz_$target
    learned=build/fuzz/learned/$target
    findings=build/fuzz/findings/$target
    log=build/fuzz/$target.log
    if [ "$seedsOnly" = 1 ]; then
        learned=build/fuzz/learned/$target.short
        log=build/fuzz/$target.short.log
        rm -rf "$learned"
    fi
    mkdir -p "$learned" "$findings"
    flags=""
    [ -f "tests/fuzz/$target.flags" ] && flags=$(cat "tests/fuzz/$target.flags")
    # -timeout: an input that takes this long is a finding (a hang).
    # shellcheck disable=SC2086
    nice -n 10 "$program" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" $flags \
        "$learned" "tests/fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -ne 0 ]; then
        echo "fuzz: $target: FOUND something after ${runs:-?} runs (exit $status); see $log and $findings/"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5
        failed="$failed $target"
    else
        echo "fuzz: $target: ${runs:-?} runs in $seconds s, nothing found"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz: FAILED:$failed"
    exit 1
fi
