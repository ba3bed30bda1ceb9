#!/bin/bash
# make test's set-up from a checkout that only its owner may enter: a clone in
# a fresh mktemp -d folder (mode 700), as a developer's private clone is. A
# test that hands a path of the checkout to another user (the Slurm test's
# daemons and tasks run as nobody when this is root) fails there, where an
# open folder like CI's lets it pass. Only what depends on where the checkout
# is, so it takes seconds: the native build configured in the clone, none of
# its tests pointing into another checkout, the format check started from
# another folder, and the tests that use the clone's paths, among them the
# Slurm test, run by CTest in the clone. Their programs are BUILD's, copied to
# where the clone's tests look for them: compiling them again would depend on
# nothing but the sources.
#
#   tests/e2e/any_folder_e2e.sh [BUILD]     (default build/native)
#
# Exits non-zero if anything failed.
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
build=$(cd "${1:-build/native}" && pwd)
failures=0
pass() { echo "any folder: ok: $*"; }
fail() {
    echo "any folder: FAILED: $*"
    failures=$((failures + 1))
}

work=$(mktemp -d) || exit 1
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
trap 'exit 130' INT TERM HUP
[ "$(stat -c %a "$work")" = 700 ] || fail "mktemp -d made $work with mode $(stat -c %a "$work")"
clone=$work/tovrine
if ! git clone --quiet --shared "$root" "$clone" 2>"$work/clone.log"; then
    cat "$work/clone.log"
    fail "git clone into $work"
    exit 1
fi

# The native preset configured in the clone, and no test of it that reads or
# writes the checkout it was cloned from.
if ! (cd "$clone" && cmake --preset native) >"$work/configure.log" 2>&1; then
    tail -n 20 "$work/configure.log"
    fail "cmake --preset native in the clone"
    exit 1
fi
pass "cmake --preset native in a clone under $work"
elsewhere=$(grep -rlF --include=CTestTestfile.cmake "$root/" "$clone/build/native")
if [ -z "$elsewhere" ]; then pass "no test of the clone names $root"
else fail "tests of the clone name $root: $elsewhere"; fi

# The format check finds its own folder from anywhere.
if (cd / && "$clone/scripts/check-format.sh") >"$work/format.log" 2>&1; then
    pass "check-format.sh started from /: $(tail -n 1 "$work/format.log")"
else
    fail "check-format.sh started from /: $(tail -n 3 "$work/format.log")"
fi

# The programs where the clone's build would have put them.
for program in tools/world/tovrine-world tools/world/tovrine-sweep tools/record/tovrine-record; do
    [ -x "$build/$program" ] || { fail "$build/$program is missing"; exit 1; }
    mkdir -p "$clone/build/native/$(dirname "$program")"
    cp "$build/$program" "$clone/build/native/$program"
done
# Records, golden digests, work folders and scripts by the clone's paths; the
# Slurm test's cluster and tasks as another user when this is root.
cases='^(world\.golden\.original-seed1|world\.fails\.missing-record|world\.png-frames|world\.workbench\.CsvFile|world\.slurm)$'
if ctest --test-dir "$clone/build/native" -R "$cases" --output-on-failure --timeout 120 \
    >"$work/ctest.log" 2>&1; then
    pass "in the clone: $(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: //p' "$work/ctest.log" |
        sed -E 's/ \.+ +/ /; s/ +/ /g' | paste -sd ',' - | sed 's/,/, /g')"
else
    cat "$work/ctest.log"
    fail "tests in the clone"
fi

[ "$failures" -eq 0 ] && echo "any folder: all passed" && exit 0
echo "any folder: $failures FAILED"
exit 1
