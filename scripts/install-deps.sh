#!/bin/sh
# Installs what the three builds and the Wine test rig need, from Debian's
# packages. Idempotent: when everything is present it returns at once.
set -eu

NATIVE="cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev \
libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev fonts-dejavu-core fonts-liberation"
# The code style check.
STYLE="clang-format"
# Compiles of a fresh clone or a new build tree reuse earlier ones.
CACHE="ccache"
# clang with its runtime libraries (libFuzzer and the sanitizers): the fuzz targets.
FUZZ="clang libclang-rt-14-dev"
MINGW="mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix"
WINE="wine wine64 xvfb xdotool x11-apps imagemagick"
WINE32="wine32:i386"
# The Windows setup program of make dist (makensis).
SETUP="nsis"
# The plots of tools/plot (tovrine-sweep's pictures, make compare).
PLOTS="python3 python3-matplotlib"
# GNU parallel: the sweep's shards are tested run side by side with it; Slurm
# and munge: a single-node cluster that the sweep's job arrays are tested on.
SHARDS="parallel slurm-wlm munge"
# The sweep's intervals (Student's t from Boost.Math) and the designs of
# tools/design (scipy.stats.qmc).
STATISTICS="libboost-math-dev python3-scipy"
# tovrine-search: its trials (Optuna) and the boxes of
# scenario discovery (scikit-learn's decision trees).
SEARCH="python3-optuna python3-sklearn"
# The Python module (pybind11 for Debian's python3, NumPy arrays) and its
# checks: the example notebooks run by nbclient in an ipykernel, pictures
# read with PIL.
PYTHON_MODULE="pybind11-dev python3-dev python3-numpy python3-pil python3-nbclient \
python3-ipykernel"
# The Linux saver (Xlib) and the window its end-to-end check draws into (Tk).
NATIVE="$NATIVE libx11-dev python3-tk"
# The Linux saver's .deb (dpkg-shlibdeps finds its library dependencies) and
# the real screen-saver daemon that its end-to-end test runs it under; lintian
# judges the package; galaxy from xscreensaver-data is the yardstick of
# scripts/linux-saver-cpu.sh.
LINUX_SAVER="dpkg-dev xscreensaver xscreensaver-data lintian"
# The web page's browser tests: headless Chromium driven from node (npm
# installs puppeteer-core from tests/web's lockfile; a nodejs that brings its
# own npm needs no separate package).
WEB_TESTS="chromium nodejs"
command -v npm >/dev/null 2>&1 || WEB_TESTS="$WEB_TESTS npm"
# The web page's build: Debian's emscripten, whose system libraries come
# prebuilt (nothing is downloaded); its optimised links run node with acorn.
WEB="emscripten node-acorn"

missing=""
for p in $NATIVE $STYLE $CACHE $FUZZ $MINGW $WINE $WINE32 $SETUP $PLOTS $SHARDS $STATISTICS $SEARCH $PYTHON_MODULE $LINUX_SAVER $WEB_TESTS $WEB; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "install-deps: installing$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "install-deps: run this as root, or install sudo, to install:$missing" >&2
        exit 1
    fi
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
