#!/bin/bash
# The Linux saver under the real xscreensaver daemon:
#
#   tests/e2e/xscreensaver_e2e.sh [BUILD_DIR]      (default build/native)
#
# Packs the build as a .deb and checks what it holds; installs the build
# into a temporary prefix, starts Debian's xscreensaver on a private Xvfb
# with a private home whose ~/.xscreensaver lists only that tovrine, and
# checks that `xscreensaver-command -activate` puts the world on the screen
# and that `-deactivate` ends the saver within a second, leaving no process
# behind; then runs the saver with every choice of its settings dialog. The
# daemon will not run hacks as root, so when this runs as root (CI does)
# the daemon and the saver run as nobody. Screenshots land in
# out/e2e-xscreensaver/. Exits non-zero if anything failed.
set -u
cd "$(dirname "$0")/../.." || exit 2
build=$(cd "${1:-build/native}" && pwd) || exit 2
shots=$PWD/out/e2e-xscreensaver
screen=1024x768x24
started=$(date +%s.%N)

failed=0
pass() { echo "xscreensaver e2e: ok: $*"; }
fail() { echo "xscreensaver e2e: FAILED: $*"; failed=1; }
note() { echo "xscreensaver e2e: $*"; }

for tool in Xvfb xscreensaver xscreensaver-command setpriv convert import; do
    command -v "$tool" >/dev/null || { note "$tool is missing (scripts/install-deps.sh)"; exit 2; }
done
[ -x "$build/tovrine" ] || { note "$build has no tovrine: build the native preset first"; exit 2; }

work=$(mktemp -d /tmp/tovrine-xscreensaver.XXXXXX)
chmod 755 "$work"
prefix=$work/prefix
home=$work/home
xvfbPid="" daemonPid=""

cleanup() {
    # The daemon first, while its display still exists to tell its hack to
    # go; whatever is left of it after that goes down with the X server.
    if [ -n "$daemonPid" ] && kill -0 "$daemonPid" 2>/dev/null; then
        as_user timeout 5 xscreensaver-command -exit >/dev/null 2>&1
        for _ in $(seq 20); do kill -0 "$daemonPid" 2>/dev/null || break; sleep 0.1; done
        kill "$daemonPid" 2>/dev/null
    fi
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Who runs the daemon: this user, unless this is root.
if [ "$(id -u)" -eq 0 ]; then
    runAs=nobody
    id "$runAs" >/dev/null 2>&1 || { note "no user 'nobody' to run the daemon as"; exit 2; }
    runGroup=$(id -gn "$runAs")
    as_user() {
        setpriv --reuid="$runAs" --regid="$runGroup" --clear-groups \
            env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" DISPLAY="${DISPLAY:-}" "$@"
    }
    saverUid=$(id -u "$runAs")
else
    as_user() { env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" DISPLAY="${DISPLAY:-}" "$@"; }
    saverUid=$(id -u)
fi

# The installed tree, readable and runnable by that user.
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"; fail "cmake --install"; exit 1
fi
chmod -R a+rX "$prefix"
saver=$prefix/libexec/xscreensaver/tovrine
[ -x "$saver" ] || { fail "cmake --install left no $saver"; exit 1; }
[ -f "$prefix/share/tovrine/bitmaps/107_vob.bmp" ] || fail "cmake --install left no artwork"

# The Debian package of the same build holds the same files where
# xscreensaver and man look for them, and names the libraries it needs.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
if (cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 &&
    [ -f "$work/package/tovrine_${version}_amd64.deb" ]; then
    deb=$work/package/tovrine_${version}_amd64.deb
    dpkg-deb -c "$deb" >"$work/contents"
    missing=""
    for path in usr/libexec/xscreensaver/tovrine usr/share/xscreensaver/config/tovrine.xml \
        usr/share/man/man6/tovrine.6.gz usr/share/tovrine/bitmaps/107_vob.bmp; do
        grep -q " \./$path\$" "$work/contents" || missing="$missing $path"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    mkdir "$work/unpacked" && dpkg-deb -x "$deb" "$work/unpacked"
    manWarnings=$(man --warnings -l "$work/unpacked/usr/share/man/man6/tovrine.6.gz" 2>&1 >/dev/null)
    if [ -n "$missing" ]; then fail "the package lacks$missing"
    elif ! echo "$depends" | grep -q libsdl2 || ! echo "$depends" | grep -q fonts-liberation; then
        fail "the package's dependencies lack SDL2 or the fonts: $depends"
    elif [ -n "$manWarnings" ]; then fail "the manual page: $manWarnings"
    else pass "tovrine_${version}_amd64.deb ($(stat -c %s "$deb") bytes) depends on $depends"
    fi
else
    cat "$work/cpack.log"; fail "cpack made no tovrine_${version}_amd64.deb"
fi

mkdir -p "$home" "$shots"
rm -f "$shots"/*.png
# Never blanks by itself within the test; no fading, splash or lock to wait for.
cat >"$home/.xscreensaver" <<EOF
timeout: 1:00:00
cycle: 0:00:00
lock: False
splash: False
fade: False
unfade: False
mode: one
selected: 0
programs: \\
  $saver --root \\n\\

EOF
[ "$(id -u)" -eq 0 ] && chown -R "$runAs:$runGroup" "$home"

# A folder the daemon's user may enter, for it and the programs it starts.
cd "$work" || exit 2

# -ac: the daemon runs as another user than the server.
: >"$work/display"
Xvfb -displayfd 3 -ac -screen 0 "$screen" -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 </dev/null &
xvfbPid=$!
for _ in $(seq 100); do
    grep -q '^[0-9][0-9]*$' "$work/display" && break
    kill -0 "$xvfbPid" 2>/dev/null || break
    sleep 0.1
done
grep -q '^[0-9][0-9]*$' "$work/display" || { cat "$work/xvfb.log"; fail "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY

as_user xscreensaver -no-splash -verbose >"$work/daemon.log" 2>&1 </dev/null &
daemonPid=$!
for _ in $(seq 100); do
    as_user timeout 5 xscreensaver-command -version >/dev/null 2>&1 && break
    kill -0 "$daemonPid" 2>/dev/null || break
    sleep 0.1
done
if ! as_user timeout 5 xscreensaver-command -version >/dev/null 2>&1; then
    cat "$work/daemon.log"; fail "the daemon did not start"; exit 1
fi
pass "the daemon runs as $(id -un "$saverUid") on $DISPLAY"

# Every tovrine of the user the daemon runs as; and the one the daemon
# started, from its log ("forked "... tovrine --root" in pid N").
# A process that has ended may stay a zombie for a while: once the daemon's
# helper is gone, it is this machine's init that reaps it.
running() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
    [ -n "$state" ] && [ "$state" != Z ]
}
saver_pids() {
    local pid
    for pid in $(pgrep -u "$saverUid" -x tovrine); do running "$pid" && echo "$pid"; done
}
forked_pid() { sed -n 's/.*forked ".*tovrine --root" in pid \([0-9]*\).*/\1/p' "$work/daemon.log" | tail -n 1; }

# Pixels of a screenshot whose channels each lie above (+) or below (-) a
# share of full scale: the world's yellow Vobs and blue whirls and food,
# which the loading screen's white text and a black screen do not have.
count_pixels() {
    local shot=$1 masks=() channel share
    shift
    for channel in R G B; do
        share=$1
        shift
        masks+=('(' -clone 0 -channel "$channel" -separate +channel -threshold "${share#-}%")
        [ "${share#-}" != "$share" ] && masks+=(-negate)
        masks+=(')')
    done
    convert "$shot" -alpha off "${masks[@]}" -delete 0 -evaluate-sequence min \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver-command -activate"
shot=$shots/activated.png
yellow=0 blue=0 lit=0
for i in $(seq 30); do
    sleep 1
    import -window root "$shot" 2>/dev/null || continue
    yellow=$(count_pixels "$shot" 60 50 -35)
    blue=$(count_pixels "$shot" -50 -60 55)
    [ "${yellow:-0}" -ge 200 ] && [ "${blue:-0}" -ge 100 ] && break
done
lit=$(convert "$shot" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:)
note "after ${i} s: lit share $lit, yellow pixels $yellow, blue pixels $blue"
hack=$(forked_pid)
if [ -n "$hack" ] && running "$hack"; then pass "the daemon started tovrine (pid $hack)"
else fail "no tovrine running after -activate"; hack=""; fi
if [ "${yellow:-0}" -ge 200 ] && [ "${blue:-0}" -ge 100 ]; then
    pass "the world is on the screen ($shot)"
else
    fail "no world on the screen ($shot)"
fi

# -deactivate: the daemon sends its hack SIGTERM, which must end it within
# a second.
t0=$(date +%s%N)
as_user xscreensaver-command -deactivate >/dev/null 2>&1 || fail "xscreensaver-command -deactivate"
while [ -n "$hack" ] && running "$hack" &&
    [ $(( $(date +%s%N) - t0 )) -lt 5000000000 ]; do
    sleep 0.02
done
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
import -window root "$shots/deactivated.png" 2>/dev/null
if [ -n "$hack" ] && running "$hack"; then
    fail "tovrine still runs ${ms} ms after -deactivate"
elif [ -n "$hack" ] && [ "$ms" -gt 1000 ]; then
    fail "tovrine ended ${ms} ms after -deactivate (more than a second)"
elif [ -n "$hack" ]; then
    pass "tovrine ended ${ms} ms after -deactivate"
fi
left=$(saver_pids)
[ -z "$left" ] || fail "tovrine processes left after -deactivate: $(echo "$left" | tr '\n' ' ')"
# The daemon restarts a hack that fails at once, so a world on the screen
# alone does not show that none did.
if grep -E "tovrine\).*(abnormally|signal)" "$work/daemon.log"; then
    fail "the daemon saw tovrine fail"
fi

# Every choice the settings dialog offers must be a command line the saver
# takes: one it refused would leave the screen black. Round i picks the i-th
# entry of every menu (0 the default, which adds nothing) and, in odd
# rounds, fills every box and ticks every check box.
xml=$prefix/share/xscreensaver/config/tovrine.xml
[ -f "$xml" ] || fail "cmake --install left no $xml"
dialog_args() {
    awk -v round="$1" '
        { line = $0 }
        /<select/ { inMenu = 1; n = 0 }
        match(line, /arg-set="[^"]*"/) {
            value = substr(line, RSTART + 9, RLENGTH - 10)
            if (inMenu) { menu[++n] = value } else if (round % 2) { printf "%s ", value }
        }
        /<\/select>/ { inMenu = 0; pick = round % (n + 1); if (pick) printf "%s ", menu[pick] }
        match(line, / arg="[^"]*"/) {
            value = substr(line, RSTART + 6, RLENGTH - 7)
            if (value !~ /%/) printf "%s ", value
            else if (round % 2) { sub(/%/, "20", value); printf "%s ", value }
        }' "$xml"
}
for round in 0 1 2 3 4 5 6 7; do
    args=$(dialog_args "$round")
    # shellcheck disable=SC2086  # the words are separate arguments
    as_user timeout -s TERM -k 5 --preserve-status 1.5 "$saver" $args >"$work/choice.log" 2>&1
    status=$?
    if [ "$status" -ne 0 ]; then
        fail "the dialog's choice '$args' ends with $status: $(head -c 300 "$work/choice.log")"
    fi
done
[ "$failed" -eq 0 ] && pass "every choice of the settings dialog runs (last: $args)"

[ "$failed" -ne 0 ] || [ -n "${TOVRINE_E2E_VERBOSE:-}" ] &&
    { echo "--- daemon log"; tail -n 40 "$work/daemon.log"; }
note "took $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
exit $failed
