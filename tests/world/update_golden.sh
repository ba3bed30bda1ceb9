#!/bin/sh
# Rewrites the digests of tests/world/golden_runs.txt from the current build:
#   tests/world/update_golden.sh build/native
# Only for an intended change of the world's rules.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
runner="${1:?usage: update_golden.sh BUILD_DIR}/tools/world/tovrine-world"
list="$here/golden_runs.txt"
tmp="$list.new"
: >"$tmp"
while IFS= read -r line; do
    case "$line" in
        '#'* | '') echo "$line" >>"$tmp"; continue ;;
    esac
    set -- $line
    name=$1; shift 2
    args=$(echo "$*" | sed "s|@RECORDS@|$here/records|g")
    digest=$("$runner" $args --stats | sha256sum | cut -d' ' -f1)
    echo "$name $digest $*" >>"$tmp"
    echo "$name $digest"
done <"$list"
mv "$tmp" "$list"
