#!/bin/bash
# Runs the Windows test programs of the given build folders under Wine:
#
#   scripts/wine-tests.sh build/win32 build/win64
#
# Each build's tests/tovrine_wintests.exe runs twice: first on the plain Xvfb
# screen with every test except those whose names contain "InVirtualDesktop",
# then inside a 1024x768 Wine virtual desktop (32 bits per pixel) with just
# those. The plain runs of all builds come first: a virtual desktop leaves
# its size behind as the screen size that later plain programs see.
# Then each build's tools/world/tovrine-world.exe replays the golden runs of
# tests/world/golden_runs.txt: the world must print the same figures as the
# native build, byte for byte (line ends aside).
# Every program has a time limit (TOVRINE_WINE_TIMEOUT seconds, default 300).
# Exits non-zero if anything failed.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-rig.sh

DESKTOP_SIZE=1024x768
# Portable checks of pure logic whose worlds are large: the food index
# against the list walk over hundreds of whole worlds, and the bound on stored
# counts (a hundred thousand Vobs and whirls). Natively they take seconds;
# drawn through Wine's DirectDraw, a minute and a half per build. What they
# check does not depend on the backend, and the golden replays (the limit
# record with the index and with the walk among them) show that the Windows
# builds compute the same worlds.
NATIVE_ONLY="FoodSearchWorlds.*:WorldSetUp.CountsBeyondWhatThePagesStoreAreTakenAsTheLargestStorable"
TIME_LIMIT=${TOVRINE_WINE_TIMEOUT:-300}
# The 64-bit build replays the runs that can go wrong there and nowhere else:
# the same code as the native build (x86-64) and the 32-bit one (MinGW's
# runtime, 32-bit long) meet in it, so the base run, a record read from a
# file (whole and short), the civilization cycle and the entity limit. The
# product, the 32-bit build, replays them all.
WIN64_GOLDENS=" original-seed1 original-1024x768 short-record rebirths storm-limit "

if [ $# -eq 0 ]; then
    echo "usage: $0 BUILD_DIR..." >&2
    exit 2
fi

failed=""
builds=()
for dir in "$@"; do
    if [ ! -f "$dir/tests/tovrine_wintests.exe" ] || [ ! -f "$dir/tests/report_exit.exe" ]; then
        echo "wine-tests: $dir has no tests/tovrine_wintests.exe and tests/report_exit.exe" >&2
        failed="$failed $(basename "$dir")(not-built)"
        continue
    fi
    builds+=("$(cd "$dir" && pwd)")
done

# run_suite BUILD DESKTOP FILTER
run_suite() {
    local build=$1 desktop=$2 filter=$3
    local name
    name="$(basename "$build") ${desktop:-plain}"
    echo "== $name"
    local start=$SECONDS
    if rig_run "$TIME_LIMIT" "$desktop" "$build/tests/report_exit.exe" \
        "$build/tests/tovrine_wintests.exe" --gtest_brief=1 "--gtest_filter=$filter"; then
        echo "wine-tests: $name passed ($((SECONDS - start)) s)"
    else
        echo "wine-tests: $name FAILED (exit code $RIG_EXIT_CODE, $((SECONDS - start)) s)"
        failed="$failed $(basename "$build")-${desktop:-plain}"
    fi
}

# run_goldens BUILD
run_goldens() {
    local build=$1 runner=$1/tools/world/tovrine-world.exe
    local name line digest seen passed=0 count=0 start=$SECONDS
    echo "== $(basename "$build") golden runs"
    if [ ! -f "$runner" ]; then
        echo "wine-tests: $runner is missing"
        failed="$failed $(basename "$build")-golden(not-built)"
        return
    fi
    local out="$RIG_TMP/golden.out"
    while read -r line; do
        case "$line" in '#'* | '') continue ;; esac
        line=${line//@RECORDS@/Z:$PWD/tests/world/records}
        set -- $line
        name=$1 digest=$2
        shift 2
        if [ "$(basename "$build")" = win64 ] && [ "${WIN64_GOLDENS/ $name /}" = "$WIN64_GOLDENS" ]; then
            continue
        fi
        count=$((count + 1))
        if ! rig_run "$TIME_LIMIT" "" "$build/tests/report_exit.exe" "$runner" "$@" --stats >"$out"; then
            echo "wine-tests: golden $name FAILED to run (exit code $RIG_EXIT_CODE)"
            failed="$failed $(basename "$build")-golden-$name"
            continue
        fi
        seen=$(tr -d '\r' <"$out" | sha256sum | cut -d' ' -f1)
        if [ "$seen" = "$digest" ]; then
            passed=$((passed + 1))
        else
            echo "wine-tests: golden $name changed on $(basename "$build"): $seen, stored $digest"
            failed="$failed $(basename "$build")-golden-$name"
        fi
    done <tests/world/golden_runs.txt
    echo "wine-tests: $(basename "$build") golden runs: $passed of $count hold ($((SECONDS - start)) s)"
}

overall=$SECONDS
if [ ${#builds[@]} -gt 0 ]; then
    if rig_start; then
        echo "wine-tests: rig ready after $((SECONDS - overall)) s"
        for build in "${builds[@]}"; do
            run_suite "$build" "" "-*InVirtualDesktop*:$NATIVE_ONLY"
        done
        for build in "${builds[@]}"; do
            run_goldens "$build"
        done
        for build in "${builds[@]}"; do
            run_suite "$build" "$DESKTOP_SIZE" "*InVirtualDesktop*"
        done
    else
        failed="$failed rig"
    fi
    rig_stop
fi

echo "wine-tests: $((SECONDS - overall)) s"
if [ -n "$failed" ]; then
    echo "wine-tests: FAILED:$failed"
    exit 1
fi
echo "wine-tests: all passed"
