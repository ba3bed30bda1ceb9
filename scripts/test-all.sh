#!/bin/bash
# Builds everything, then runs every test in five chains side by side: the
# native tests (again under the sanitizers, then the fuzz targets' seeds);
# the Linux saver's end-to-end checks (its own window, a given one, the
# xscreensaver daemon); the web page's build and browser tests; and, for
# each Windows build, its tests and
# end-to-end runs under Wine, on an Xvfb and in a Wine prefix of its own.
# Most of a Wine run is one process waiting on another, so the chains share
# two cores well. Every chain's output goes to build/test-logs/<chain>.log
# and is printed when all have ended. Runs every stage and fails if any
# stage failed.
set -u
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
start=$(date +%s)
failed=""
logs=build/test-logs

echo "== code style"
scripts/check-format.sh || failed="$failed format"

scripts/build-all.sh "$jobs" || { echo "test-all: build failed"; exit 1; }
echo "build: $(($(date +%s) - start)) s"
echo "== the Windows release"; scripts/dist.sh "$jobs" windows || failed="$failed dist"

# stage NAME COMMAND...: one step of a chain; its failure is written to the
# chain's list of failures and the chain goes on.
stage() {
    local name=$1
    shift
    local stageStart=$(date +%s)
    echo "== $name"
    if ! "$@"; then
        echo "$name" >>"$chainFailures"
    fi
    echo "$name: $(($(date +%s) - stageStart)) s"
}

native_chain() {
    # A time limit per test, so that a test that hangs fails instead.
    stage native ctest --test-dir build/native --output-on-failure --timeout 300 -j "$jobs"
    # The unit tests again under ASan and UBSan: any report fails them.
    stage sanitize scripts/sanitize-tests.sh "$jobs"
    stage fuzz scripts/fuzz.sh --seeds-only "${TOVRINE_FUZZ_SECONDS:-4}"
}

linux_chain() {
    stage linux-e2e tests/e2e/linux_saver_e2e.sh build/native
    stage xscreensaver-e2e tests/e2e/xscreensaver_e2e.sh build/native
    # Both Windows savers in the food storm at 1024 x 768 (about 100 s). In
    # this chain, whose checks are few, on a Wine prefix of its own, so that
    # it runs beside the Windows chains instead of after them; the web chain's
    # browser tests are the longer.
    stage storm-1024x768 env TOVRINE_WINEPREFIX="$PWD/build/wine-prefix-storm" \
        tests/e2e/food_storm_e2e.sh --large-modes build/win32 build/win64
}

# The web page: its build (emscripten), then its browser tests in headless
# Chromium, the same world as the runner's included.
web_chain() {
    stage web-build scripts/web-build.sh "$jobs"
    stage web tests/web/run.sh
    stage web-dist scripts/dist.sh "$jobs" web
    # The fast path-sensitive tests again from a clone in a private folder:
    # here, since the web chain ends earliest.
    stage any-folder tests/e2e/any_folder_e2e.sh build/native
}

windows_chain() {
    local build=build/$1
    export TOVRINE_WINEPREFIX=$PWD/build/wine-prefix-$1
    stage "wine-$1" scripts/wine-tests.sh "$build"
    stage "e2e-$1" tests/e2e/saver_e2e.sh "$build"
    stage "config-e2e-$1" tests/e2e/config_e2e.sh "$build"
    # Help runs the same code in both builds, so once is enough: in the 64-bit
    # chain, whose golden replays are fewer, so the two chains end together.
    if [ "$1" = win64 ]; then
        stage "help-e2e-$1" tests/e2e/help_e2e.sh "$build"
    fi
    # The setup program of the release (64-bit Windows: it installs the
    # 64-bit saver, run by the 64-bit launcher), about 10 s: in the other chain.
    if [ "$1" = win32 ]; then
        stage setup-e2e tests/e2e/setup_e2e.sh build/win64
    fi
}

# run_chain NAME FUNCTION ARGS...: in the background, with its own log.
run_chain() {
    local name=$1
    shift
    (
        chainFailures=$logs/$name.failed
        : >"$chainFailures"
        chainStart=$(date +%s)
        "$@"
        echo "chain $name: $(($(date +%s) - chainStart)) s"
    ) >"$logs/$name.log" 2>&1 &
}

mkdir -p "$logs"
chains="native linux web win32 win64"
run_chain native native_chain
run_chain linux linux_chain
run_chain web web_chain
run_chain win32 windows_chain win32
run_chain win64 windows_chain win64
echo "== running the chains: $chains (logs in $logs/)"
wait

for chain in $chains; do
    echo "==== $chain"
    cat "$logs/$chain.log"
    while read -r stageName; do
        failed="$failed $stageName"
    done <"$logs/$chain.failed"
done

echo "test-all: $(($(date +%s) - start)) s"
if [ -n "$failed" ]; then
    echo "test-all: FAILED:$failed"
    exit 1
fi
echo "test-all: all passed"
