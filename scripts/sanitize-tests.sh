#!/bin/sh
# The native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer:
# the stage of `make test` that catches undefined behaviour (a signed int
# that overflows, a shift too far, a float cast out of range, a read out of
# bounds, a leak). Any report fails the run.
#   scripts/sanitize-tests.sh [JOBS]
# Preset `sanitize` (clang, -O1) builds only the two test programs, without
# the precompiled header: clang's holds the checkout's paths, so no fresh
# clone could take the test objects from the compile cache. The unit
# tests run in JOBS shards side by side. Whole worlds run for thousands of
# frames are left to `make soak`: under the sanitizers one of them alone
# (FoodSearchWorlds, ten worlds twice each) would double the stage's time.
# Then two worlds in two threads under ThreadSanitizer (preset `tsan`, the
# one test program tovrine_thread_tests), which reports any memory the two
# touch without an order between them.
set -u
cd "$(dirname "$0")/.."
jobs=${1:-2}
build=build/sanitize
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset sanitize >/dev/null || exit 1
fi
cmake --build "$build" -j "$jobs" --target tovrine_tests tovrine_oom_tests >"$build/build.log" 2>&1 || {
    echo "sanitize: build failed"
    tail -30 "$build/build.log"
    exit 1
}

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# As ctest runs them: from the tests' build folder, each with a time limit.
run() {
    log=$1
    shift
    (cd "$build/tests" && timeout 600 "$@") >"$build/$log.log" 2>&1
    echo $? >"$build/$log.status"
}
rm -f "$build"/*.status
shard=0
while [ "$shard" -lt "$jobs" ]; do
    run "unit-$shard" env GTEST_TOTAL_SHARDS="$jobs" GTEST_SHARD_INDEX="$shard" \
        GTEST_FILTER='-FoodSearchWorlds.*' ./tovrine_tests &
    shard=$((shard + 1))
done
wait
run out-of-memory ./tovrine_oom_tests

threads=build/tsan
if [ ! -f "$threads/CMakeCache.txt" ]; then
    cmake --preset tsan >/dev/null || exit 1
fi
if cmake --build "$threads" -j "$jobs" --target tovrine_thread_tests >"$threads/build.log" 2>&1; then
    (cd "$threads/tests" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
        timeout 600 ./tovrine_thread_tests) >"$build/threads.log" 2>&1
    echo $? >"$build/threads.status"
else
    echo "sanitize: the ThreadSanitizer build failed"
    tail -30 "$threads/build.log"
    exit 1
fi

failed=""
for status in "$build"/*.status; do
    name=$(basename "$status" .status)
    if [ "$(cat "$status")" != 0 ]; then
        failed="$failed $name"
        echo "sanitize: $name failed (exit $(cat "$status")); $build/$name.log:"
        grep -E 'runtime error|ERROR: (Address|Leak)Sanitizer|WARNING: ThreadSanitizer|^SUMMARY|\[  FAILED  \]' "$build/$name.log" |
            head -10
    fi
done
rm -f "$build"/*.status
if [ -n "$failed" ]; then
    echo "sanitize: FAILED:$failed"
    exit 1
fi
echo "sanitize: the unit tests passed under ASan and UBSan, two worlds in two threads under TSan, nothing reported"
