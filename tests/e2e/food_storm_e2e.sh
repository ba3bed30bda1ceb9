#!/bin/bash
# The food storm (tests/world/records/food-storm.rec: the first preset with
# 99 999 whirls, food of 9 999 999 units, a deposit at every step) grows
# without bound until the world's memory budget ends it:
#
#   tests/e2e/food_storm_e2e.sh [NATIVE_BUILD [WIN32_BUILD]]
#                                   (default build/native build/win32)
#   tests/e2e/food_storm_e2e.sh --large-modes WINDOWS_BUILD... [--native NATIVE_BUILD]
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
#
# --large-modes is the quick storm of make test: each saver of the given
# Windows builds at 1024 x 768 x 32 and x 16 (the storm with 2 000 and 500
# whirls, so that food spreads over the screen within seconds) draws it for
# STORM_SECONDS (default 30; 15 at 16 bits), then ends on a key with 0. At 32
# bits the frame's present used to crash both savers after 8 to 27 seconds
# (Wine's front buffer read after it was freed; see render/win32/display.cpp).
# The last picture of each run is left in out/storm/.
set -u
cd "$(dirname "$0")/../.."

# ---- --large-modes: the quick storm at 1024 x 768 ------------------------
large_modes() {
    local native=build/native builds=() failed=0
    while [ $# -gt 0 ]; do
        case "$1" in
            --native) native=$2; shift 2 ;;
            *) builds+=("$1"); shift ;;
        esac
    done
    local record_tool=$native/tools/record/tovrine-record
    [ -x "$record_tool" ] || { echo "food storm: $record_tool is missing" >&2; return 2; }
    local tmp
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrine-large-storm.XXXXXX")
    export TOVRINE_XVFB_SCREEN=1024x768x24
    . scripts/wine-rig.sh
    rig_start || return 1
    local key='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'
    local build depth saver launcher record whirls seconds
    # The last picture of each run is kept for a person to look at.
    mkdir -p out/storm
    for build in "${builds[@]}"; do
        saver=$build/tovrine.scr
        [ -f "$saver" ] || saver=$build/tovrine64.scr
        launcher=$build/tests/report_exit.exe
        if [ ! -f "$saver" ] || [ ! -f "$launcher" ]; then
            echo "food storm: FAILED: $build has no saver or report_exit.exe"
            failed=1
            continue
        fi
        saver=$(cd "$(dirname "$saver")" && pwd)/$(basename "$saver")
        launcher=$(cd "$(dirname "$launcher")" && pwd)/report_exit.exe
        for depth in 32 16; do
            record=$tmp/storm-$depth.rec
            whirls=2000 seconds=${STORM_SECONDS:-30}
            [ "$depth" = 16 ] && whirls=500 seconds=$((seconds / 2))
            "$record_tool" make --record tests/world/records/food-storm.rec --set whirlCount=$whirls \
                --set screenWidth=1024 --set screenHeight=768 --set screenDepth=$depth \
                --out "$record" || return 1
            wine reg add "$key" /v Options /t REG_BINARY /d "$(xxd -p "$record" | tr -d '\n')" \
                /f >/dev/null 2>&1 9>&-
            large_mode_run "$(basename "$saver") at 1024x768x$depth" \
                "out/storm/$(basename "$saver" .scr)-1024x768x$depth.png" "$seconds" \
                "$launcher" "$saver" || failed=1
        done
    done
    wine reg delete "$key" /v Options /f >/dev/null 2>&1 9>&-
    rm -rf "$tmp"
    return $failed
}

# Share of the screen's pixels that are not black.
lit_share() {
    convert "$1" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info: 2>/dev/null
}

# large_mode_run NAME SHOT SECONDS LAUNCHER SAVER: the saver draws the
# storm for SECONDS, food on a good part of the screen by then (or, on a
# machine busy with other work, which grows it more slowly, within twice as
# long again), and a key ends it with 0.
large_mode_run() {
    local name=$1 shot=$2 seconds=$3 lit i
    shift 3
    rig_launch "storm,1024x768" "$@" /s
    for i in $(seq $((3 * seconds))); do
        sleep 1
        [ -s "$RIG_LAUNCH_RESULT" ] && break
        if [ "$i" -ge "$seconds" ] && [ $(((i - seconds) % 3)) = 0 ]; then
            rig_screenshot "$shot"
            lit=$(lit_share "$shot")
            awk -v l="$lit" 'BEGIN { exit !(l > 0.1) }' && break
        fi
    done
    if [ -s "$RIG_LAUNCH_RESULT" ]; then
        rig_wait_launched 1
        echo "food storm: FAILED: $name: ended with $RIG_EXIT_CODE after $i s"
        return 1
    fi
    rig_key a
    if ! rig_wait_launched 10; then
        echo "food storm: FAILED: $name: exit code $RIG_EXIT_CODE after $i s and a key"
        return 1
    fi
    if ! awk -v l="$lit" 'BEGIN { exit !(l > 0.1) }'; then
        echo "food storm: FAILED: $name: after $i s only $lit of the screen is lit"
        return 1
    fi
    echo "food storm: ok: $name: drew the storm for $i s (lit share $lit), ended on a key"
}

if [ "${1:-}" = --large-modes ]; then
    shift
    large_modes "$@"
    exit
fi

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
