#!/bin/bash
# Help in the configure mode of the real screen saver under Wine:
#
#   tests/e2e/help_e2e.sh BUILD_DIR [SHOTS_DIR]
#
# With "tovrine doreroder.hlp" in the Windows folder, as the release's
# README.txt says, the Help button on each of the four pages and F1 on one
# open the help viewer on this help's contents; a jump there opens a topic
# and the Index button lists the keywords. Without the file the viewer says
# it cannot find it. Screenshots land in SHOTS_DIR (default
# out/help/<build>). Runs in the project's own Wine prefix. Exits non-zero
# if anything failed.
set -u
cd "$(dirname "$0")/../.."
build=$(cd "${1:?usage: $0 BUILD_DIR [SHOTS_DIR]}" && pwd)
name=$(basename "$build")
saver=$(ls "$build"/tovrine*.scr 2>/dev/null | head -n 1)
launcher=$build/tests/report_exit.exe
shots=${2:-out/help/$name}
helpFile="resources/help/tovrine doreroder.hlp"
export TOVRINE_XVFB_SCREEN=1024x768x24
. scripts/wine-rig.sh

failed=0
pass() { echo "help-e2e $name: ok: $*"; }
fail() { echo "help-e2e $name: FAILED: $*"; failed=1; }

sheet() { xdotool search --onlyvisible --name '^Tovrine$' 2>/dev/null | head -n 1; }
# Wine's viewer, captioned "Wine Help" when a program opens it.
viewer() { xdotool search --onlyvisible --name '^Wine Help' 2>/dev/null | head -n 1; }
indexDialog() { xdotool search --onlyvisible --name '^Help topics' 2>/dev/null | head -n 1; }
# The pixels in the colour of jumps in a screenshot: this help's contents
# page is a list of jumps to all its topics, far more than any topic has.
jumpPixels() {
    convert "$1" -fill black +opaque '#008000' -fill white -opaque '#008000' \
        -format '%[fx:int(mean*w*h)]' info: 2>/dev/null || echo 0
}
contentsPixels=3000
# Wine's viewer asks in a box captioned "ERROR" when it cannot find a file.
notFound() { xdotool search --onlyvisible --name '^ERROR$' 2>/dev/null | head -n 1; }

# wait_for COMMAND: up to 10 s for COMMAND to print a window; wait_gone
# COMMAND: for it to print none.
wait_for() { wait_until "$1" -n; }
wait_gone() { wait_until "$1" -z; }
wait_until() {
    local i
    for i in $(seq 100); do
        [ "$2" "$("$1")" ] && return 0
        sleep 0.1
    done
    return 1
}

# Closes the viewer as its user would (Alt+F4), so the next request must
# open it again.
close_viewer() {
    local window
    window=$(viewer)
    [ -n "$window" ] || return 0
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key alt+F4
    wait_gone viewer || fail "the viewer did not close"
}

# Places measured on the sheet and the viewer as Wine draws them.
tabs="40:playing-god 120:system-limits 190:load-save 262:happy-happy"
helpButton="292 290"
firstJump="60 85"
indexButton="85 28"

[ -n "$saver" ] && [ -f "$launcher" ] || { echo "help-e2e: $build has no saver or report_exit.exe" >&2; exit 2; }
[ -f "$helpFile" ] || { echo "help-e2e: $helpFile is missing" >&2; exit 2; }
mkdir -p "$shots" && rm -f "$shots"/*.png
# The browser: Wine's winebrowser hands every page to xdg-open, here a
# stand-in that writes down what it was given.
browserDir=$(mktemp -d "${TMPDIR:-/tmp}/tovrine-help-browser.XXXXXX")
opened=$browserDir/opened
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$opened" >"$browserDir/xdg-open"
chmod +x "$browserDir/xdg-open"
: >"$opened"
export PATH="$browserDir:$PATH"
rig_start || exit 1
trap 'rig_stop; restore_viewer; rm -rf "$browserDir"' EXIT
windows="$WINEPREFIX/drive_c/windows"
rm -f "$windows/tovrine doreroder."* "$windows/tovrine-help.html"
restore_viewer() {
    [ -f "$windows/winhlp32.exe.away" ] && mv -f "$windows/winhlp32.exe.away" "$windows/winhlp32.exe"
    return 0
}
restore_viewer

rig_launch "" "$launcher" "$saver" /c
if ! wait_for sheet; then
    fail "no window titled Tovrine"
    rig_wait_launched 5
    exit 1
fi
sleep 1
window=$(sheet)

cp resources/help/"tovrine doreroder."* "$windows/"
page=1
for tab in $tabs; do
    xdotool mousemove --window "$window" "${tab%%:*}" 14 click 1 2>/dev/null
    sleep 0.7
    xdotool mousemove --window "$window" $helpButton click 1 2>/dev/null
    if wait_for viewer; then
        sleep 1
        shot="$shots/$page-help-on-${tab#*:}.png"
        rig_screenshot "$shot"
        if [ "$(jumpPixels "$shot")" -gt "$contentsPixels" ]; then
            pass "Help on ${tab#*:} opens the viewer on this help"
        else
            fail "Help on ${tab#*:} opens the viewer, but not on this help"
        fi
    else
        fail "Help on ${tab#*:} opened no viewer"
        [ -n "$(notFound)" ] && fail "the viewer did not find the help file"
    fi
    close_viewer
    page=$((page + 1))
done

# F1 on the first page, with the focus in its first box (F1 reaches the
# page from its own controls, not from the sheet's buttons).
f1_in_first_box() {
    xdotool mousemove --window "$window" 40 14 click 1 2>/dev/null
    sleep 0.5
    xdotool mousemove --window "$window" 85 52 click 1 2>/dev/null
    sleep 0.3
    xdotool key F1
}
f1_in_first_box
if wait_for viewer; then
    sleep 1
    rig_screenshot "$shots/5-f1-on-playing-god.png"
    [ "$(jumpPixels "$shots/5-f1-on-playing-god.png")" -gt "$contentsPixels" ] && pass "F1 opens the viewer on this help" ||
        fail "F1 opens the viewer, but not on this help"
else
    fail "F1 opened no viewer"
fi

# F1 right after a tab is clicked (the tabs have the focus) and on the about
# page, which has no boxes: the sheet passes it on.
for tab in 40:playing-god 262:happy-happy; do
    close_viewer
    xdotool mousemove --window "$window" "${tab%%:*}" 14 click 1 2>/dev/null
    sleep 0.7
    xdotool key F1
    if wait_for viewer; then pass "F1 right after the ${tab#*:} tab is clicked opens the viewer"
    else fail "F1 right after the ${tab#*:} tab is clicked opened no viewer"; fi
done
close_viewer
f1_in_first_box
wait_for viewer
[ -s "$opened" ] && fail "the browser was asked for a page while WinHelp works: $(cat "$opened")"

# From the contents a jump opens a topic, and the index lists keywords.
helpWindow=$(viewer)
if [ -n "$helpWindow" ]; then
    xdotool mousemove --window "$helpWindow" $firstJump click 1 2>/dev/null
    sleep 1
    rig_screenshot "$shots/6-topic.png"
    seen=$(jumpPixels "$shots/6-topic.png")
    if [ "$seen" -gt 0 ] && [ "$seen" -lt "$contentsPixels" ]; then
        pass "a jump in the contents opens a topic"
    else
        fail "the jump in the contents did not open a topic ($seen pixels of jumps)"
    fi
    xdotool mousemove --window "$helpWindow" $indexButton click 1 2>/dev/null
    if wait_for indexDialog; then
        sleep 0.5
        rig_screenshot "$shots/7-index.png"
        pass "the Index button lists the keywords"
        xdotool windowfocus --sync "$(indexDialog)" 2>/dev/null
        xdotool key Escape
        wait_gone indexDialog
    else
        fail "the Index button opened no index"
    fi
fi
close_viewer

# Without the file: the viewer's own message.
rm -f "$windows/tovrine doreroder."*
xdotool mousemove --window "$window" $helpButton click 1 2>/dev/null
if wait_for notFound; then
    pass "without the help file the viewer says it cannot find it"
    xdotool windowfocus --sync "$(notFound)" 2>/dev/null
    xdotool key n
    wait_gone notFound
else
    fail "no message about the missing help file"
fi
close_viewer

xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
rig_wait_launched 10
[ "$RIG_EXIT_CODE" = 1034 ] && pass "Cancel still ends the mode with 1034" || fail "Cancel: exit code $RIG_EXIT_CODE"

# ---- Without a WinHelp viewer: the web page in the browser ----------------
# opened_topic TOPIC WHAT: waits up to 10 s for the browser to be handed
# tovrine-help.html at TOPIC.
opened_topic() {
    local i
    for i in $(seq 100); do
        if grep -q "tovrine-help\.html#$1\$" "$opened"; then
            pass "$2 opens tovrine-help.html at #$1"
            : >"$opened"
            return 0
        fi
        sleep 0.1
    done
    fail "$2 did not open tovrine-help.html at #$1 (the browser got: $(tr '\n' ' ' <"$opened"))"
    : >"$opened"
}
mv "$windows/winhlp32.exe" "$windows/winhlp32.exe.away"
beside=$browserDir/saver
mkdir -p "$beside"
cp "$saver" resources/help/tovrine-help.html "$beside/"
rig_launch "" "$launcher" "Z:${beside//\//\\}\\$(basename "$saver")" /c
if ! wait_for sheet; then
    fail "no window titled Tovrine without the viewer"
    rig_wait_launched 5
    exit 1
fi
sleep 1
window=$(sheet)
for tab in 40:page_god 120:page_limits 190:page_slots 262:page_about; do
    xdotool mousemove --window "$window" "${tab%%:*}" 14 click 1 2>/dev/null
    sleep 0.7
    xdotool mousemove --window "$window" $helpButton click 1 2>/dev/null
    opened_topic "${tab#*:}" "Help on ${tab#*:}"
done
xdotool mousemove --window "$window" 262 14 click 1 2>/dev/null
sleep 0.7
xdotool key F1
opened_topic page_about "F1 right after the about tab is clicked"
xdotool mousemove --window "$window" 120 14 click 1 2>/dev/null
sleep 0.7
xdotool key F1
opened_topic page_limits "F1 right after the System/Limits tab is clicked"
[ -z "$(viewer)" ] || fail "a help viewer opened though winhlp32.exe is gone"
rig_screenshot "$shots/8-without-viewer.png"
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
rig_wait_launched 10
restore_viewer
echo "help-e2e $name: screenshots in $shots"
exit $failed
