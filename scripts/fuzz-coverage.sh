#!/bin/sh
# What a fuzz target's inputs reach in the product code, line by line:
#   scripts/fuzz-coverage.sh [TARGET [CORPUS...]]
# (default: record, over its committed seeds). Builds the target once more
# with clang's source-based coverage instead of the sanitizers
# (build/fuzz-coverage), runs each input once, and prints the report for
# sim/, run/ and settings/; the lines no input reached are in
# build/fuzz-coverage/<target>.unreached.txt.
set -eu
cd "$(dirname "$0")/.."
target=${1:-record}
[ $# -gt 0 ] && shift
corpora="$*"
[ -n "$corpora" ] || corpora="tests/fuzz/corpus/$target"
build=build/fuzz-coverage
flags="-fsanitize=fuzzer-no-link -fprofile-instr-generate -fcoverage-mapping"

if [ ! -f $build/CMakeCache.txt ]; then
    cmake -S . -B $build -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" -DTOVRINE_FUZZ=ON >/dev/null
fi
cmake --build $build -j "${JOBS:-2}" --target "fuzz_$target" >/dev/null

program=$build/tests/fuzz/fuzz_$target
rm -f $build/"$target".*.profraw
# shellcheck disable=SC2086
LLVM_PROFILE_FILE="$build/$target.%p.profraw" "$program" -runs=0 $corpora >/dev/null 2>&1
llvm-profdata-14 merge -sparse $build/"$target".*.profraw -o $build/"$target".profdata
profile=$build/"$target".profdata
llvm-cov-14 report "$program" -instr-profile="$profile" | grep -E '^(Filename|-|TOTAL|.*/(sim|run|settings)/)'
llvm-cov-14 show "$program" -instr-profile="$profile" -show-branches=count -use-color=false \
    >$build/"$target".show.txt
# Lines and branch sides counted 0 times in sim/, run/ and settings/, with their file.
awk '/^\/.*\.(cpp|h):$/ { keep = $0 ~ /\/(sim|run|settings)\//; file = $0 }
     keep && (/^ *[0-9]+\| *0\|/ || /Branch.*(True|False): 0[],]/) { print file " " $0 }' \
    $build/"$target".show.txt >$build/"$target".unreached.txt
echo "fuzz-coverage: $(wc -l <$build/"$target".unreached.txt) unreached lines and branch sides" \
    "in $build/$target.unreached.txt"
