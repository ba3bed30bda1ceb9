#!/bin/sh
# Configures (once) and builds the presets named, by default the three:
#   scripts/build-all.sh [JOBS [PRESET...]]
set -eu
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
[ $# -gt 0 ] && shift
presets=${*:-native win32 win64}
for preset in $presets; do
    if [ ! -f "build/$preset/CMakeCache.txt" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    echo "== building $preset"
    cmake --build "build/$preset" -j "$jobs" -- --no-print-directory | grep -v '^\[ *[0-9]*%\]' || true
    cmake --build "build/$preset" -j "$jobs" >/dev/null  # fails here if the build above failed
done
