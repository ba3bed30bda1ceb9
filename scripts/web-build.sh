#!/bin/sh
# Builds the web page (the `web` preset, emscripten) into build/web/:
# tovrine.html, one file that opens from disk, and site/, the same page as
# separate files for any static web server.
#
#   scripts/web-build.sh [JOBS]
set -eu
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
if [ ! -f build/wasm/CMakeCache.txt ]; then
    cmake --preset web >/dev/null
fi
cmake --build build/wasm -j "$jobs" -- --no-print-directory | grep -v '^\[ *[0-9]*%\]' || true
cmake --build build/wasm -j "$jobs" >/dev/null  # fails here if the build above failed
