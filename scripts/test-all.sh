#!/bin/sh
# Builds everything, runs the native tests, then the Windows tests of both
# architectures under Wine. Runs every stage and fails if any stage failed.
set -u
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
start=$(date +%s)
failed=""

echo "== code style"
scripts/check-format.sh || failed="$failed format"

scripts/build-all.sh "$jobs" || { echo "test-all: build failed"; exit 1; }

echo "== native tests"
# A time limit per test, so that a test that hangs fails instead.
ctest --test-dir build/native --output-on-failure --timeout 300 -j "$jobs" || failed="$failed native"

echo "== native unit tests under ASan and UBSan"
sanitizeStart=$(date +%s)
scripts/sanitize-tests.sh "$jobs" || failed="$failed sanitize"
echo "sanitizer stage: $(($(date +%s) - sanitizeStart)) s"

echo "== the Linux saver end to end on Xvfb"
tests/e2e/linux_saver_e2e.sh build/native || failed="$failed linux-e2e"

echo "== fuzz targets, a few seconds each"
fuzzStart=$(date +%s)
scripts/fuzz.sh --seeds-only "${TOVRINE_FUZZ_SECONDS:-4}" || failed="$failed fuzz"
echo "fuzz stage: $(($(date +%s) - fuzzStart)) s"

echo "== Windows tests under Wine"
scripts/wine-tests.sh build/win32 build/win64 || failed="$failed wine"

echo "== the screen saver end to end under Wine"
for build in build/win32 build/win64; do
    tests/e2e/saver_e2e.sh "$build" || failed="$failed e2e-$(basename "$build")"
    tests/e2e/config_e2e.sh "$build" || failed="$failed config-e2e-$(basename "$build")"
done

echo "test-all: $(($(date +%s) - start)) s"
if [ -n "$failed" ]; then
    echo "test-all: FAILED:$failed"
    exit 1
fi
echo "test-all: all passed"
