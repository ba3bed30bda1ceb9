#!/bin/bash
# The share of one core that presenting the world costs, side by side on one
# Xvfb: the Linux saver at default settings in its own window scaled to
# 1024 x 768, and tovrine.scr /s under Wine in an 800 x 600 virtual desktop.
#
#   scripts/linux-saver-cpu.sh [SECONDS]     (default 20)
#
# Needs build/native (tovrine) and build/win32 (tovrine.scr, report_exit).
set -u
cd "$(dirname "$0")/.."
seconds=${1:-20}
native=$(pwd)/build/native/tovrine
saver=$(pwd)/build/win32/tovrine.scr
launcher=$(pwd)/build/win32/tests/report_exit.exe
for f in "$native" "$saver" "$launcher"; do
    [ -f "$f" ] || { echo "linux-saver-cpu: $f is missing" >&2; exit 2; }
done
export TOVRINE_XVFB_SCREEN=1920x1200x24
. scripts/wine-rig.sh
rig_start || exit 1
home=$RIG_TMP/home
mkdir -p "$home"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# The Wine process running our .scr: by its command line and our prefix, as
# other checkouts may run theirs at the same time.
scr_pid() {
    local pid
    for pid in $(pgrep -f 'tovrine\.scr'); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            ! grep -q report_exit "/proc/$pid/cmdline"; then
            echo "$pid"
            return
        fi
    done
}

HOME=$home XDG_CONFIG_HOME=$home "$native" -window >/dev/null 2>&1 &
native_pid=$!
for _ in $(seq 50); do
    id=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
done
xdotool windowsize "$id" 1024 768 windowmove "$id" 850 0

rig_launch "tovrine,800x600" "$launcher" "$saver" /s
wine_pid=""
for _ in $(seq 300); do
    wine_pid=$(scr_pid)
    [ -n "$wine_pid" ] && break
    sleep 0.1
done
[ -n "$wine_pid" ] || { echo "linux-saver-cpu: the Wine saver did not start" >&2; exit 1; }
sleep 5

hz=$(getconf CLK_TCK)
n0=$(ticks "$native_pid") w0=$(ticks "$wine_pid") s0=$(ticks "$RIG_WINESERVER_PID")
sleep "$seconds"
n1=$(ticks "$native_pid") w1=$(ticks "$wine_pid") s1=$(ticks "$RIG_WINESERVER_PID")
share() { awk -v a="$1" -v b="$2" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", (b - a) * 100 / (hz * s) }'; }
echo "over $seconds s, load average $(cut -d' ' -f1-3 /proc/loadavg):"
echo "  tovrine -window, 800x600x16 scaled to 1024x768: $(share "$n0" "$n1") % of one core"
echo "  tovrine.scr /s under Wine, 800x600x16:           $(share "$w0" "$w1") % of one core" \
    "(and wineserver $(share "$s0" "$s1") %)"
mkdir -p out && rig_screenshot out/linux-saver-cpu.png
kill -TERM "$native_pid"
wait "$native_pid"
rig_key Escape
rig_wait_launched 10
rig_stop
