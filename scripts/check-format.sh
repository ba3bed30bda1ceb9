#!/bin/sh
# Fails when a C++ file of the tree does not match .clang-format; the files
# it names are put right with `clang-format -i FILE`.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.c')
if ! clang-format --dry-run --Werror $files 2>/tmp/tovrine-format.$$; then
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/tovrine-format.$$ | cut -d: -f1 | sort -u |
        sed 's/^/check-format: not formatted: /'
    rm -f /tmp/tovrine-format.$$
    exit 1
fi
rm -f /tmp/tovrine-format.$$
echo "check-format: $(echo "$files" | wc -l) files match .clang-format"
