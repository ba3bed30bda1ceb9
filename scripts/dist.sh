#!/bin/sh
# The Windows release: dist/tovrine-VERSION-windows.zip with tovrine.scr and
# tovrine64.scr (without debug information), the help file with its contents
# file, the same help as a page, README.txt and SHA256SUMS, and beside it the
# setup program dist/tovrine-VERSION-setup.exe of the same files
# (resources/dist/setup.nsi, NSIS); and the web page:
# dist/tovrine-VERSION-web.zip with tovrine.html, site/, README.txt, LICENSE and
# SHA256SUMS.
#
#   scripts/dist.sh [JOBS] [all|windows|web]
#
# Builds the two savers first; the version is project()'s in CMakeLists.txt,
# as both builds configured it. Unpacks the zip again and checks its sums.
set -eu
cd "$(dirname "$0")/.."
jobs=${1:-$(nproc)}
what=${2:-all}

versionOf() {
    sed -n 's/^#define TOVRINE_VERSION_TEXT "\(.*\)"$/\1/p' "$1/generated/tovrine_version.h"
}
size() { stat -c %s "$1"; }

# pack_and_check WORK NAME ZIP: WORK/NAME as ZIP, then unpacked again and
# checked against its SHA256SUMS. A fixed date in the archive, so the same
# files give the same zip.
pack_and_check() {
    rm -f "$3"
    (cd "$1" && cmake -E tar cf "../../$3" --format=zip "--mtime=2026-01-01 00:00:00 UTC" "$2")
    mkdir "$1/check"
    (cd "$1/check" && cmake -E tar xf "../../../$3")
    (cd "$1/check/$2" && sha256sum --quiet -c SHA256SUMS) || {
        echo "dist: the unpacked files of $3 do not match SHA256SUMS" >&2
        exit 1
    }
}

windows_zip() {
    for preset in win32 win64; do
        if [ ! -f "build/$preset/CMakeCache.txt" ]; then
            cmake --preset "$preset" >/dev/null
        fi
        cmake --build "build/$preset" -j "$jobs" --target tovrine-saver >/dev/null
    done

    version=$(versionOf build/win32)
    if [ -z "$version" ] || [ "$version" != "$(versionOf build/win64)" ]; then
        echo "dist: the two builds disagree on the version (${version:-none})" >&2
        exit 1
    fi

    # The readme names the registry key the store uses; they must not drift apart.
    key=$(sed -n 's/^const char registryTitle\[\] = "\(.*\)";$/\1/p' settings/win32/registry_store.cpp)
    if [ -z "$key" ] || ! grep -qF "ScreenSavers\\$key" resources/dist/README.txt; then
        echo "dist: resources/dist/README.txt does not name the settings key (${key:-not found})" >&2
        exit 1
    fi

    # The readme says where to put the help file the pages open, by its name.
    helpFile=$(sed -n 's/^const char helpFile\[\] = "\(.*\)";$/\1/p' settings/win32/sheet_help.cpp)
    if [ -z "$helpFile" ] || [ ! -f "resources/help/$helpFile" ] ||
        ! grep -qF "$helpFile" resources/dist/README.txt; then
        echo "dist: resources/dist/README.txt or resources/help/ lacks the help file (${helpFile:-not found})" >&2
        exit 1
    fi
    helpContents="${helpFile%.hlp}.cnt"

    name=tovrine-$version-windows
    work=build/dist
    stage=$work/$name
    rm -rf "$work"
    mkdir -p "$stage" dist

    # The builds keep their symbols for debugging; the release carries none.
    i686-w64-mingw32-strip --strip-all -o "$stage/tovrine.scr" build/win32/tovrine.scr
    x86_64-w64-mingw32-strip --strip-all -o "$stage/tovrine64.scr" build/win64/tovrine64.scr
    # Notepad before Windows 10 shows bare line feeds as one long line.
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' resources/dist/README.txt >"$stage/README.txt"
    cp "resources/help/$helpFile" "resources/help/$helpContents" resources/help/tovrine-help.html "$stage/"
    (cd "$stage" && sha256sum tovrine.scr tovrine64.scr "$helpFile" "$helpContents" tovrine-help.html \
        README.txt >SHA256SUMS)

    zip=dist/$name.zip
    pack_and_check "$work" "$name" "$zip"

    setup=dist/tovrine-$version-setup.exe
    makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DICON="$PWD/resources/tovrine.ico" -DOUTFILE="$PWD/$setup" \
        resources/dist/setup.nsi >/dev/null

    echo "dist: $zip ($(size "$zip") bytes)"
    echo "dist: $setup ($(size "$setup") bytes)"
    for program in tovrine.scr tovrine64.scr; do
        built=build/win32/$program
        [ "$program" = tovrine64.scr ] && built=build/win64/$program
        echo "dist:   $program $(size "$stage/$program") bytes (built: $(size "$built"))"
    done
}

web_zip() {
    # The web page, packed the same way.
    scripts/web-build.sh "$jobs" >/dev/null
    local version
    version=$(versionOf build/wasm)
    webName=tovrine-$version-web
    webWork=build/dist-web
    rm -rf "$webWork"
    mkdir -p "$webWork/$webName" dist
    cp -r build/web/tovrine.html build/web/site LICENSE "$webWork/$webName/"
    sed "s/@VERSION@/$version/g" resources/dist/README-web.txt >"$webWork/$webName/README.txt"
    (cd "$webWork/$webName" && find . -type f ! -name SHA256SUMS | sort | sed 's|^\./||' |
        xargs sha256sum >SHA256SUMS)
    webZip=dist/$webName.zip
    pack_and_check "$webWork" "$webName" "$webZip"
    echo "dist: $webZip ($(size "$webZip") bytes; tovrine.html $(size build/web/tovrine.html) bytes)"
}

case $what in
all) windows_zip && web_zip ;;
windows) windows_zip ;;
web) web_zip ;;
*)
    echo "dist: all, windows or web, not \"$what\"" >&2
    exit 1
    ;;
esac
