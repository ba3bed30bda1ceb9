#!/bin/sh
# Configures (once) and builds the three presets: native, win32, win64.
set -eu
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
for preset in native win32 win64; do
    if [ ! -f "build/$preset/CMakeCache.txt" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    echo "== building $preset"
    cmake --build "build/$preset" -j "$jobs" -- --no-print-directory | grep -v '^\[ *[0-9]*%\]' || true
    cmake --build "build/$preset" -j "$jobs" >/dev/null  # fails here if the build above failed
done
