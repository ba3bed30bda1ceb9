#!/bin/sh
# The food index against the reference walk, side by side:
#   scripts/bench-food.sh [BUILD_DIR] [FRAMES] [SOAK_FRAMES]
# Runs tovrine-world --bench --stats with the index and with --walk-food on
# the entity-limit record (tests/world/records/storm-limit-1024x768.rec) and
# on presets 0, 2, 3 and 6; checks that both print the same figures for every
# frame; prints each ratio (walk / index) and the targets at the limit; then
# runs the limit record SOAK_FRAMES frames (0 skips it) to watch memory.
# Runs at nice 10: the machine is shared, so repeat it before trusting a
# single figure.
set -eu
build=${1:-build/native}
frames=${2:-2000}
soak=${3:-20000}
here=$(cd "$(dirname "$0")/.." && pwd)
runner="$build/tools/world/tovrine-world"
limit="$here/tests/world/records/storm-limit-1024x768.rec"
[ -x "$runner" ] || { echo "bench-food: no $runner (build the native preset first)" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

# bench NAME ARGS...: both searches; fails when their figures differ.
bench() {
    name=$1; shift
    nice -n 10 "$runner" "$@" --frames "$frames" --stats --bench >"$tmp/$name.index"
    nice -n 10 "$runner" "$@" --frames "$frames" --stats --bench --walk-food >"$tmp/$name.walk"
    for mode in index walk; do
        grep -v '^bench:' "$tmp/$name.$mode" | sha256sum | cut -d' ' -f1 >"$tmp/$name.$mode.sum"
    done
    if ! cmp -s "$tmp/$name.index.sum" "$tmp/$name.walk.sum"; then
        echo "bench-food: $name: the index and the walk printed different figures" >&2
        exit 1
    fi
    echo "== $name: $* ($frames frames, figures identical)"
    awk -v name="$name" '
        FNR == 1 { mode = (FILENAME ~ /walk$/) ? "walk" : "index" }
        /^bench: [0-9]+ frames/ { mean[mode] = $8; max[mode] = $12 }
        /^bench: simulation/    { smean[mode] = $7; smax[mode] = $11 }
        /^bench: drawing/       { dmean[mode] = $7; dmax[mode] = $11 }
        /^bench: processor/     { pmean[mode] = $7; pmax[mode] = $11 }
        END {
            printf "   %-6s frame mean %8.4f max %8.4f | simulation mean %8.4f max %8.4f | drawing mean %8.4f max %8.4f ms\n",
                "index", mean["index"], max["index"], smean["index"], smax["index"], dmean["index"], dmax["index"]
            printf "   %-6s frame mean %8.4f max %8.4f | simulation mean %8.4f max %8.4f | drawing mean %8.4f max %8.4f ms\n",
                "walk", mean["walk"], max["walk"], smean["walk"], smax["walk"], dmean["walk"], dmax["walk"]
            printf "   processor time per frame: index mean %.4f max %.4f, walk mean %.4f max %.4f ms\n",
                pmean["index"], pmax["index"], pmean["walk"], pmax["walk"]
            # The processor time split as the wall clock split it: the time
            # other programs took is left out of both parts alike.
            for (m in mean) sproc[m] = pmean[m] * smean[m] / mean[m]
            printf "   ratio walk/index: frame %.2f, simulation %.2f, drawing %.2f, processor %.2f, simulation in processor time %.2f\n",
                mean["walk"] / mean["index"], smean["walk"] / smean["index"], dmean["walk"] / dmean["index"],
                pmean["walk"] / pmean["index"], sproc["walk"] / sproc["index"]
            printf "%s %s %s %s %s %s %s %s %s\n", name, mean["index"], max["index"], mean["walk"] / mean["index"],
                smean["walk"] / smean["index"], pmean["index"], pmax["index"],
                pmean["walk"] / pmean["index"], sproc["walk"] / sproc["index"] >> "'"$tmp/ratios"'"
        }' "$tmp/$name.index" "$tmp/$name.walk"
}

bench limit --record "$limit"
for preset in 0 2 3 6; do
    bench "preset$preset" --preset "$preset"
done

echo "== targets at the limit record (the simulation holds the Vob pass)"
awk '
    $1 == "limit" {
        printf "   simulation (holds the Vob pass) walk/index %.1fx (in processor time %.1fx), wanted >= 20: %s\n",
            $5, $9, ($5 >= 20 ? "met" : ($9 >= 20 ? "met in processor time only (a busy machine)" : "MISSED"))
        printf "   frame mean %.3f ms (processor %.3f), wanted <= 2.5: %s\n", $2, $6,
            ($2 <= 2.5 ? "met" : ($6 <= 2.5 ? "met in processor time only (a busy machine)" : "MISSED"))
        printf "   frame worst %.3f ms (processor %.3f), wanted <= 5: %s\n", $3, $7,
            ($3 <= 5 ? "met" : ($7 <= 5 ? "met in processor time only (a busy machine)" : "MISSED"))
    }
    $1 == "preset0" {
        printf "   default settings: whole frame walk/index %.2f, processor %.2f (1 or more: no slower)\n", $4, $8
    }' "$tmp/ratios"

if [ "$soak" -gt 0 ]; then
    echo "== memory: the limit record for $soak frames with the index"
    nice -n 10 "$runner" --record "$limit" --frames "$soak" --bench | grep -E 'resident|frames,'
fi
