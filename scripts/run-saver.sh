#!/bin/bash
# make run: the screen saver full screen under Wine, in a virtual desktop of
# the display mode stored in its settings (800 x 600 before any are stored).
#
# With a display ($DISPLAY set), it runs in a window on it until you press a
# key or move the mouse over it. Without one, it runs on a private Xvfb for
# about half a minute, saves a screenshot every few seconds to out/, then
# ends the run with a key press and says where the pictures are.
set -u
cd "$(dirname "$0")/.."
build=${TOVRINE_BUILD:-build/win32}
saver=$(pwd)/$build/tovrine.scr
launcher=$(pwd)/$build/tests/report_exit.exe
seconds=${TOVRINE_RUN_SECONDS:-30}
for f in "$saver" "$launcher"; do
    [ -f "$f" ] || { echo "run-saver: $f is missing; build the win32 preset" >&2; exit 2; }
done

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    export RIG_USE_DISPLAY=1
    headless=0
else
    export TOVRINE_XVFB_SCREEN=1920x1200x24
    headless=1
fi
. scripts/wine-rig.sh
rig_start || exit 1

# The stored mode: bytes 64 to 75 of "Options", three little-endian numbers.
stored_mode() {
    local hex
    hex=$(wine reg query 'HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)' \
        /v Options 2>/dev/null 9>&- | tr -d '\r' | awk '$2 == "REG_BINARY" { print $3 }')
    [ ${#hex} -ge 152 ] || return 1
    local field
    for field in 128 136; do
        echo $((16#${hex:field+6:2}${hex:field+4:2}${hex:field+2:2}${hex:field:2}))
    done
}
width=800 height=600
if mode=$(stored_mode); then
    set -- $mode
    # Only a mode that fits the screen; anything else the saver refuses and
    # falls back to the desktop's own.
    if [ "$1" -ge 320 ] && [ "$1" -le 1920 ] && [ "$2" -ge 200 ] && [ "$2" -le 1200 ]; then
        width=$1 height=$2
    fi
fi

rig_launch "tovrine,${width}x$height" "$launcher" "$saver" /s
if [ "$headless" = 0 ]; then
    echo "make run: the saver runs in the window 'tovrine - Wine desktop'; press a key there to end it"
    rig_wait_launched 86400
else
    mkdir -p out && rm -f out/saver-*.png
    shots=0
    for ((t = 5; t <= seconds; t += 5)); do
        sleep 5
        shots=$((shots + 1))
        rig_screenshot "$(printf 'out/saver-%02d.png' "$shots")" "${width}x$height+0+0"
    done
    rig_key space
    rig_wait_launched 30
    echo "make run: $shots screenshots of the saver, one every 5 s, are in $(pwd)/out/saver-*.png"
fi
status=$?
if [ "$headless" = 1 ] && [ "$RIG_EXIT_CODE" = timeout ]; then
    # The half minute is the run asked for: its end is no failure.
    echo "make run: the half-minute run is over; the saver, still running after the key press, was stopped"
elif [ "$headless" = 1 ]; then
    echo "make run: the half-minute run is over; the saver ended at the key press with exit code $RIG_EXIT_CODE"
else
    echo "make run: the saver ended with exit code $RIG_EXIT_CODE"
fi
exit $status
