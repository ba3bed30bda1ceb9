# The Wine test rig, sourced by wine-tests.sh and wine-run.sh (bash).
#
# rig_start starts a private Xvfb display and one persistent wineserver for
# the project's own Wine prefix (build/wine-prefix, created on first use);
# rig_run runs one Windows program, plainly or inside a Wine virtual desktop,
# with a time limit; rig_stop ends everything rig_start and rig_run started.
# rig_start installs traps so that rig_stop also runs on failure or interrupt.
#
# Settings (environment):
#   TOVRINE_WINEPREFIX  the prefix (default: build/wine-prefix of this checkout)
#   TOVRINE_XVFB_SCREEN the Xvfb screen (default 1280x1024x24; Wine then
#                       reports 32 bits per pixel)
#   RIG_USE_DISPLAY=1   run on the user's own $DISPLAY instead of a private
#                       Xvfb (make run with a display)

RIG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${TOVRINE_WINEPREFIX:=$RIG_ROOT/build/wine-prefix}"
: "${TOVRINE_XVFB_SCREEN:=1280x1024x24}"
# Wine shows X's 24-bit visuals as 32 bits per pixel.
RIG_DESKTOP_DEPTH=${TOVRINE_XVFB_SCREEN##*x}
[ "$RIG_DESKTOP_DEPTH" = 24 ] && RIG_DESKTOP_DEPTH=32

RIG_TMP=""
RIG_XVFB_PID=""
RIG_WINESERVER_PID=""
RIG_CHILD_PID=""
RIG_RUNS=0
RIG_EXIT_CODE=""

rig_log() { echo "wine-rig: $*" >&2; }

# --- start and stop -------------------------------------------------------

rig_start() {
    trap 'rig_stop' EXIT
    trap 'rig_log "interrupted"; exit 130' INT TERM HUP
    RIG_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tovrine-wine.XXXXXX") || return 1

    mkdir -p "$(dirname "$TOVRINE_WINEPREFIX")"
    # One rig per prefix at a time: a second wineserver -k would kill ours.
    exec 9>"$TOVRINE_WINEPREFIX.lock"
    if ! flock -n 9; then
        rig_log "waiting for another run that uses $TOVRINE_WINEPREFIX"
    fi
    if ! rig_wait_for flock -w 900 9; then
        rig_log "the prefix $TOVRINE_WINEPREFIX stayed busy for 15 minutes"
        return 1
    fi

    export WINEPREFIX="$TOVRINE_WINEPREFIX"
    export WINEDEBUG=-all
    # No Mono or Gecko dialogs, and no menu entries or file associations
    # written into the user's home by winemenubuilder.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    # DirectDraw on Wine's CPU renderer: with OpenGL (llvmpipe, present here
    # for the 64-bit Wine only) every blit and fill of a system-memory
    # surface goes through a texture upload and is about 30 times slower.
    export WINE_D3D_CONFIG=renderer=no3d
    unset WINESERVER WINELOADER
    # A wineserver left by an earlier run that was killed outright.
    timeout -k 2 15 wineserver -k >/dev/null 2>&1 9>&-

    if [ "${RIG_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
        rig_log "on the display $DISPLAY"
    else
        rig_start_xvfb || return 1
    fi
    rig_start_wineserver && rig_prepare_prefix && rig_unmanage_test_windows
}

rig_start_xvfb() {
    # -displayfd lets Xvfb pick a free display number and tell us when ready.
    local fdfile="$RIG_TMP/display"
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "$TOVRINE_XVFB_SCREEN" -nolisten tcp -noreset \
        3>"$fdfile" >"$RIG_TMP/xvfb.log" 2>&1 </dev/null 9>&- &
    RIG_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        if grep -q '^[0-9][0-9]*$' "$fdfile" 2>/dev/null; then
            export DISPLAY=":$(cat "$fdfile")"
            rig_log "Xvfb on $DISPLAY ($TOVRINE_XVFB_SCREEN), pid $RIG_XVFB_PID"
            return 0
        fi
        kill -0 "$RIG_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rig_log "Xvfb did not start:"; cat "$RIG_TMP/xvfb.log" >&2
    return 1
}

rig_start_wineserver() {
    mkdir -p "$WINEPREFIX"
    # Persistent, so that every program of the run skips Wine's start-up.
    wineserver -f -p </dev/null >"$RIG_TMP/wineserver.log" 2>&1 9>&- &
    RIG_WINESERVER_PID=$!
    sleep 0.2
    if ! kill -0 "$RIG_WINESERVER_PID" 2>/dev/null; then
        rig_log "wineserver did not start:"; cat "$RIG_TMP/wineserver.log" >&2
        return 1
    fi
}

rig_prepare_prefix() {
    local ready="$WINEPREFIX/.tovrine-ready"
    [ -f "$ready" ] && return 0
    # A half-made prefix, or one made before 32-bit Wine was installed,
    # cannot run the 32-bit build: start again, but only inside build/.
    if [ -e "$WINEPREFIX/system.reg" ]; then
        case "$WINEPREFIX" in
            "$RIG_ROOT"/build/*) ;;
            *) rig_log "$WINEPREFIX is not a prefix made by this rig; remove it or choose another"
               return 1 ;;
        esac
        rig_log "remaking the incomplete prefix $WINEPREFIX"
        rig_kill_wine
        rm -rf "$WINEPREFIX"
        rig_start_wineserver || return 1
    fi
    rig_log "creating the Wine prefix $WINEPREFIX (once)"
    local start=$SECONDS
    if ! rig_wait_for timeout -k 5 300 wineboot -i </dev/null >"$RIG_TMP/wineboot.log" 2>&1 9>&-; then
        rig_log "wineboot failed:"; cat "$RIG_TMP/wineboot.log" >&2
        return 1
    fi
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        rig_log "the prefix has no 32-bit support: is wine32:i386 installed?"
        return 1
    fi
    touch "$ready"
    # Measured: with the server that saw the prefix being made, each virtual
    # desktop then takes about 14 s to start; a fresh server starts it in 1 s.
    rig_kill_wine
    rig_start_wineserver || return 1
    rig_log "prefix ready in $((SECONDS - start)) s"
}

# With no window manager on the Xvfb, Wine waits 2 s for a window manager's
# answer each time a managed window (a dialog, a message box) is hidden. The
# test program opens and closes them by the dozen, so its windows are left
# unmanaged; every other program keeps Wine's defaults.
rig_unmanage_test_windows() {
    local marker="$WINEPREFIX/.tovrine-unmanaged-tests"
    [ -f "$marker" ] && return 0
    if ! rig_wait_for timeout -k 5 60 wine reg add \
        'HKCU\Software\Wine\AppDefaults\tovrine_wintests.exe\X11 Driver' \
        /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-; then
        rig_log "could not set the test program's windows unmanaged (tests will be slower)"
        return 0
    fi
    touch "$marker"
}

# Runs a command in the background and waits for it: a trap set for an
# interrupt runs only once the foreground command has ended, which for
# wineboot or a wait for the lock can be minutes. rig_stop ends it.
rig_wait_for() {
    "$@" &
    RIG_CHILD_PID=$!
    wait "$RIG_CHILD_PID"
    local status=$?
    RIG_CHILD_PID=""
    return $status
}

# Ends every Windows process of our prefix and its wineserver.
rig_kill_wine() {
    timeout -k 2 15 wineserver -k >/dev/null 2>&1 9>&-
    rig_stop_pid "$RIG_WINESERVER_PID"
    RIG_WINESERVER_PID=""
}

# Stops one process of ours: politely, then for good.
rig_stop_pid() {
    local pid=$1 i
    [ -n "$pid" ] || return 0
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    kill -TERM "$pid" 2>/dev/null
    for i in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

rig_stop() {
    trap - EXIT INT TERM HUP
    rig_stop_pid "$RIG_CHILD_PID"
    RIG_CHILD_PID=""
    if [ -n "$RIG_WINESERVER_PID" ]; then
        rig_kill_wine
    fi
    rig_stop_pid "$RIG_XVFB_PID"
    RIG_XVFB_PID=""
    [ -n "$RIG_TMP" ] && rm -rf "$RIG_TMP"
    RIG_TMP=""
}

# --- running programs -----------------------------------------------------

# rig_run SECONDS DESKTOP LAUNCHER PROGRAM [ARGUMENTS...]
#
# Runs PROGRAM under Wine through LAUNCHER (report_exit.exe of a Windows
# build). DESKTOP is "" for the plain Xvfb screen, or WxH for a new Wine
# virtual desktop of that size (TOVRINE_DESKTOP=WxHxDEPTH is passed to the
# program). Sets RIG_EXIT_CODE to the whole exit code, or to "timeout" or
# "no-result", and returns 0 when the program exited with 0.
rig_run() {
    local seconds=$1 desktop=$2 launcher=$3
    shift 3
    RIG_RUNS=$((RIG_RUNS + 1))
    local result="$RIG_TMP/exit-$RIG_RUNS"
    local -a command=(wine)
    if [ -n "$desktop" ]; then
        command+=(explorer "/desktop=tovrine-$RIG_RUNS,$desktop")
    fi
    command+=("$launcher" "Z:$result" "$@")

    # In the background, so that an interrupt reaches our trap at once.
    TOVRINE_DESKTOP=${desktop:+$desktop"x$RIG_DESKTOP_DEPTH"} \
        timeout -k 5 "$seconds" "${command[@]}" </dev/null 9>&- &
    RIG_CHILD_PID=$!
    wait "$RIG_CHILD_PID"
    local status=$?
    RIG_CHILD_PID=""

    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        RIG_EXIT_CODE=timeout
        rig_log "$(basename "$1") took longer than $seconds s; ending its processes"
        # Whatever it left running could spoil the next program.
        rig_kill_wine
        rig_start_wineserver
        return 1
    fi
    if [ ! -s "$result" ]; then
        RIG_EXIT_CODE=no-result
        return 1
    fi
    RIG_EXIT_CODE=$(tr -d '\r\n' <"$result")
    [ "$RIG_EXIT_CODE" = 0 ]
}

# --- programs that run while the caller watches -----------------------------

# rig_launch DESKTOP LAUNCHER PROGRAM [ARGUMENTS...]
#
# Starts PROGRAM like rig_run, but in the background: the caller takes
# screenshots and presses keys meanwhile, then calls rig_wait_launched.
# DESKTOP names a virtual desktop as NAME,WxH; programs launched into the
# same NAME share it.
rig_launch() {
    local desktop=$1 launcher=$2
    shift 2
    RIG_RUNS=$((RIG_RUNS + 1))
    RIG_LAUNCH_RESULT="$RIG_TMP/exit-$RIG_RUNS"
    local -a command=(wine)
    [ -n "$desktop" ] && command+=(explorer "/desktop=$desktop")
    command+=("$launcher" "Z:$RIG_LAUNCH_RESULT" "$@")
    "${command[@]}" </dev/null >/dev/null 2>&1 9>&- &
    RIG_LAUNCH_PID=$!
}

# rig_wait_launched SECONDS: waits for the program of the last rig_launch
# and sets RIG_EXIT_CODE as rig_run does.
rig_wait_launched() {
    local seconds=$1 i
    for i in $(seq $((seconds * 10))); do
        [ -s "$RIG_LAUNCH_RESULT" ] && break
        sleep 0.1
    done
    if [ ! -s "$RIG_LAUNCH_RESULT" ]; then
        RIG_EXIT_CODE=timeout
        rig_kill_wine
        rig_start_wineserver
        rig_stop_pid "$RIG_LAUNCH_PID"
        return 1
    fi
    RIG_EXIT_CODE=$(tr -d '\r\n' <"$RIG_LAUNCH_RESULT")
    # The virtual desktop's explorer ends with its last program.
    rig_stop_pid "$RIG_LAUNCH_PID"
    [ "$RIG_EXIT_CODE" = 0 ]
}

# rig_screenshot FILE [WxH+X+Y]: the X screen, or a part of it, as a PNG.
rig_screenshot() {
    if [ -n "${2:-}" ]; then
        import -display "$DISPLAY" -window root -crop "$2" +repage "$1" 2>/dev/null
    else
        import -display "$DISPLAY" -window root "$1" 2>/dev/null
    fi
}

# rig_key KEY...: presses keys in the Wine desktop that has the focus.
rig_key() {
    local window
    window=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)
    [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key "$@"
}
