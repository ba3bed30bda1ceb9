#!/bin/sh
# One fuzz target for a long while, its coverage printed every minute, so
# that one sees whether it still finds new code:
#   scripts/fuzz-long.sh [--empty] [SECONDS] [TARGET]
# (default: an hour of record). It starts from the committed seeds and what
# earlier runs learned, as scripts/fuzz.sh does, and keeps what it learns;
# --empty starts from nothing instead (a fresh folder, the seeds unread), which
# measures how fast the target finds its way alone. Each minute's line gives
# the edges reached (libFuzzer's cov), its features (ft), the corpus, the
# inputs run, and the inputs a second over that minute, of the clock and of
# the processor's time. Fails when the target found something.
set -u
cd "$(dirname "$0")/.." || exit 2
empty=0
if [ "${1:-}" = "--empty" ]; then
    empty=1
    shift
fi
seconds=${1:-3600}
target=${2:-record}

[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null || exit 1
cmake --build build/fuzz -j "${JOBS:-2}" --target "fuzz_$target" >/dev/null || {
    echo "fuzz-long: build failed (cmake --build build/fuzz --target fuzz_$target)"
    exit 1
}
program=build/fuzz/tests/fuzz/fuzz_$target
findings=build/fuzz/findings/$target
log=build/fuzz/$target.long.log
if [ "$empty" = 1 ]; then
    learned=build/fuzz/learned/$target.empty
    rm -rf "$learned"
    corpora=$learned
else
    learned=build/fuzz/learned/$target
    corpora="$learned tests/fuzz/corpus/$target"
fi
mkdir -p "$learned" "$findings"
flags=""
[ -f "tests/fuzz/$target.flags" ] && flags=$(cat "tests/fuzz/$target.flags")
# shellcheck disable=SC2086
"$program" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" $flags $corpora >"$log" 2>&1 &
fuzzer=$!
trap 'kill "$fuzzer" 2>/dev/null' INT TERM HUP

# last_status: "RUNS COV FT CORPUS" from the fuzzer's latest status line.
last_status() {
    grep -a ' cov: ' "$log" | tail -n 1 |
        sed -n 's/^#\([0-9]*\).* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\).*/\1 \2 \3 \4/p'
}

echo "fuzz-long: $target for $seconds s$([ "$empty" = 1 ] && echo ' from an empty corpus'); log $log"
minute=0
before=0
cpuBefore=0
while kill -0 "$fuzzer" 2>/dev/null; do
    waited=0
    while [ "$waited" -lt 60 ] && kill -0 "$fuzzer" 2>/dev/null; do
        sleep 1
        waited=$((waited + 1))
    done
    # Processor seconds, whole: on a busy machine the inputs per second of
    # the processor's time say what an idle core would run.
    cpu=$(ps -o times= -p "$fuzzer" 2>/dev/null | tr -d ' ')
    # shellcheck disable=SC2046
    set -- $(last_status) 0 0 0 0
    # The fuzzer ended just after the last line: nothing more to say.
    [ -z "$cpu" ] && [ "$1" = "$before" ] && break
    minute=$((minute + 1))
    perCpu="?"
    [ -n "$cpu" ] && [ "$cpu" -gt "$cpuBefore" ] && perCpu=$((($1 - before) / (cpu - cpuBefore)))
    echo "fuzz-long: minute $minute: $2 edges, $3 features, corpus $4, $1 inputs," \
        "$((($1 - before) / waited)) a second, $perCpu a second of processor time"
    before=$1
    cpuBefore=${cpu:-$cpuBefore}
done
wait "$fuzzer"
status=$?
if [ "$status" -ne 0 ]; then
    echo "fuzz-long: $target FOUND something (exit $status); see $log and $findings/"
    grep -aE '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5
    exit 1
fi
echo "fuzz-long: $target: nothing found; $(grep -a '^stat::number_of_executed_units' "$log")"
