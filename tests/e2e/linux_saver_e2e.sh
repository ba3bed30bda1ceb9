#!/bin/bash
# The Linux saver, tovrine, on a private Xvfb:
#
#   tests/e2e/linux_saver_e2e.sh [BUILD_DIR]     (default build/native)
#
# 1. -window: Vobs, whirls and the cloud in its own window, at 16 and 32
#    bits, with SDL_VIDEODRIVER naming wayland and offscreen (X11 all the
#    same); F1 hides the cloud; Escape ends with 0.
#    -seed: a frame of the window, a few seconds in, is one of tovrine-world's
#    for that seed, pixel for pixel (and none of another seed's), with
#    -foreground, -background and -xrm taken and ignored; a
#    settings file under a home of UTF-8 "hömé" is named on the picture as
#    under a home of those letters in Latin-1 (one text, one picture).
# 2. -window-id: the world inside a preview-sized window made here and
#    nothing outside it; it follows a resize; destroying the window ends
#    the saver with 0.
# 3. A 1280 x 720 world on the 1024 x 768 screen: its window fits the
#    screen (shrunk-1280x720.png and given-320x240.png are the ones to look
#    at: the cloud's words must stay readable).
# 4. SIGTERM ends a run within half a second, by SIGTERM after the clean-up
#    (as the daemon expects of a hack it ends). A frame is 10 ms; the margin
#    is for a machine busy with the other test chains, where 190 ms was seen.
# 5. Stops that must stop: the X server stopped (SIGSTOP) and SIGTERM to the
#    saver, ended within 2 s; SIGTERM during a -delay of 5 s, within a
#    second; no display, a message and 1 within a second in every mode; an
#    8-bit display, a message and 1; DISPLAY not set, that message and 1; an
#    X server that dies under a run, a message and 1.
# Also: an unknown option, a -record file that is not there, a window id
# that is none and missing artwork end with 1 and a message (a damaged
# record or a value out of range only give a message: xscreensaver_e2e.sh).
# Screenshots land in out/e2e-linux/. Exits non-zero if anything failed.
set -u
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build/native}" && pwd)
saver=$build/tovrine
shots=out/e2e-linux
here=tests/e2e
failed=0
pass() { echo "linux e2e: ok: $*"; }
fail() { echo "linux e2e: FAILED: $*"; failed=1; }

[ -x "$saver" ] || { echo "linux e2e: no $saver" >&2; exit 2; }
mkdir -p "$shots" && rm -f "$shots"/*.png
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrine-linux-e2e.XXXXXX")
xvfb=""
spare=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    [ -n "$spare" ] && kill -CONT "$spare" 2>/dev/null && kill "$spare" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# -displayfd lets Xvfb pick a free display number; -br: a black root, so
# that anything drawn outside a given window shows.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -br \
    3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 </dev/null &
xvfb=$!
for _ in $(seq 100); do
    grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null && break
    sleep 0.1
done
grep -q '^[0-9][0-9]*$' "$tmp/display" || { cat "$tmp/xvfb.log" >&2; exit 2; }
export DISPLAY=":$(cat "$tmp/display")"
# No settings file of the user's: the built-in first preset.
export XDG_CONFIG_HOME=$tmp/config HOME=$tmp

census() { python3 "$here/picture_census.py" "$@"; }
# field NAME CENSUS-LINE: one count of a census
field() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
shot() { import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# wait_exit PID SECONDS: sets code to the exit code, or "running" after the
# time. Not in a subshell: only the parent can wait for its child.
wait_exit() {
    local i
    for i in $(seq $(($2 * 20))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            code=$?
            return
        fi
        sleep 0.05
    done
    code=running
}

# The first preset at 32 bits.
depth32=tests/world/records/alg0-800x600x32.rec
# ---- 1: its own window ---------------------------------------------------
own_window() {
    local depth=$1 driver=$2 args=()
    [ "$depth" = 32 ] && args=(-record "$depth32")
    # Set for games, it must not take the saver away from X11.
    SDL_VIDEODRIVER=$driver "$saver" -window "${args[@]}" >"$tmp/own.log" 2>&1 &
    local pid=$! id=""
    for _ in $(seq 50); do
        id=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { fail "own window at $depth bits, SDL_VIDEODRIVER=$driver: no window: $(head -n 1 "$tmp/own.log")"; kill "$pid"; return; }
    eval "$(xdotool getwindowgeometry --shell "$id")"
    local world="$WIDTH $HEIGHT"
    local all cloud drawn=no look
    # On a busy machine the loading screen may still be up after 2 s: a few
    # more looks before the world counts as not drawn.
    sleep 2
    for look in 1 2 3 4 5 6; do
        shot "$shots/own-$depth.png"
        all=$(census "$shots/own-$depth.png" "$X" "$Y" "$WIDTH" "$HEIGHT")
        # The cloud sits at the world's top left.
        cloud=$(field cloud "$(census "$shots/own-$depth.png" "$X" "$Y" 110 80)")
        if [ "$(field vob "$all")" -gt 50 ] && [ "$(field whirl "$all")" -gt 200 ] && [ "$cloud" -gt 1500 ]; then
            drawn=yes
            break
        fi
        sleep 0.5
    done
    if [ "$drawn" = yes ]; then
        pass "own window at $depth bits ($world), SDL_VIDEODRIVER=$driver: $all, cloud $cloud"
    else
        fail "own window at $depth bits ($world): $all, cloud $cloud"
    fi
    # Keys go where the pointer is: no window manager gives focus here.
    xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    xdotool key F1
    sleep 0.5
    # A whirl drifting through the cloud's corner is as blue as the cloud:
    # a few looks, since the whirl moves on and a cloud that stayed would not.
    for look in 1 2 3 4; do
        shot "$shots/own-$depth-f1.png"
        cloud=$(field cloud "$(census "$shots/own-$depth-f1.png" "$X" "$Y" 110 80)")
        [ "$cloud" -lt 200 ] && break
        sleep 0.7
    done
    if [ "$cloud" -lt 200 ]; then pass "F1 hides the cloud (cloud $cloud)"
    else fail "F1 left the cloud (cloud $cloud)"; fi
    xdotool key Escape
    wait_exit "$pid" 3
    if [ "$code" = 0 ]; then pass "Escape ends with 0"
    else fail "Escape: exit $code"; kill "$pid" 2>/dev/null; cat "$tmp/own.log"; fi
}
own_window 16 wayland
own_window 32 offscreen

# ---- -seed: the run tovrine-world gives ------------------------------------
# window_frame PNG SECONDS ARGS...: the saver's own window with ARGS, as it
# is SECONDS after it opened.
window_frame() {
    local png=$1 seconds=$2 pid id=""
    shift 2
    "$saver" -window "$@" >"$tmp/seed.log" 2>&1 &
    pid=$!
    for _ in $(seq 50); do
        id=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    sleep "$seconds"
    [ -n "$id" ] && import -window "$id" "$png" 2>/dev/null
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -s "$png" ]
}
# first_frame PNG ARGS...: a frame every 10 s; the first one, on the screen
# for those seconds, once the world is built.
first_frame() { window_frame "$1" 1.5 -delay 10000000 "${@:2}"; }
differing() { compare -metric AE "$1" "$2" null: 2>&1; }
# frames_like PNG FOLDER: the frames of FOLDER with the same pixels as PNG.
frames_like() {
    local signature
    signature=$(identify -format '%#' "$1")
    identify -format '%f %#\n' "$2"/*.png | sed -n "s/^frame-0*\([0-9]*\)\.png $signature\$/\1/p"
}
world=$build/tools/world/tovrine-world
if [ ! -x "$world" ]; then
    fail "-seed: no $world to compare with"
else
    # The runner's frames are made while the window runs (it mostly waits).
    runners=()
    for seed in 7 1000; do
        "$world" --record "$depth32" --seed "$seed" --frames 40 --png "$tmp/world-$seed" --every 1 &
        runners+=($!)
    done
    # Five frames a second: some 15 frames in after 3 s, the Vobs set out.
    window_frame "$shots/seed-7.png" 3 -delay 200000 -record "$depth32" -seed 7 \
        -foreground red -background '#000' -xrm '*fps: True'
    shown=$?
    wait "${runners[@]}"
    if [ "$shown" = 0 ]; then
        same=$(frames_like "$shots/seed-7.png" "$tmp/world-7" | head -n 1)
        other=$(frames_like "$shots/seed-7.png" "$tmp/world-1000" | head -n 1)
        if [ -n "$same" ] && [ "$same" -ge 5 ] && [ -z "$other" ]; then
            pass "-seed 7: the window showed frame $same of tovrine-world --seed 7, pixel for pixel (no frame of seed 1000)"
        else
            fail "-seed 7: the window matches frame ${same:-none} of seed 7, ${other:-none} of seed 1000 ($shots/seed-7.png)"
        fi
    else
        fail "-seed 7: no window: $(head -n 2 "$tmp/seed.log")"
    fi
fi

# The settings file's notice names it on the picture: the same picture for a
# home called "hömé" in UTF-8 and in Latin-1, and not that of "hÃ¶mÃ©", the
# UTF-8 bytes read as Latin-1.
notice_frame() {
    mkdir -p "$1/.config/tovrine"
    head -c 50 /dev/zero >"$1/.config/tovrine/options.rec"
    HOME=$1 XDG_CONFIG_HOME= first_frame "$2" -seed 7
}
utf8=$(printf '%s/h\303\266m\303\251' "$tmp") latin1=$(printf '%s/h\366m\351' "$tmp")
misread=$(printf '%s/h\303\203\302\266m\303\203\302\251' "$tmp")
if notice_frame "$utf8" "$shots/notice-utf8.png" && notice_frame "$latin1" "$tmp/notice-latin1.png" &&
    notice_frame "$misread" "$tmp/notice-misread.png"; then
    same=$(differing "$shots/notice-utf8.png" "$tmp/notice-latin1.png")
    misread=$(differing "$shots/notice-utf8.png" "$tmp/notice-misread.png")
    if [ "$same" = 0 ] && [ "${misread:-0}" -gt 100 ]; then
        pass "a home of \"hömé\" is named so on the picture (as in Latin-1; $misread pixels from \"hÃ¶mÃ©\")"
    else
        fail "a home of \"hömé\": $same pixels differ from the Latin-1 name's picture, $misread from \"hÃ¶mÃ©\""
    fi
else
    fail "the notice of a settings file: no window"
fi

# ---- 2: a window of another program --------------------------------------
coproc HOST { python3 "$here/host_window.py" 320 240 600 100; }
read -r -t 10 -u "${HOST[0]}" host_id
if [ -z "${host_id:-}" ]; then
    fail "the host window did not open"
else
    "$saver" -window-id "$host_id" >"$tmp/given.log" 2>&1 &
    pid=$!
    sleep 2
    shot "$shots/given-320x240.png"
    inside=$(census "$shots/given-320x240.png" 600 100 320 240)
    # Everything but that rectangle: the four bands around it.
    outside=0
    for r in "0 0 1024 100" "0 340 1024 428" "0 100 600 240" "920 100 104 240"; do
        # shellcheck disable=SC2086
        outside=$((outside + $(field lit "$(census "$shots/given-320x240.png" $r)")))
    done
    if [ "$(field lit "$inside")" -gt 300 ] && [ "$(field vob "$inside")" -gt 10 ] && [ "$outside" = 0 ]; then
        pass "-window-id 320x240: inside $inside; outside lit $outside"
    else
        fail "-window-id 320x240: inside $inside; outside lit $outside"
    fi
    echo "size 400 300" >&"${HOST[1]}"
    read -r -t 5 -u "${HOST[0]}" _
    sleep 1
    shot "$shots/given-400x300.png"
    # The cloud, always at the world's top left, grows with the picture.
    small=$(field cloud "$inside")
    grown=$(field cloud "$(census "$shots/given-400x300.png" 600 100 400 300)")
    if [ "$grown" -gt $((small * 13 / 10)) ]; then pass "the picture follows a resize (cloud $small, then $grown)"
    else fail "the picture did not follow a resize (cloud $small, then $grown)"; fi
    echo destroy >&"${HOST[1]}"
    wait_exit "$pid" 2
    if [ "$code" = 0 ] && ! grep -q . "$tmp/given.log"; then pass "a destroyed window ends the run quietly with 0"
    else fail "destroyed window: exit $code: $(cat "$tmp/given.log")"; kill "$pid" 2>/dev/null; fi
    echo quit >&"${HOST[1]}"
fi

# ---- 3: a world larger than the screen -------------------------------------
python3 - "$depth32" "$tmp/1280x720.rec" <<'PY'
import struct, sys
record = bytearray(open(sys.argv[1], "rb").read())
record[64:72] = struct.pack("<ii", 1280, 720)  # screenWidth, screenHeight
open(sys.argv[2], "wb").write(record)
PY
"$saver" -window -record "$tmp/1280x720.rec" >"$tmp/large.log" 2>&1 &
pid=$!
id=""
for _ in $(seq 50); do
    id=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
done
if [ -n "$id" ]; then
    eval "$(xdotool getwindowgeometry --shell "$id")"
    sleep 2
    shot "$shots/shrunk-1280x720.png"
    all=$(census "$shots/shrunk-1280x720.png" "$X" "$Y" "$WIDTH" "$HEIGHT")
    if [ "$WIDTH" -le 1024 ] && [ "$HEIGHT" -le 768 ] && [ "$(field cloud "$all")" -gt 1000 ]; then
        pass "1280x720 world in a ${WIDTH}x$HEIGHT window: $all"
    else
        fail "1280x720 world in a ${WIDTH}x$HEIGHT window: $all"
    fi
else
    fail "1280x720 world: no window"
fi
kill -TERM "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

# ---- 4: SIGTERM ------------------------------------------------------------
"$saver" -window >"$tmp/term.log" 2>&1 &
pid=$!
sleep 2
start=$(date +%s%N)
kill -TERM "$pid"
wait "$pid"
code=$?
took=$((($(date +%s%N) - start) / 1000000))
if [ "$code" = 143 ] && [ "$took" -le 500 ]; then pass "SIGTERM ends the run in $took ms, by SIGTERM"
else fail "SIGTERM: exit $code after $took ms"; fi

# ---- 5: stops that must stop ------------------------------------------------
# spare_xvfb SCREEN: a second X server of our own, one we may stop or kill;
# sets spare (its pid) and spare_display.
spare_xvfb() {
    rm -f "$tmp/spare"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$tmp/spare" \
        >/dev/null 2>&1 </dev/null &
    spare=$!
    for _ in $(seq 100); do
        grep -q '^[0-9][0-9]*$' "$tmp/spare" 2>/dev/null && break
        sleep 0.1
    done
    spare_display=":$(cat "$tmp/spare")"
}
end_spare() { kill -CONT "$spare" 2>/dev/null; kill "$spare" 2>/dev/null; wait "$spare" 2>/dev/null; spare=""; }
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }
# sigterm_ends PID MS WHAT: SIGTERM to the saver, which must end by that
# signal (after its clean-up) within MS.
sigterm_ends() {
    local start took
    start=$(date +%s%N)
    kill -TERM "$1"
    wait_exit "$1" 3
    took=$(ms_since "$start")
    if [ "$code" = 143 ] && [ "$took" -le "$2" ]; then pass "$3: SIGTERM ends the saver in $took ms"
    else fail "$3: SIGTERM: exit $code after $took ms"; kill -KILL "$1" 2>/dev/null; fi
}

# The X server stops in the middle of a run: a frame waits on it for ever,
# and only the fallback after the signal can end the saver.
spare_xvfb 640x480x24
DISPLAY=$spare_display "$saver" -window >"$tmp/stall.log" 2>&1 &
pid=$!
sleep 2
kill -STOP "$spare"
sleep 0.5
sigterm_ends "$pid" 2000 "X server stopped"
end_spare

# A stop during the wait between frames: 5 s of it.
"$saver" -window -delay 5000000 >"$tmp/delay.log" 2>&1 &
pid=$!
sleep 1.5
sigterm_ends "$pid" 1000 "-delay 5000000"

# No display: never SDL's off-screen drivers, where nobody would see it.
env -u DISPLAY timeout 10 "$saver" -window >/dev/null 2>"$tmp/nodisplay.log"
code=$?
if [ "$code" = 1 ] && [ "$(cat "$tmp/nodisplay.log")" = "tovrine: DISPLAY is not set: tovrine draws on an X11 display" ]; then
    pass "DISPLAY not set: exit 1, $(head -n 1 "$tmp/nodisplay.log")"
else
    fail "DISPLAY not set: exit $code, $(head -n 1 "$tmp/nodisplay.log")"
fi
for args in "-window" "-fullscreen" "-root" "-window-id 0x200001"; do
    start=$(date +%s%N)
    # shellcheck disable=SC2086
    DISPLAY=:99999 timeout 10 "$saver" $args >/dev/null 2>"$tmp/nodisplay.log"
    code=$?
    took=$(ms_since "$start")
    if [ "$code" = 1 ] && [ "$took" -le 1000 ] && grep -q "cannot open the display" "$tmp/nodisplay.log"; then
        pass "no display, $args: exit 1 in $took ms, $(head -n 1 "$tmp/nodisplay.log")"
    else
        fail "no display, $args: exit $code after $took ms, $(head -n 1 "$tmp/nodisplay.log")"
    fi
done

spare_xvfb 640x480x8
DISPLAY=$spare_display timeout 10 "$saver" -window >/dev/null 2>"$tmp/depth8.log"
code=$?
if [ "$code" = 1 ] && grep -q "bits per pixel" "$tmp/depth8.log"; then pass "8-bit display: exit 1, $(head -n 1 "$tmp/depth8.log")"
else fail "8-bit display: exit $code, $(head -n 1 "$tmp/depth8.log")"; fi
end_spare

# The X server ends under a run, while it starts and later: one line of
# ours (no Xlib message) and 1.
for after in 0.04 0.3 2; do
    spare_xvfb 640x480x24
    DISPLAY=$spare_display "$saver" -window >"$tmp/xio.log" 2>&1 &
    pid=$!
    sleep "$after"
    end_spare
    wait_exit "$pid" 3
    # Gone before the saver connected (a slow start): that is no display; or
    # gone between its look at the display and SDL's start of the video.
    if [ "$code" = 1 ] && grep -q "^tovrine: cannot open the display \"$spare_display\"" "$tmp/xio.log"; then
        pass "X server gone after $after s, before the saver connected: exit 1, no display"
    elif [ "$code" = 1 ] && grep -qx "tovrine: cannot start the video: x11 not available" "$tmp/xio.log"; then
        pass "X server gone after $after s, as the video started: exit 1, $(head -n 1 "$tmp/xio.log")"
    elif [ "$code" = 1 ] && [ "$(cat "$tmp/xio.log")" = "tovrine: lost the display \"$spare_display\": its X server ended or closed the connection" ]; then
        pass "X server gone after $after s: exit 1, $(cat "$tmp/xio.log")"
    else fail "X server gone after $after s: exit $code, $(head -n 1 "$tmp/xio.log")"; kill -KILL "$pid" 2>/dev/null; fi
done

# ---- refusals ---------------------------------------------------------------
for args in "-bogus" "-window-id 0x0x1f" "-record $tmp/missing.rec"; do
    # shellcheck disable=SC2086
    timeout 10 "$saver" -window $args >/dev/null 2>"$tmp/refused.log"
    code=$?
    window=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
    if [ "$code" = 1 ] && [ -s "$tmp/refused.log" ] && [ -z "$window" ]; then
        pass "tovrine $args: exit 1, $(head -n 1 "$tmp/refused.log")"
    else
        fail "tovrine $args: exit $code"
    fi
done

# No artwork where it is looked for: the sprites' message, not a quiet end.
TOVRINE_RESOURCES=$tmp/none timeout 10 "$saver" -window >/dev/null 2>"$tmp/refused.log"
code=$?
if [ "$code" = 1 ] && grep -q "Couldn't load sprites" "$tmp/refused.log"; then
    pass "no artwork: exit 1, $(tail -n 1 "$tmp/refused.log")"
else
    fail "no artwork: exit $code, $(tail -n 1 "$tmp/refused.log")"
fi

[ "$failed" = 0 ] && echo "linux e2e: all passed" || echo "linux e2e: FAILED"
exit "$failed"
