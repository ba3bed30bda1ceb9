#!/bin/sh
# A question about the first extinction, asked with and without --until:
#   scripts/bench-until.sh [BUILD_DIR] [FRAMES] [SEEDS]
# Sweeps preset 0 with little food (foodStrength 50 to 150, where most runs
# die out long before FRAMES) twice, once to FRAMES and once with
# --until extinction; checks that every first-extinction figure is the same
# (runs.csv's first_extinction, survival.csv, design.csv's median, restricted
# mean and censored share) and prints both times and their ratio. Runs at
# nice 10 on a shared machine: repeat it before trusting a single figure.
set -eu
build=${1:-build/native}
frames=${2:-20000}
seeds=${3:-1-8}
sweep="$build/tools/world/tovrine-sweep"
[ -x "$sweep" ] || { echo "bench-until: no $sweep (build the native preset first)" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

# run NAME ARGS...: one sweep, its wall-clock seconds in $tmp/NAME.time.
run() {
    name=$1; shift
    start=$(date +%s.%N)
    nice -n 10 "$sweep" --preset 0 --vary foodStrength=50,75,100,150 --seeds "$seeds" \
        --frames "$frames" --out "$tmp/$name" "$@" 2>/dev/null
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.2f\n", $2 - $1 }' >"$tmp/$name.time"
}
run whole
run until --until extinction

# The first-extinction columns of a table, by name.
columns() {
    awk -F, -v want="$2" '
        NR == 1 { n = split(want, names, " "); for (i = 1; i <= NF; i++) at[$i] = i; }
        { line = ""; for (i = 1; i <= n; i++) line = line "," $(at[names[i]]); print line }' "$1"
}
for mode in whole until; do
    columns "$tmp/$mode/runs.csv" "foodStrength seed first_extinction" >"$tmp/$mode.runs"
    columns "$tmp/$mode/design.csv" "foodStrength runs_died_out first_extinction_censored_share \
first_extinction_median first_extinction_restricted_mean survival_at_end" >"$tmp/$mode.design"
done
for file in runs design; do
    cmp -s "$tmp/whole.$file" "$tmp/until.$file" ||
        { echo "bench-until: the first extinctions of $file.csv differ" >&2; exit 1; }
done
cmp -s "$tmp/whole/survival.csv" "$tmp/until/survival.csv" ||
    { echo "bench-until: survival.csv differs" >&2; exit 1; }
runs=$(($(wc -l <"$tmp/whole.runs") - 1))
died=$(awk -F, 'NR > 1 && $4 != "" { n++ } END { print n + 0 }' "$tmp/whole.runs")
echo "bench-until: $runs runs of up to $frames frames, $died died out; first-extinction figures identical"
paste "$tmp/whole.time" "$tmp/until.time" | awk '{
    printf "  to --frames:          %6.2f s\n  --until extinction:   %6.2f s\n", $1, $2
    printf "  ratio (until / whole): %.3f\n", $2 / $1 }'
