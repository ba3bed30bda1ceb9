#!/bin/bash
# Runs one Windows program under Wine on a private Xvfb display and hands
# back its exit code:
#
#   scripts/wine-run.sh [--desktop WxH] [--timeout SECONDS] [--build DIR] PROGRAM [ARGS...]
#
# --desktop runs it inside a Wine virtual desktop of that size (needed for a
# change of display mode); --build names the Windows build whose
# tests/report_exit.exe fetches the exit code (default: build/win32).
# PROGRAM may be a Unix path, relative to the current folder.
# Prints "exit code: N" with the whole 32-bit code and exits with N modulo
# 256; a run over its time limit (default 120 s) exits 124.
set -u
. "$(dirname "$0")/wine-rig.sh"

desktop=""
seconds=120
build=$RIG_ROOT/build/win32
while [ $# -gt 0 ]; do
    case "$1" in
        --desktop) desktop=$2; shift 2 ;;
        --timeout) seconds=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        --) shift; break ;;
        -*) echo "wine-run: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--desktop WxH] [--timeout SECONDS] [--build DIR] PROGRAM [ARGS...]" >&2
    exit 2
fi
case "$desktop" in
    "" | [0-9]*x[0-9]*) ;;
    *) echo "wine-run: --desktop wants WxH, such as 1024x768" >&2; exit 2 ;;
esac
launcher="$build/tests/report_exit.exe"
if [ ! -f "$launcher" ]; then
    echo "wine-run: $launcher is missing; build the report_exit target" >&2
    exit 2
fi
launcher=$(cd "$(dirname "$launcher")" && pwd)/report_exit.exe

rig_start || exit 1
rig_run "$seconds" "$desktop" "$launcher" "$@"
rig_stop

echo "exit code: $RIG_EXIT_CODE"
case "$RIG_EXIT_CODE" in
    timeout) exit 124 ;;
    no-result) exit 125 ;;
    *) exit $((RIG_EXIT_CODE & 255)) ;;
esac
