#!/bin/bash
# The real screen saver under Wine, as the system starts it:
#
#   tests/e2e/saver_e2e.sh BUILD_DIR
#
# Bad tails end with -1; /s draws the world with its cloud in an 800 x 600
# virtual desktop, F1 hides the cloud, a second /s ends at once, any other
# key ends the run with 0; /p puts a child into a window of another process
# and ends with it; a tapped Escape ends the loading screen of the largest
# world. Screenshots land in out/e2e-<build>/. Exits non-zero if
# anything failed.
set -u
cd "$(dirname "$0")/../.."
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
name=$(basename "$build")
saver=$(ls "$build"/tovrine*.scr 2>/dev/null | head -n 1)
launcher=$build/tests/report_exit.exe
shots=out/e2e-$name
export TOVRINE_XVFB_SCREEN=800x600x24
. scripts/wine-rig.sh

failed=0
pass() { echo "e2e $name: ok: $*"; }
fail() { echo "e2e $name: FAILED: $*"; failed=1; }
expect_exit() {
    local want=$1 what=$2
    if [ "$RIG_EXIT_CODE" = "$want" ]; then pass "$what (exit code $want)"
    else fail "$what: exit code $RIG_EXIT_CODE, wanted $want"; fi
}

# Share of pixels that are not black in a region (WxH+X+Y) of a screenshot.
lit_share() {
    convert "$1" -crop "$2" +repage -fill white +opaque black -colorspace gray \
        -format '%[fx:mean]' info: 2>/dev/null
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

[ -n "$saver" ] && [ -f "$launcher" ] || { echo "e2e: $build has no saver or report_exit.exe" >&2; exit 2; }
mkdir -p "$shots" && rm -f "$shots"/*.png
rig_start || exit 1
# From the built-in settings (800 x 600 x 16), whatever earlier tests stored.
wine reg delete 'HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)' /f \
    >/dev/null 2>&1 9>&-

for tail in "/x" "/p 1234" "/p 0x4D2" "/a 1234" "5"; do
    # shellcheck disable=SC2086  # the words of the tail are separate arguments
    rig_run 60 "" "$launcher" "$saver" $tail
    expect_exit -1 "tail '$tail'"
done

rig_launch "e2e,800x600" "$launcher" "$saver" /s
sleep 8
rig_screenshot "$shots/running.png"
rig_key F1
sleep 1.5
rig_screenshot "$shots/cloud-hidden.png"
rig_key F1
sleep 1.5
rig_screenshot "$shots/cloud-again.png"

frame=$(lit_share "$shots/running.png" 800x600+0+0)
cloud=$(lit_share "$shots/running.png" 87x66+0+5)
hidden=$(lit_share "$shots/cloud-hidden.png" 87x66+0+5)
again=$(lit_share "$shots/cloud-again.png" 87x66+0+5)
echo "e2e $name: lit share: frame $frame, cloud $cloud, after F1 $hidden, after F1 again $again"
if above "$frame" 0.01; then pass "the world is drawn"; else fail "the screen stays black"; fi
if above "$cloud" 0.3 && above "$cloud" "$(awk -v h="$hidden" 'BEGIN { print h * 2 }')" &&
    above "$again" 0.3; then
    pass "F1 hides the cloud and shows it again"
else
    fail "the cloud does not follow F1"
fi

# A second start request while one runs wakes the running one and ends.
first_result=$RIG_LAUNCH_RESULT first_pid=$RIG_LAUNCH_PID
rig_launch "e2e,800x600" "$launcher" "$saver" /s
rig_wait_launched 30
expect_exit 0 "a second /s while one runs"
RIG_LAUNCH_RESULT=$first_result RIG_LAUNCH_PID=$first_pid

rig_key a
if rig_wait_launched 30; then pass "a key ends the run (exit code 0)"
else fail "a key did not end the run: $RIG_EXIT_CODE"; fi

rig_run 60 "" "$launcher" "$build/tests/preview_parent.exe" "$saver"
expect_exit 0 "/p makes a child of its parent's size and ends with it"

# The greedy record (99 999 Vobs and 99 999 whirls) takes tens of seconds to
# set up here; a tap of Escape on its loading screen (press and release
# between two polls) ends it at once. Missed, the tap's key message would
# still close the saver, but only after the rest of the set-up and a frame
# (20 s and more); a busy machine may take a few seconds to end it at once.
key='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'
wine reg add "$key" /v Options /t REG_BINARY \
    /d "$(xxd -p tests/world/records/greedy.rec | tr -d '\n')" /f >/dev/null 2>&1 9>&-
rig_launch "e2e-greedy,800x600" "$launcher" "$saver" /s
sleep 4
rig_screenshot "$shots/greedy-loading.png"
tapped=$SECONDS
rig_key Escape
rig_wait_launched 60
ended=$((SECONDS - tapped))
echo "e2e $name: the greedy set-up ended $ended s after a tapped Escape (exit code $RIG_EXIT_CODE)"
if [ "$RIG_EXIT_CODE" = 0 ] && [ "$ended" -le 15 ]; then
    pass "a tapped Escape ends the greedy set-up"
else
    fail "a tapped Escape did not end the greedy set-up at once ($ended s, exit code $RIG_EXIT_CODE)"
fi
wine reg delete "$key" /f >/dev/null 2>&1 9>&-

exit $failed
