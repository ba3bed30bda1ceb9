#!/bin/bash
# The largest world the pages can store (99 999 Vobs and 99 999 whirls)
# under Wine, as the user meets it:
#
#   scripts/bench-greedy.sh [WINDOWS_BUILD...] [--native NATIVE_BUILD]
#                           (default build/win32, native build/native)
#
# For each saver, at 32 and at 16 bits in an 800 x 600 Wine virtual desktop:
# the seconds from /s to the first picture of the world (set-up and its first
# frame), the seconds between two pictures once it runs (a frame), and the
# seconds from a key to the end of the process. Beside them, the native
# runner's milliseconds per frame for the same record (tovrine-world --bench).
# Prints figures only; nothing here passes or fails. The machine is shared:
# repeat it before trusting a single figure.
set -u
cd "$(dirname "$0")/.."
native=build/native
builds=()
while [ $# -gt 0 ]; do
    case "$1" in
        --native) native=$2; shift 2 ;;
        *) builds+=("$1"); shift ;;
    esac
done
[ ${#builds[@]} -gt 0 ] || builds=(build/win32)
export TOVRINE_XVFB_SCREEN=800x600x24
. scripts/wine-rig.sh

records=tests/world/records
key='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'

# Share of lit pixels in the middle of the screen, where the world's Vobs
# and whirls start and the loading screen has nothing.
centre_lit() {
    convert "$1" -crop 200x200+300+200 +repage -fill white +opaque black -colorspace gray \
        -format '%[fx:mean]' info: 2>/dev/null
}
lit() { awk -v a="${1:-0}" 'BEGIN { exit !(a > 0.001) }'; }

# Seconds (with tenths) since the epoch.
now() { date +%s.%N | cut -c1-12; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

if [ -x "$native/tools/world/tovrine-world" ]; then
    for depth in 32 16; do
        record=$records/greedy.rec
        [ $depth = 16 ] && record=$records/greedy-16bit.rec
        "$native/tools/world/tovrine-world" --record "$record" --frames 10 --bench |
            sed -n "s/^bench: 10 frames, ms per frame: /native $depth bits, ms per frame: /p"
    done
else
    echo "bench-greedy: no $native/tools/world/tovrine-world; native figures left out"
fi

rig_start || exit 1
shot=$RIG_TMP/shot.png
for build in "${builds[@]}"; do
    saver=$(ls "$build"/tovrine*.scr 2>/dev/null | head -n 1)
    launcher=$build/tests/report_exit.exe
    [ -n "$saver" ] && [ -f "$launcher" ] || { echo "bench-greedy: $build has no saver"; continue; }
    for depth in 32 16; do
        record=$records/greedy.rec
        [ $depth = 16 ] && record=$records/greedy-16bit.rec
        wine reg add "$key" /v Options /t REG_BINARY /d "$(xxd -p "$record" | tr -d '\n')" /f \
            >/dev/null 2>&1 9>&-
        start=$(now)
        rig_launch "greedy-$depth,800x600" "$launcher" "$saver" /s
        # The saver's black loading screen first, then the world on it.
        while [ "$(since "$start" | cut -d. -f1)" -lt 60 ]; do
            rig_screenshot "$shot"
            lit "$(centre_lit "$shot")" || break
            sleep 0.2
        done
        first=""
        while [ "$(since "$start" | cut -d. -f1)" -lt 300 ]; do
            rig_screenshot "$shot"
            if lit "$(centre_lit "$shot")"; then first=$(since "$start"); break; fi
            sleep 0.2
        done
        # The next picture: the whirls spin, so the centre changes.
        frame=""
        if [ -n "$first" ]; then
            cp "$shot" "$RIG_TMP/first.png"
            shown=$(now)
            while [ "$(since "$shown" | cut -d. -f1)" -lt 120 ]; do
                rig_screenshot "$shot"
                if ! compare -metric AE "$shot" "$RIG_TMP/first.png" null: 2>/dev/null; then
                    frame=$(since "$shown"); break
                fi
                sleep 0.1
            done
        fi
        pressed=$(now)
        rig_key a
        rig_wait_launched 300
        echo "$(basename "$build") $depth bits: first picture after ${first:-(none in 300)} s," \
            "next after ${frame:-?} s; a key ended it after $(since "$pressed") s" \
            "(exit code $RIG_EXIT_CODE)"
    done
done
wine reg delete "$key" /f >/dev/null 2>&1 9>&-
