#!/bin/bash
# The configure mode of the real screen saver under Wine:
#
#   tests/e2e/config_e2e.sh BUILD_DIR [SHOTS_DIR]
#
# A first /c opens one window, the sheet "Tovrine" with its four tabs and
# OK, Cancel, Help, and creates "Options" and "alg0".."alg6"; a screenshot
# of every page lands in SHOTS_DIR (default out/config-pages/<build>). OK and
# Cancel each end the mode with 1034, and dialog 2003 never shows. Runs in
# the project's own Wine prefix, whose saver key it removes first. Exits
# non-zero if anything failed.
set -u
cd "$(dirname "$0")/../.."
build=$(cd "${1:?usage: $0 BUILD_DIR [SHOTS_DIR]}" && pwd)
name=$(basename "$build")
saver=$(ls "$build"/tovrine*.scr 2>/dev/null | head -n 1)
launcher=$build/tests/report_exit.exe
shots=${2:-out/config-pages/$name}
export TOVRINE_XVFB_SCREEN=1024x768x24
. scripts/wine-rig.sh

key='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'
failed=0
pass() { echo "config-e2e $name: ok: $*"; }
fail() { echo "config-e2e $name: FAILED: $*"; failed=1; }

# The visible windows titled exactly "Tovrine".
sheets() { xdotool search --onlyvisible --name '^Tovrine$' 2>/dev/null; }

wait_for_sheet() {
    local i
    for i in $(seq 200); do
        [ -n "$(sheets)" ] && return 0
        sleep 0.1
    done
    return 1
}

# Presses keys in the sheet.
sheet_key() {
    local window
    window=$(sheets | head -n 1)
    [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --delay 100 "$@"
    sleep 0.5
}

# Waits for the mode to end and sets SHOWED_AGAIN to 1 if a window titled
# "Tovrine" showed after the sheet had gone (dialog 2003 has that caption).
wait_for_end() {
    local i gone=0
    SHOWED_AGAIN=0
    for i in $(seq 300); do
        [ -s "$RIG_LAUNCH_RESULT" ] && break
        if [ -z "$(sheets)" ]; then
            gone=1
        elif [ "$gone" = 1 ]; then
            SHOWED_AGAIN=1
        fi
        sleep 0.05
    done
    rig_wait_launched 10
    [ "$SHOWED_AGAIN" = 0 ] || fail "a window titled Tovrine showed after the sheet closed"
}

[ -n "$saver" ] && [ -f "$launcher" ] || { echo "config-e2e: $build has no saver or report_exit.exe" >&2; exit 2; }
mkdir -p "$shots" && rm -f "$shots"/*.png
rig_start || exit 1
wine reg delete "$key" /f >/dev/null 2>&1

# A first run: OK.
rig_launch "" "$launcher" "$saver" /c
if ! wait_for_sheet; then
    fail "no window titled Tovrine"
    rig_wait_launched 5
    exit 1
fi
sleep 1
count=$(sheets | wc -l)
[ "$count" = 1 ] && pass "one window titled Tovrine" || fail "$count windows titled Tovrine"

stored=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
missing=""
for value in Options alg0 alg1 alg2 alg3 alg4 alg5 alg6; do
    echo "$stored" | grep -q "^ *$value *REG_BINARY" || missing="$missing $value"
done
echo "$stored" | grep -q "^ *alg7 " && missing="$missing (and alg7 should not be there)"
[ -z "$missing" ] && pass "a first run stores Options and alg0..alg6" || fail "the store lacks:$missing"

# Each tab is clicked at its label (measured on the sheet as Wine draws it
# with its substitute for "MS Sans Serif"); each page must look different.
window=$(sheets | head -n 1)
page=1
for tab in 40:playing-god 120:system-limits 190:load-save 262:happy-happy; do
    xdotool mousemove --window "$window" "${tab%%:*}" 14 click 1 2>/dev/null
    sleep 0.7
    import -display "$DISPLAY" -window "$window" "$shots/$page-${tab#*:}.png" 2>/dev/null ||
        fail "no screenshot of page $page"
    page=$((page + 1))
done
# On the about page: the red dot, the animal, the branching figure, the
# yellow ring and the green figure, clicked in turn, reveal every hidden
# picture (places as measured on the page above).
for spot in 114:153 201:113 248:94 301:197 123:213; do
    xdotool mousemove --window "$window" "${spot%%:*}" "${spot#*:}" click 1 2>/dev/null
    sleep 0.3
done
import -display "$DISPLAY" -window "$window" "$shots/5-happy-happy-revealed.png" 2>/dev/null
distinct=$(md5sum "$shots"/*.png | cut -d' ' -f1 | sort -u | wc -l)
[ "$distinct" = 5 ] && pass "four pages and the revealed pictures, screenshots in $shots" || fail "only $distinct different pages"
xdotool mousemove --window "$window" 40 14 click 1 2>/dev/null

sheet_key Return   # OK
wait_for_end
[ "$RIG_EXIT_CODE" = 1034 ] && pass "OK ends the mode with 1034" || fail "OK: exit code $RIG_EXIT_CODE"

# Cancel.
rig_launch "" "$launcher" "$saver" /c
if wait_for_sheet; then
    sleep 1
    sheet_key Escape
    wait_for_end
    [ "$RIG_EXIT_CODE" = 1034 ] && pass "Cancel ends the mode with 1034" || fail "Cancel: exit code $RIG_EXIT_CODE"
else
    fail "no sheet on the second /c"
    rig_wait_launched 5
fi

exit $failed
