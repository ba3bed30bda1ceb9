#!/bin/bash
# The food storm (tests/world/records/food-storm.rec: the first preset with
# 99 999 whirls, food of 9 999 999 units, a deposit at every step) grows
# without bound until the world's memory budget ends it:
#
#   tests/e2e/food_storm_e2e.sh [NATIVE_BUILD [WIN32_BUILD]]
#                                   (default build/native build/win32)
#
# 1. tovrine-world: "out of memory at frame N" and 1.
# 2. tovrine, the Linux saver, in its own window on a private Xvfb: its
#    message and 1.
# 3. tovrine.scr /s under Wine with the record as its "Options": it closes by
#    itself, without a box, with 0 (skipped without WIN32_BUILD's saver).
# Each prints its time to the ending and its peak resident memory; each must
# stay within the budget and SLACK_MB (default 100: the program, its
# libraries, Wine). TOVRINE_WORLD_MEMORY_MB is the budget in MiB (default 64,
# a quick check); "machine" leaves the machine's own (1 GiB here; 512 MiB for
# the 32-bit saver). WINE_SECONDS bounds the Wine run (default 1800: at 64
# MiB it takes about 6 minutes, drawing 99 999 whirls a frame). Exits non-zero
# if anything failed.
set -u
cd "$(dirname "$0")/../.."
native=$(cd "${1:-build/native}" && pwd)
win32=${2:-build/win32}
record=$(pwd)/tests/world/records/food-storm.rec
slack=${SLACK_MB:-100}
failed=0
pass() { echo "food storm: ok: $*"; }
fail() { echo "food storm: FAILED: $*"; failed=1; }

budget=${TOVRINE_WORLD_MEMORY_MB:-64}
memtotal_mb=$(awk '$1 == "MemTotal:" { print int($2 / 1024) }' /proc/meminfo)
if [ "$budget" = machine ]; then
    unset TOVRINE_WORLD_MEMORY_MB
    # The rule of the world's memory budget: a quarter of the machine, at
    # most 1 GiB; the 32-bit saver a quarter of its 2 GiB.
    budget=$((memtotal_mb / 4 < 1024 ? memtotal_mb / 4 : 1024))
    budget32=$((budget < 512 ? budget : 512))
else
    export TOVRINE_WORLD_MEMORY_MB=$budget
    budget32=$((budget < 512 ? budget : 512))
fi
echo "food storm: budget $budget MiB (32-bit saver $budget32 MiB), machine $memtotal_mb MiB"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrine-food-storm.XXXXXX")
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# within NAME PEAK_KB BUDGET_MB
within() {
    local mb=$(($2 / 1024))
    if [ "$mb" -le $(($3 + slack)) ]; then pass "$1: peak $mb MiB, budget $3 MiB"
    else fail "$1: peak $mb MiB passes the budget $3 MiB and $slack MiB"; fi
}

# ---- 1: the runner -------------------------------------------------------
/usr/bin/time -f "%e %M" -o "$tmp/runner.time" "$native/tools/world/tovrine-world" \
    --record "$record" --frames 100000 >/dev/null 2>"$tmp/runner.err"
code=$?
read -r seconds peak < <(tail -n 1 "$tmp/runner.time")
message=$(head -n 1 "$tmp/runner.err")
if [ "$code" = 1 ] && [[ "$message" =~ ^"tovrine-world: out of memory at frame "[0-9]+$ ]]; then
    pass "tovrine-world: \"$message\", exit 1, after $seconds s"
else
    fail "tovrine-world: exit $code, \"$message\""
fi
within tovrine-world "$peak" "$budget"

# ---- 2: the Linux saver --------------------------------------------------
if [ -x "$native/tovrine" ]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 </dev/null &
    xvfb=$!
    for _ in $(seq 100); do
        grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$tmp/display")"
    XDG_CONFIG_HOME=$tmp/config HOME=$tmp /usr/bin/time -f "%e %M" -o "$tmp/saver.time" \
        "$native/tovrine" -window -record "$record" -delay 0 >/dev/null 2>"$tmp/saver.err"
    code=$?
    read -r seconds peak < <(tail -n 1 "$tmp/saver.time")
    message=$(head -n 1 "$tmp/saver.err")
    if [ "$code" = 1 ] && [ "$message" = "tovrine: Error: Not enough memory for this algorithm." ]; then
        pass "tovrine: \"$message\", exit 1, after $seconds s"
    else
        fail "tovrine: exit $code, \"$message\""
    fi
    within tovrine "$peak" "$budget"
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    xvfb=""
else
    echo "food storm: no $native/tovrine; the Linux saver is skipped"
fi

# ---- 3: the .scr under Wine ----------------------------------------------
saver=$(ls "$win32"/tovrine.scr 2>/dev/null)
launcher=$win32/tests/report_exit.exe
if [ -z "$saver" ] || [ ! -f "$launcher" ]; then
    echo "food storm: no $win32/tovrine.scr or report_exit.exe; Wine is skipped"
    exit $failed
fi
saver=$(cd "$(dirname "$saver")" && pwd)/tovrine.scr
launcher=$(cd "$(dirname "$launcher")" && pwd)/report_exit.exe
export TOVRINE_XVFB_SCREEN=800x600x24
. scripts/wine-rig.sh
rig_start || exit 1
key='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'
wine reg add "$key" /v Options /t REG_BINARY /d "$(xxd -p "$record" | tr -d '\n')" /f \
    >/dev/null 2>&1 9>&-

# The saver's own process is the one of our prefix that runs tovrine.scr;
# its peak is sampled while it runs.
scr_pid() {
    local p
    for p in $(pgrep -u "$(id -u)" -f 'tovrine\.scr'); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            ! tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q report_exit &&
            { echo "$p"; return; }
    done
}
start=$SECONDS
rig_launch "storm,800x600" "$launcher" "$saver" /s
peak=0
pid=""
while [ ! -s "$RIG_LAUNCH_RESULT" ] && [ $((SECONDS - start)) -lt "${WINE_SECONDS:-1800}" ]; do
    [ -z "$pid" ] && pid=$(scr_pid)
    if [ -n "$pid" ]; then
        hwm=$(awk '$1 == "VmHWM:" { print $2 }' "/proc/$pid/status" 2>/dev/null)
        [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    fi
    sleep 0.2
done
rig_wait_launched 5
seconds=$((SECONDS - start))
if [ "$RIG_EXIT_CODE" = 0 ]; then
    pass "tovrine.scr /s under Wine closed by itself after $seconds s (exit code 0)"
else
    fail "tovrine.scr /s under Wine: $RIG_EXIT_CODE after $seconds s"
fi
# Closed by the budget, not by something else before the world had grown.
if [ "$peak" -gt $((budget32 * 1024 * 9 / 10)) ]; then within "tovrine.scr under Wine" "$peak" "$budget32"
else fail "tovrine.scr under Wine: peak $((peak / 1024)) MiB, short of the budget $budget32 MiB"; fi
wine reg delete "$key" /v Options /f >/dev/null 2>&1 9>&-
exit $failed
