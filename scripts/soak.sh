#!/bin/sh
# Long runs under AddressSanitizer and UndefinedBehaviorSanitizer (preset
# `asan`): first every native test, then each preset and the limit record
# for many frames while the resident memory is sampled every 1000 frames
# (the last sample is taken 1000 frames or less before the end).
#   scripts/soak.sh            a million frames a preset, 20 000 for the limit record
#   scripts/soak.sh --short    20 000 and 12 000: a few minutes
# SOAK_FRAMES and SOAK_LIMIT_FRAMES override the counts; SOAK_RUNS picks the
# runs ("0 1 ... 6 limit"; "3:20000" gives one run its own count);
# SOAK_TESTS=0 skips the tests; SOAK_BUILD=native runs the plain build
# instead, for memory figures of runs too slow under the sanitizers. Prints, for each run, the frames run, the
# memory at frame 10 000 and at the end, and what the sanitizers reported.
# Fails on any finding or failed run.
set -u
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
frames=${SOAK_FRAMES:-1000000}
limitFrames=${SOAK_LIMIT_FRAMES:-20000}
if [ "${1:-}" = "--short" ]; then
    frames=${SOAK_FRAMES:-20000}
    limitFrames=${SOAK_LIMIT_FRAMES:-12000}
fi
runs=${SOAK_RUNS:-"0 1 2 3 4 5 6 limit"}
build=build/${SOAK_BUILD:-asan}
out=$build/soak
mkdir -p "$out"
# Every finding is fatal and leaves a report; a leak counts as one.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset "${SOAK_BUILD:-asan}" >/dev/null || exit 1
fi
echo "== soak: building $build"
cmake --build "$build" -j "$jobs" >/dev/null || { echo "soak: build failed"; exit 1; }

failed=""
if [ "${SOAK_TESTS:-1}" != 0 ]; then
    echo "== soak: native tests under the sanitizers"
    ctest --test-dir "$build" --output-on-failure --timeout 900 -j "$jobs" >"$out/tests.log" 2>&1 ||
        failed="$failed tests"
    grep -E "tests passed|FAILED|Failed" "$out/tests.log"
fi

runner=$build/tools/world/tovrine-world
for entry in $runs; do
    run=${entry%%:*}
    if [ "$run" = limit ]; then
        source="--record tests/world/records/limit.rec"
        count=$limitFrames
    else
        source="--preset $run"
        count=$frames
    fi
    [ "$entry" != "$run" ] && count=${entry#*:}
    log="$out/$run"
    fifo="$log.fifo"
    rm -f "$fifo" && mkfifo "$fifo"
    # The figures come line by line (stdbuf), so each sample is taken while
    # the runner stands at that frame.
    # shellcheck disable=SC2086
    # A small quarantine: freed blocks are held back to catch late uses,
    # and the default 256 MB of them would look like a world that grows.
    ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0:quarantine_size_mb=1" \
        nice -n 10 stdbuf -oL "$runner" $source --frames "$count" --stats >"$fifo" 2>"$log.err" &
    pid=$!
    awk -v status="/proc/$pid/status" '
        # VmRSS now and VmHWM, the peak so far; "" once the runner has gone.
        # Read through cat: awk itself stops with a read error when the
        # runner ends between opening its status and reading it.
        function sample(   line, f, cmd) {
            rss = ""; hwm = ""
            cmd = "cat " status " 2>/dev/null"
            while ((cmd | getline line) > 0) {
                split(line, f, " ")
                if (f[1] == "VmRSS:") rss = f[2]
                if (f[1] == "VmHWM:") hwm = f[2]
            }
            close(cmd)
        }
        function known(value) { return value == "" ? "?" : value }
        { frame = $1 }
        frame > 0 && frame % 1000 == 0 {
            sample()
            if (rss == "") next
            print frame, rss, hwm
            if (frame == 10000) at10k = rss
            last = rss; lastFrame = frame; peak = hwm
            fflush()
        }
        END {
            printf "SUMMARY %d %s %s %s %s\n", frame, known(at10k), known(last),
                known(lastFrame), known(peak)
        }
    ' "$fifo" >"$log.rss"
    wait "$pid"
    status=$?
    rm -f "$fifo"
    # The summary line alone: "?" stands for a figure never sampled.
    summary=$(grep '^SUMMARY ' "$log.rss" | tail -1)
    set -f
    set -- ${summary:-SUMMARY 0 ? ? ? ?}
    set +f
    findings=$(grep -cE 'ERROR: (Address|Leak)Sanitizer|runtime error' "$log.err")
    echo "soak: $run: $2 frames (of $count); RSS $3 kB at frame 10000, $4 kB at frame $5 (the last sample), peak $6 kB; exit $status; sanitizer findings: $findings"
    if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ] || [ "$2" -ne "$count" ]; then
        failed="$failed $run"
        head -20 "$log.err"
    fi
done
if [ -n "$failed" ]; then
    echo "soak: FAILED:$failed"
    exit 1
fi
echo "soak: all passed"
