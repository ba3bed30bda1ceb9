#!/bin/bash
# The Linux saver under the real xscreensaver daemon:
#
#   tests/e2e/xscreensaver_e2e.sh [BUILD_DIR]      (default build/native)
#
# Packs the build as a .deb, checks what it holds and has lintian judge it;
# installs the build into a temporary prefix and starts Debian's
# xscreensaver on a private Xvfb with a fresh home, as a new user would have
# it. Then, as that user would: tovrine-setup --only, and
# `xscreensaver-command -activate` must put the world on the screen (the
# time from tovrine-setup to the world is printed). A damaged options.rec
# and a typo in a value on the daemon's command line must still show the
# world; the daemon must log the hack's ending as a normal one, and
# `-deactivate` end it promptly, leaving no process behind. The
# daemon's user has SDL_VIDEODRIVER=wayland set, as some do for games. A named
# pipe as -record ends the saver with a message and 1 at once, and as the
# settings file only gives a message. The saver runs with every choice of
# its settings dialog. Last, tovrine-setup --remove undoes --only, and with
# the hack gone (the package removed) the daemon blanks without a word of
# tovrine. The daemon will not run hacks as root, so when
# this runs as root (CI does) the daemon and the saver run as nobody.
# Screenshots land in out/e2e-xscreensaver/. Exits non-zero if anything
# failed.
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

for tool in Xvfb xscreensaver xscreensaver-command setpriv convert import lintian; do
    command -v "$tool" >/dev/null || { note "$tool is missing (scripts/install-deps.sh)"; exit 2; }
done
[ -x "$build/tovrine" ] || { note "$build has no tovrine: build the native preset first"; exit 2; }

work=$(mktemp -d /tmp/tovrine-xscreensaver.XXXXXX)
chmod 755 "$work"
prefix=$work/prefix
home=$work/home
xvfbPid="" daemonPid="" lintianPid=""

cleanup() {
    # The daemon first, while its display still exists to tell its hack to
    # go; whatever is left of it after that goes down with the X server.
    if [ -n "$daemonPid" ] && kill -0 "$daemonPid" 2>/dev/null; then
        as_user timeout 5 xscreensaver-command -exit >/dev/null 2>&1
        for _ in $(seq 20); do kill -0 "$daemonPid" 2>/dev/null || break; sleep 0.1; done
        kill "$daemonPid" 2>/dev/null
    fi
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
    [ -n "$lintianPid" ] && kill "$lintianPid" 2>/dev/null
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
# xscreensaver, man, the menus and people look for them, names the
# libraries it needs, and lintian finds no error in it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
if (cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 &&
    [ -f "$work/package/tovrine_${version}_amd64.deb" ]; then
    deb=$work/package/tovrine_${version}_amd64.deb
    dpkg-deb -c "$deb" >"$work/contents"
    missing=""
    for path in usr/libexec/xscreensaver/tovrine usr/share/xscreensaver/config/tovrine.xml \
        usr/share/man/man6/tovrine.6x.gz usr/share/tovrine/bitmaps/107_vob.bmp \
        usr/bin/tovrine usr/bin/tovrine-setup usr/share/man/man1/tovrine-setup.1.gz \
        usr/share/doc/tovrine/copyright usr/share/doc/tovrine/changelog.gz \
        usr/share/applications/tovrine.desktop usr/share/icons/hicolor/48x48/apps/tovrine.png \
        usr/share/applications/screensavers/tovrine.desktop usr/share/doc/tovrine/README.Debian; do
        grep -Eq " \./$path( -> .*)?\$" "$work/contents" || missing="$missing $path"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    mkdir "$work/unpacked" && dpkg-deb -x "$deb" "$work/unpacked"
    manWarnings=$(man --warnings -l "$work/unpacked/usr/share/man/man6/tovrine.6x.gz" 2>&1 >/dev/null)
    # On the PATH, the link leads to the hack itself.
    onPath=$(env PATH="$work/unpacked/usr/bin:/usr/bin:/bin" tovrine --version 2>&1)
    # The settings dialog takes the description's last paragraph for the credits.
    credits=$(awk '/<_description>/ { on = 1; next } /<\/_description>/ { on = 0 }
                   on && NF { last = $0 } END { print last }' \
        "$work/unpacked/usr/share/xscreensaver/config/tovrine.xml")
    # The desktops' screen-saver entry runs the hack where the package puts it.
    saverEntry=$work/unpacked/usr/share/applications/screensavers/tovrine.desktop
    entryExec=$(sed -n 's/^Exec=//p' "$saverEntry" 2>/dev/null)
    entryCategories=$(sed -n 's/^Categories=//p' "$saverEntry" 2>/dev/null)
    # Removing the package tells how to undo tovrine-setup.
    removalNote=$(dpkg-deb -I "$deb" postrm 2>/dev/null | grep -c "tovrine-setup --remove")
    # lintian takes seconds: it judges the package while the daemon runs.
    lintian "$deb" >"$work/lintian.log" 2>&1 &
    lintianPid=$!
    if [ -n "$missing" ]; then fail "the package lacks$missing"
    elif ! echo "$depends" | grep -q libsdl2 || ! echo "$depends" | grep -q fonts-liberation; then
        fail "the package's dependencies lack SDL2 or the fonts: $depends"
    elif [ -n "$manWarnings" ]; then fail "the manual page: $manWarnings"
    elif [ "$onPath" != "tovrine $version" ]; then fail "tovrine on the PATH says: $onPath"
    elif [ "$entryExec" != "/usr/libexec/xscreensaver/tovrine --root" ] ||
        [ "$entryCategories" != "Screensaver;" ] || ! grep -q '^OnlyShowIn=' "$saverEntry"; then
        fail "the screensavers entry: Exec=$entryExec Categories=$entryCategories"
    elif [ "${removalNote:-0}" -lt 1 ]; then fail "the package's postrm does not tell of tovrine-setup --remove"
    elif ! echo "$credits" | grep -Eq '; [0-9]{4}\.$'; then
        fail "the settings dialog's credits line would be: $credits"
    else
        pass "tovrine_${version}_amd64.deb ($(stat -c %s "$deb") bytes) depends on $depends"
    fi
else
    cat "$work/cpack.log"; fail "cpack made no tovrine_${version}_amd64.deb"
fi

# tovrine-setup on the shapes a ~/.xscreensaver takes: as the settings tool
# writes it (the list closed by an empty line), as the defaults end theirs
# (the last entry without a backslash), without a list, with Tovrine already
# in it (disabled), and as a link. Each must end with one Tovrine line among
# the list's entries and every other line kept; a second run changes nothing.
# The programs list's entries as the daemon reads them, one a line in
# order: lines joined at a final backslash, split at "\n".
list_entries() {
    awk '/^programs:/ { on = 1; sub(/^programs:/, "") } on { text = text $0 }
         on && !/\\$/ { on = 0 }
         END { n = split(text, e, /\\n/)
               for (i = 1; i <= n; i++) { gsub(/\\/, "", e[i]); if (e[i] ~ /[a-z]/) print e[i] } }' "$1"
}
resource_of() { sed -n "s/^$1:[[:space:]]*//p" "$2" | head -n 1; }
setup_case() {
    local name=$1 expect=$2 dir=$work/setup-$1 file entries
    mkdir -p "$dir" && cat >"$dir/original"
    cp "$dir/original" "$dir/.xscreensaver"
    file=$dir/.xscreensaver
    if [ "$name" = link ]; then
        mv "$file" "$dir/dotfile" && ln -s dotfile "$file" && file=$dir/dotfile
    fi
    env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --random >"$dir/log" 2>&1 </dev/null ||
        { fail "tovrine-setup, $name: $(cat "$dir/log")"; return; }
    cp "$file" "$dir/once"
    env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --random >/dev/null 2>&1 </dev/null
    entries=$(list_entries "$file")
    if [ "$(echo "$entries" | grep -c 'tovrine --root')" != 1 ] ||
        [ "$(echo "$entries" | grep -c -- '-root')" != "$expect" ]; then
        fail "tovrine-setup, $name: the list became: $(echo "$entries" | tr -s ' \t\n' ' ')"
    elif diff "$dir/original" "$file" | grep '^<' | grep -qv '\\n$'; then
        fail "tovrine-setup, $name: lines changed: $(diff "$dir/original" "$file" | tr '\n' ' ')"
    elif ! cmp -s "$dir/once" "$file"; then
        fail "tovrine-setup, $name: a second run changed the file again"
    elif [ "$name" = link ] && [ ! -L "$dir/.xscreensaver" ]; then
        fail "tovrine-setup, link: ~/.xscreensaver is no longer a link"
    fi
    # --only, then --remove: the original without its Tovrine lines, its
    # mode and selection as they were (blank lines aside).
    env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --only >/dev/null 2>&1 </dev/null
    env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --remove >"$dir/log" 2>&1 </dev/null ||
        { fail "tovrine-setup --remove, $name: $(cat "$dir/log")"; return; }
    grep -v tovrine "$dir/original" >"$dir/expected"
    if ! diff -B "$dir/expected" "$file" >"$dir/diff"; then
        fail "tovrine-setup --only then --remove, $name: $(tr '\n' ' ' <"$dir/diff")"
    elif [ "$name" = link ] && [ ! -L "$dir/.xscreensaver" ]; then
        fail "tovrine-setup --remove, link: ~/.xscreensaver is no longer a link"
    fi
}
setup_case dialog 3 <<'EOF'
# XScreenSaver Preferences File
mode:		random
programs:								      \
				maze -root				    \n\
  -				qix -root				    \n\

pointerHysteresis: 10
EOF
setup_case defaults 3 <<'EOF'
timeout: 0:10:00
programs:	maze --root \n\
		qix --root \n
lock: False
EOF
setup_case none 1 <<'EOF'
timeout: 0:10:00
EOF
setup_case disabled 3 <<'EOF'
programs: \
  maze -root \n\
-  tovrine --root \n\
  qix -root \n\

EOF
setup_case link 2 <<'EOF'
programs: \
  maze -root \n\

EOF
# Tovrine in the middle of the list, selected by hand: the selection and the
# mode were never --only's, so --remove takes the line out and moves the
# selection of a later entry with it.
dir=$work/setup-middle && mkdir -p "$dir"
printf 'mode:\t\tone\nselected:\t%s\nprograms: \\\n  maze -root \\n\\\n  tovrine --root \\n\\\n  qix -root \\n\n' 1 >"$dir/.xscreensaver"
env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --remove >"$dir/log" 2>&1 </dev/null
[ "$(resource_of mode "$dir/.xscreensaver")" = random ] && [ "$(resource_of selected "$dir/.xscreensaver")" = -1 ] ||
    fail "tovrine-setup --remove of a Tovrine selected by hand: $(tr '\n' ' ' <"$dir/.xscreensaver")"
printf 'mode:\t\tone\nselected:\t%s\nprograms: \\\n  maze -root \\n\\\n  tovrine --root \\n\\\n  qix -root \\n\n' 2 >"$dir/.xscreensaver"
env -u XDG_CONFIG_HOME HOME="$dir" "$prefix/bin/tovrine-setup" --remove >"$dir/log" 2>&1 </dev/null
[ "$(resource_of mode "$dir/.xscreensaver")" = one ] && [ "$(resource_of selected "$dir/.xscreensaver")" = 1 ] ||
    fail "tovrine-setup --remove moved no selection: $(tr '\n' ' ' <"$dir/.xscreensaver")"
[ "$failed" -eq 0 ] && pass "tovrine-setup keeps every shape of ~/.xscreensaver whole, and --remove undoes it"

mkdir -p "$home" "$shots"
rm -f "$shots"/*.png
# A fresh home: no ~/.xscreensaver, no settings file.
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

# start_daemon: starts it and waits until it answers; false if it ended
# first or never answered.
start_daemon() {
    as_user env SDL_VIDEODRIVER=wayland xscreensaver -no-splash -verbose \
        >>"$work/daemon.log" 2>&1 </dev/null &
    daemonPid=$!
    for _ in $(seq 100); do
        as_user timeout 5 xscreensaver-command -version >/dev/null 2>&1 && return 0
        if ! kill -0 "$daemonPid" 2>/dev/null; then
            wait "$daemonPid"
            echo "xscreensaver e2e: the daemon ended with status $? before it answered"
            return 1
        fi
        sleep 0.1
    done
    return 1
}
# Once in about ten runs of make test on a loaded machine, the daemon ended right
# after it started, without a word in its log: a second start is given.
if ! start_daemon && ! start_daemon; then
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
forked_pid() { sed -n 's/.*forked ".*tovrine --root[^"]*" in pid \([0-9]*\).*/\1/p' "$work/daemon.log" | tail -n 1; }

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

# -activate, then screenshots until the world shows (at most 30 s): sets
# `hack` to the tovrine the daemon started, `shown` to the seconds it took.
activate_and_look() {
    local name=$1 shot=$shots/$1.png yellow=0 blue=0 lit t0
    t0=$(date +%s%N)
    as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "$name: xscreensaver-command -activate"
    while [ $(( $(date +%s%N) - t0 )) -lt 30000000000 ]; do
        sleep 0.25
        import -window root "$shot" 2>/dev/null || continue
        yellow=$(count_pixels "$shot" 60 50 -35)
        blue=$(count_pixels "$shot" -50 -60 55)
        [ "${yellow:-0}" -ge 200 ] && [ "${blue:-0}" -ge 100 ] && break
    done
    shown=$(awk -v a="$t0" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }')
    lit=$(convert "$shot" -fill white +opaque black -colorspace gray -format '%[fx:mean]' info:)
    note "$name: after $shown s: lit share $lit, yellow pixels $yellow, blue pixels $blue"
    hack=$(forked_pid)
    if [ -n "$hack" ] && running "$hack"; then pass "$name: the daemon started tovrine (pid $hack)"
    else fail "$name: no tovrine running after -activate"; hack=""; fi
    if [ "${yellow:-0}" -ge 200 ] && [ "${blue:-0}" -ge 100 ]; then
        pass "$name: the world is on the screen ($shot)"
    else
        fail "$name: no world on the screen ($shot)"
    fi
}

# -deactivate: the daemon sends its hack SIGTERM, which must end it at its
# next frame, and log it as a normal ending. Alone that takes tens of
# milliseconds; while the other chains build and run, the daemon and the X
# server have been seen to take up to 5 s between the command and the end, so
# the check allows 8 s and prints the time (a hack that ignores the signal
# still runs after 10 s and fails).
deactivate_and_check() {
    local name=$1 t0 ms left
    t0=$(date +%s%N)
    as_user xscreensaver-command -deactivate >/dev/null 2>&1 || fail "$name: xscreensaver-command -deactivate"
    while [ -n "$hack" ] && running "$hack" &&
        [ $(( $(date +%s%N) - t0 )) -lt 10000000000 ]; do
        sleep 0.02
    done
    ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    import -window root "$shots/$name-deactivated.png" 2>/dev/null
    if [ -n "$hack" ] && running "$hack"; then
        fail "$name: tovrine still runs ${ms} ms after -deactivate"
    elif [ -n "$hack" ] && [ "$ms" -gt 8000 ]; then
        fail "$name: tovrine ended ${ms} ms after -deactivate (more than 8 s)"
    elif [ -n "$hack" ]; then
        pass "$name: tovrine ended ${ms} ms after -deactivate"
    fi
    left=$(saver_pids)
    [ -z "$left" ] || fail "$name: tovrine processes left after -deactivate: $(echo "$left" | tr '\n' ' ')"
}

# As a new user: the command, then the daemon (already running, as in a
# desktop session) is asked to blank.
started_setup=$(date +%s%N)
if as_user "$prefix/bin/tovrine-setup" --only >"$work/setup.log" 2>&1 </dev/null; then
    pass "tovrine-setup: $(tr '\n' ' ' <"$work/setup.log")"
else
    fail "tovrine-setup ended with $?: $(cat "$work/setup.log")"
fi
entries=$(grep -c "tovrine --root" "$home/.xscreensaver" 2>/dev/null)
others=$(grep -c -- "--root" "$home/.xscreensaver" 2>/dev/null)
if [ "$entries" != 1 ] || [ "${others:-0}" -lt 20 ] || ! grep -q '^mode:[[:space:]]*one' "$home/.xscreensaver"; then
    fail "~/.xscreensaver after tovrine-setup: $entries tovrine lines, $others programs in all"
fi
as_user "$prefix/bin/tovrine-setup" --only >/dev/null 2>&1 </dev/null
[ "$(grep -c "tovrine --root" "$home/.xscreensaver")" = 1 ] || fail "a second tovrine-setup added a second line"
# "selected" counts the list's entries from 0. Seen here: one past the end
# still started Tovrine, so the daemon's choice alone does not show it wrong.
index=$(list_entries "$home/.xscreensaver" | grep -n 'tovrine --root' | cut -d: -f1)
selected=$(sed -n 's/^selected:[[:space:]]*//p' "$home/.xscreensaver")
[ -n "$index" ] && [ "$selected" = $((index - 1)) ] ||
    fail "~/.xscreensaver selects entry $selected, Tovrine is entry $((index - 1))"
activate_and_look fresh-home
note "from a fresh home to the world on the screen: $(awk -v a="$started_setup" -v b="$(date +%s%N)" \
    'BEGIN { printf "%.1f", (b - a) / 1e9 }') s (tovrine-setup --only, xscreensaver-command -activate)"
first=$hack

# A cycle makes the daemon end its hack and go on: its log then tells how
# the hack ended, which must read as a normal ending (as for any hack that
# dies of the daemon's SIGTERM), not as a failure.
as_user xscreensaver-command -cycle >/dev/null 2>&1 || fail "xscreensaver-command -cycle"
for _ in $(seq 40); do
    { [ -n "$first" ] && running "$first"; } || break
    sleep 0.05
done
sleep 0.5
ending=$(grep -E "pid $first[: ].*(exit|kill|signal|terminat)" "$work/daemon.log" | grep -v "killing pid")
note "the daemon's log of the ended tovrine: ${ending:-nothing}"
if [ -n "$first" ] && echo "$ending" | grep -Eq "abnormally|crashed|status [1-9]"; then
    fail "the daemon logged the ending of tovrine (pid $first) as a failure: $ending"
fi
hack=$(forked_pid)
deactivate_and_check fresh-home

# A damaged settings file and a typo in a value on the daemon's command
# line: the world still shows, and the daemon's log has why.
mkdir -p "$home/.config/tovrine"
head -c 200 /dev/urandom >"$home/.config/tovrine/options.rec"
[ "$(id -u)" -eq 0 ] && chown -R "$runAs:$runGroup" "$home/.config"
sed -i 's|tovrine --root|tovrine --root -vobs 3x|' "$home/.xscreensaver"
activate_and_look damaged-settings
for line in 'options.rec" holds 200 bytes' '-vobs "3x" read as 3'; do
    grep -qF -- "$line" "$work/daemon.log" || fail "damaged-settings: the daemon's log lacks '$line'"
done
deactivate_and_check damaged-settings
# The daemon restarts a hack that fails at once, so a world on the screen
# alone does not show that none did.
if grep -E "tovrine[^)]*\).*(crashed|status [1-9])" "$work/daemon.log"; then
    fail "the daemon saw tovrine fail"
fi

# A named pipe: as -record, a message and 1 at once; as the settings file,
# a message and the built-in settings (the saver runs on until stopped).
mkfifo "$work/pipe.rec" && chmod 666 "$work/pipe.rec"
t0=$(date +%s%N)
as_user timeout -k 1 5 "$saver" -record "$work/pipe.rec" >"$work/pipe.log" 2>&1
status=$?
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
if [ "$status" -eq 1 ] && [ "$ms" -lt 1000 ] && grep -q "named pipe" "$work/pipe.log"; then
    pass "a named pipe as -record: 1 after $ms ms, \"$(head -n 1 "$work/pipe.log")\""
else
    fail "a named pipe as -record: status $status after $ms ms: $(head -c 300 "$work/pipe.log")"
fi
mkdir -p "$work/config/tovrine" && mkfifo "$work/config/tovrine/options.rec"
chmod -R a+rwX "$work/config"
as_user env XDG_CONFIG_HOME="$work/config" timeout -s TERM -k 5 --preserve-status 1.5 \
    "$saver" -window >"$work/pipe.log" 2>&1
status=$?
# Ended by the TERM of timeout, after the clean-up: 0, or 143 where it
# ends by that signal.
if { [ "$status" -eq 0 ] || [ "$status" -eq 143 ]; } && grep -q "named pipe" "$work/pipe.log"; then
    pass "a named pipe as the settings file: \"$(head -n 1 "$work/pipe.log")\", and it ran"
else
    fail "a named pipe as the settings file: status $status: $(head -c 300 "$work/pipe.log")"
fi

# window_opens PID: whether a window titled Tovrine appears within 2 s;
# then ends PID, the saver's timeout (seen: timeout passes the TERM on).
window_opens() {
    local window="" pid=$1
    for _ in $(seq 40); do
        window=$(xdotool search --name '^Tovrine$' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.05
    done
    kill "$pid" 2>/dev/null
    wait "$pid"
    [ -n "$window" ]
}

# The menu entry, as a desktop starts it: its Exec line with the package's
# bin on the PATH opens a window titled Tovrine.
if [ -n "${deb:-}" ] && command -v xdotool >/dev/null; then
    exec_line=$(sed -n 's/^Exec=//p' "$work/unpacked/usr/share/applications/tovrine.desktop")
    # shellcheck disable=SC2086  # the Exec line's words
    as_user env PATH="$work/unpacked/usr/bin:/usr/bin:/bin" timeout -s TERM -k 5 3 $exec_line \
        >"$work/menu.log" 2>&1 &
    if window_opens $!; then pass "the menu entry ($exec_line) opens a window"
    else fail "the menu entry ($exec_line) opened no window: $(head -c 300 "$work/menu.log")"; fi
fi

# -display, as every hack takes it: the window opens on that display even
# without DISPLAY.
as_user env -u DISPLAY timeout -s TERM -k 5 3 "$saver" -display "$DISPLAY" -window \
    >"$work/display.log" 2>&1 &
if window_opens $!; then pass "-display $DISPLAY without DISPLAY opens the window there"
else fail "-display $DISPLAY opened no window: $(head -c 300 "$work/display.log")"; fi

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
    if [ "$status" -ne 0 ] && [ "$status" -ne 143 ]; then
        fail "the dialog's choice '$args' ends with $status: $(head -c 300 "$work/choice.log")"
    fi
done
[ "$failed" -eq 0 ] && pass "every choice of the settings dialog runs (last: $args)"

# Undone as README.Debian and the package's removal ask: tovrine-setup
# --remove, then the package's files go. The daemon is back in its default
# mode, random, and blanks without ever trying tovrine (where mode "one"
# would have it report "tovrine" crashed with status 127 at every blank).
if as_user "$prefix/bin/tovrine-setup" --remove >"$work/remove.log" 2>&1 </dev/null; then
    mode=$(resource_of mode "$home/.xscreensaver")
    if grep -q "tovrine --root" "$home/.xscreensaver" || [ "$mode" != random ]; then
        fail "after tovrine-setup --remove: mode $mode, $(grep -c "tovrine --root" "$home/.xscreensaver") tovrine lines"
    fi
else
    fail "tovrine-setup --remove ended with $?: $(cat "$work/remove.log")"
fi
mv "$saver" "$work/tovrine.removed"
mark=$(($(wc -l <"$work/daemon.log") + 1))
as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "after --remove: xscreensaver-command -activate"
# The daemon fades out first (3 s here), then starts a screen saver on its
# window, and reports at once a child that could not start.
forked=""
for _ in $(seq 100); do
    sleep 0.1
    forked=$(tail -n +"$mark" "$work/daemon.log" | sed -n 's/.*forked "\([^ "]*\).* on window .*/\1/p')
    [ -n "$forked" ] && break
done
sleep 0.5
after=$(tail -n +"$mark" "$work/daemon.log")
# The hack by its path, or by its name in the daemon's lines of a child.
tried=$(echo "$after" | grep -E "xscreensaver/tovrine|tovrine --root|\(tovrine\)")
if [ -n "$tried" ]; then
    fail "after tovrine-setup --remove and without the hack the daemon still tried tovrine: $(echo "$tried" | head -n 3)"
elif [ -z "$forked" ]; then
    fail "after tovrine-setup --remove the daemon started no screen saver"
else
    pass "after tovrine-setup --remove and without the hack the daemon blanks with $forked and no word of tovrine"
fi
as_user xscreensaver-command -deactivate >/dev/null 2>&1
mv "$work/tovrine.removed" "$saver"

if [ -n "${lintianPid:-}" ]; then
    wait "$lintianPid"
    if grep -q '^E:' "$work/lintian.log"; then
        fail "lintian: $(grep '^E:' "$work/lintian.log" | tr '\n' ' ')"
    else
        pass "lintian finds no error in the package ($(grep -c '^W:' "$work/lintian.log") warnings)"
    fi
fi

[ "$failed" -ne 0 ] || [ -n "${TOVRINE_E2E_VERBOSE:-}" ] &&
    { echo "--- daemon log"; tail -n 40 "$work/daemon.log"; }
note "took $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
exit $failed
