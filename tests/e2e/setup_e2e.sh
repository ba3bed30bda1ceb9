#!/bin/bash
# The release's setup program under Wine (a 64-bit prefix, so 64-bit Windows):
#
#   tests/e2e/setup_e2e.sh WIN64_BUILD [SETUP_EXE]
#                   (default: the newest dist/tovrine-*-setup.exe)
#
# A silent install (/S) puts tovrine64.scr into the system folder and the
# help into the Windows folder, adds the uninstall entry and makes Tovrine
# the current screen saver; the saver runs from there (/s draws, a key ends
# it with 0). A silent uninstall takes away every file and the entry and
# gives the screen saver back, and keeps the settings; a second round with
# /REMOVESETTINGS removes them too. Afterwards the prefix's files are as
# before the install. WIN64_BUILD gives the 64-bit tests/report_exit.exe
# (a 32-bit one would see SysWOW64 instead of the system folder). Exits
# non-zero if anything failed.
set -u
cd "$(dirname "$0")/../.."
build=$(cd "${1:?usage: $0 WIN64_BUILD [SETUP_EXE]}" && pwd)
setup=${2:-$(ls -t dist/tovrine-*-setup.exe 2>/dev/null | head -n 1)}
launcher=$build/tests/report_exit.exe
export TOVRINE_XVFB_SCREEN=800x600x24
. scripts/wine-rig.sh

failed=0
pass() { echo "setup-e2e: ok: $*"; }
fail() { echo "setup-e2e: FAILED: $*"; failed=1; }

[ -n "$setup" ] && [ -f "$setup" ] || { echo "setup-e2e: no setup program (make dist)" >&2; exit 2; }
[ -f "$launcher" ] || { echo "setup-e2e: $launcher is missing" >&2; exit 2; }
setup=$(cd "$(dirname "$setup")" && pwd)/$(basename "$setup")
rig_start || exit 1

c=$WINEPREFIX/drive_c
uninstaller='C:\Program Files (x86)\Tovrine\uninstall.exe'
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tovrine'
settingsKey='HKCU\Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)'
desktopKey='HKCU\Control Panel\Desktop'
put=("windows/system32/tovrine64.scr" "windows/tovrine doreroder.hlp"
    "windows/tovrine doreroder.cnt" "windows/tovrine-help.html"
    "Program Files (x86)/Tovrine/uninstall.exe" "Program Files (x86)/Tovrine/README.txt")

reg_has() { wine reg query "$1" /reg:32 ${2:+/v "$2"} >/dev/null 2>&1 9>&-; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null 9>&- | tr -d '\r' | awk -v v="$2" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
# Every file of the prefix that a program may leave, not the ones Wine
# itself keeps changing.
files() {
    (cd "$c" && find windows "Program Files" "Program Files (x86)" -type f 2>/dev/null |
        grep -v -e '^windows/temp/' -e '^windows/logs/' -e '\.log$' | sort)
}
# gone_within SECONDS: the uninstaller runs on from a copy of itself after
# the program started has ended; waits for its last file to go.
gone_within() {
    local i
    for i in $(seq $(($1 * 10))); do
        [ ! -e "$c/Program Files (x86)/Tovrine" ] && return 0
        sleep 0.1
    done
    return 1
}

install() {
    rig_run 120 "" "$launcher" "$setup" /S
    [ "$RIG_EXIT_CODE" = 0 ] || fail "setup /S: exit code $RIG_EXIT_CODE"
}

wine reg delete "$settingsKey" /f >/dev/null 2>&1 9>&-
wine reg delete "$desktopKey" /v SCRNSAVE.EXE /f >/dev/null 2>&1 9>&-
before=$(files)
[ -n "$before" ] || { echo "setup-e2e: no files found in $c" >&2; exit 2; }

# ---- install, run, uninstall keeping the settings ---------------------------
install
missing=""
for file in "${put[@]}"; do [ -f "$c/$file" ] || missing="$missing \"$file\""; done
[ -z "$missing" ] && pass "setup /S put the saver, the help and the uninstaller in place" ||
    fail "setup /S did not put:$missing"
[ ! -e "$c/windows/syswow64/tovrine.scr" ] && [ ! -e "$c/windows/system32/tovrine.scr" ] ||
    fail "the 32-bit saver was installed on 64-bit Windows"
reg_has "$uninstallKey" DisplayName && pass "the uninstall entry is there" || fail "no uninstall entry"
current=$(reg_value "$desktopKey" SCRNSAVE.EXE)
[ "${current,,}" = 'c:\windows\system32\tovrine64.scr' ] && pass "Tovrine is the current screen saver" ||
    fail "the current screen saver is \"$current\""

rig_launch "setup,800x600" "$launcher" 'C:\windows\system32\tovrine64.scr' /s
sleep 6
rig_screenshot "$RIG_TMP/running.png"
lit=$(convert "$RIG_TMP/running.png" -crop 800x600+0+0 +repage -fill white +opaque black \
    -colorspace gray -format '%[fx:mean]' info: 2>/dev/null)
rig_key a
if rig_wait_launched 15 && awk -v l="$lit" 'BEGIN { exit !(l > 0.01) }'; then
    pass "the installed saver draws the world (lit share $lit) and a key ends it with 0"
else
    fail "the installed saver: exit code $RIG_EXIT_CODE, lit share ${lit:-none}"
fi

wine reg add "$settingsKey" /v alg0 /t REG_BINARY /d 00 /f >/dev/null 2>&1 9>&-
rig_run 60 "" "$launcher" "$uninstaller" /S
gone_within 30 || fail "the uninstaller left its folder"
[ "$(files)" = "$before" ] && pass "uninstall /S left no file behind" ||
    fail "uninstall /S left: $(diff <(echo "$before") <(files) | grep '^>' | tr '\n' ' ')"
reg_has "$uninstallKey" && fail "the uninstall entry stayed" || pass "the uninstall entry is gone"
[ -z "$(reg_value "$desktopKey" SCRNSAVE.EXE)" ] && pass "the screen saver is (None) again" ||
    fail "SCRNSAVE.EXE still names $(reg_value "$desktopKey" SCRNSAVE.EXE)"
reg_has "$settingsKey" && pass "the settings stay" || fail "the settings went without being asked"

# ---- again, removing the settings -----------------------------------------
install
rig_run 60 "" "$launcher" "$uninstaller" /S /REMOVESETTINGS
gone_within 30 || fail "the uninstaller left its folder"
[ "$(files)" = "$before" ] || fail "uninstall /S /REMOVESETTINGS left files behind"
reg_has "$settingsKey" && fail "/REMOVESETTINGS kept the settings" ||
    pass "uninstall /S /REMOVESETTINGS removes the settings too"
exit $failed
