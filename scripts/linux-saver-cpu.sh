#!/bin/bash
# The share of one core that showing the world costs, each program beside a
# yardstick in the same seconds, each on an X server of its own so that the
# server's share is told apart:
#
#   1. 1920 x 1080: the Linux saver at default settings (-root) beside
#      xscreensaver's galaxy hack (Debian's xscreensaver-data), both on the
#      whole screen;
#   2. 800 x 600 x 16: tovrine.scr /s under Wine in an 800 x 600 virtual
#      desktop beside the Linux saver in an 800 x 600 window.
#
#   scripts/linux-saver-cpu.sh [SECONDS]     (default 20 for each pair)
#
# Needs build/native (tovrine) and build/win32 (tovrine.scr, report_exit);
# TOVRINE_SAVER names another Linux saver to measure (an older build, say).
set -u
cd "$(dirname "$0")/.."
seconds=${1:-20}
native=${TOVRINE_SAVER:-$(pwd)/build/native/tovrine}
galaxy=/usr/libexec/xscreensaver/galaxy
saver=$(pwd)/build/win32/tovrine.scr
launcher=$(pwd)/build/win32/tests/report_exit.exe
for f in "$native" "$galaxy" "$saver" "$launcher"; do
    [ -f "$f" ] || { echo "linux-saver-cpu: $f is missing" >&2; exit 2; }
done
export TOVRINE_XVFB_SCREEN=1024x768x24
. scripts/wine-rig.sh
rig_start || exit 1
home=$RIG_TMP/home
mkdir -p "$home"

pids=()
# own_xvfb SIZE: a private Xvfb; sets xvfb_display and xvfb_pid.
own_xvfb() {
    local fdfile
    fdfile=$(mktemp "$RIG_TMP/display.XXXXXX")
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 </dev/null 9>&- &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    for _ in $(seq 100); do
        grep -q '^[0-9][0-9]*$' "$fdfile" && break
        sleep 0.1
    done
    xvfb_display=":$(cat "$fdfile")"
}
stop_own() {
    local pid
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    pids=()
}
trap 'stop_own; rig_stop' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)
# measure PID...: each one's share of a core over the seconds, in order.
measure() {
    local before=() after=() pid i
    for pid in "$@"; do before+=("$(ticks "$pid")"); done
    sleep "$seconds"
    for pid in "$@"; do after+=("$(ticks "$pid")"); done
    shares=()
    for i in "${!before[@]}"; do
        shares+=("$(awk -v a="${before[$i]}" -v b="${after[$i]}" -v hz="$hz" -v s="$seconds" \
            'BEGIN { printf "%.1f", (b - a) * 100 / (hz * s) }')")
    done
}
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a + b }'; }

echo "linux-saver-cpu: $seconds s for each pair, % of one core (the program + its X server):"

# 1. The whole of a 1920 x 1080 screen each.
own_xvfb 1920x1080x24
tovrine_display=$xvfb_display tovrine_xvfb=$xvfb_pid
own_xvfb 1920x1080x24
galaxy_display=$xvfb_display galaxy_xvfb=$xvfb_pid
HOME=$home XDG_CONFIG_HOME=$home DISPLAY=$tovrine_display "$native" -root >/dev/null 2>&1 &
tovrine_pid=$!
pids+=("$tovrine_pid")
DISPLAY=$galaxy_display "$galaxy" -root >/dev/null 2>&1 &
galaxy_pid=$!
pids+=("$galaxy_pid")
sleep 5
load=$(cut -d' ' -f1 /proc/loadavg)
measure "$tovrine_pid" "$tovrine_xvfb" "$galaxy_pid" "$galaxy_xvfb"
echo "  1920x1080, load average $load:"
printf '    tovrine -root (defaults)      %5s %% + Xvfb %5s %% = %5s %%\n' \
    "${shares[0]}" "${shares[1]}" "$(sum "${shares[0]}" "${shares[1]}")"
printf '    galaxy -root (xscreensaver)   %5s %% + Xvfb %5s %% = %5s %%\n' \
    "${shares[2]}" "${shares[3]}" "$(sum "${shares[2]}" "${shares[3]}")"
mkdir -p out
DISPLAY=$tovrine_display import -window root out/linux-saver-cpu-1920x1080.png 2>/dev/null
stop_own

# 2. 800 x 600 x 16: the Wine saver in the rig's desktop, the Linux saver in
# a window of that size on an X server of its own.
own_xvfb 1024x768x24
HOME=$home XDG_CONFIG_HOME=$home DISPLAY=$xvfb_display "$native" -window -geometry 800x600+0+0 \
    >/dev/null 2>&1 &
tovrine_pid=$!
pids+=("$tovrine_pid")
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
rig_launch "tovrine,800x600" "$launcher" "$saver" /s
wine_pid=""
for _ in $(seq 300); do
    wine_pid=$(scr_pid)
    [ -n "$wine_pid" ] && break
    sleep 0.1
done
[ -n "$wine_pid" ] || { echo "linux-saver-cpu: the Wine saver did not start" >&2; exit 1; }
sleep 5
load=$(cut -d' ' -f1 /proc/loadavg)
measure "$wine_pid" "$RIG_WINESERVER_PID" "$RIG_XVFB_PID" "$tovrine_pid" "$xvfb_pid"
echo "  800x600x16, load average $load:"
printf '    tovrine.scr /s under Wine     %5s %% + Xvfb %5s %% = %5s %% (and wineserver %s %%)\n' \
    "${shares[0]}" "${shares[2]}" "$(sum "${shares[0]}" "${shares[2]}")" "${shares[1]}"
printf '    tovrine -window 800x600       %5s %% + Xvfb %5s %% = %5s %%\n' \
    "${shares[3]}" "${shares[4]}" "$(sum "${shares[3]}" "${shares[4]}")"
rig_screenshot out/linux-saver-cpu-wine.png
rig_key Escape
rig_wait_launched 10
stop_own
