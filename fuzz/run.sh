#!/usr/bin/env bash
# Builds the libFuzzer targets with CMake (clang, TARVEX_FUZZ=ON) and runs one
# over its corpus.
# usage: fuzz/run.sh TARGET SECONDS [LIBFUZZER_OPTION...]   TARGET: a fuzz/TARGET_fuzz.cpp
#        fuzz/run.sh --build                                builds every target
# The build goes to build/fuzz (FUZZ_DIR), new inputs to FUZZ_DIR/corpus-TARGET;
# fuzz/corpus/TARGET is read only. After a long run, keep only the new inputs
# that add coverage:
#   build/fuzz/TARGET -merge=1 fuzz/corpus/TARGET build/fuzz/corpus-TARGET
set -euo pipefail
target=${1:?usage: run.sh TARGET SECONDS | run.sh --build}
src=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_DIR:-$src/build/fuzz}
if [ ! -f "$out/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_PLATFORM=posix \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTARVEX_FUZZ=ON >/dev/null
fi
if [ "$target" = --build ]; then
    exec cmake --build "$out" --target fuzz_targets
fi
[ -f "$src/fuzz/${target}_fuzz.cpp" ] || { echo "unknown target: $target" >&2; exit 2; }
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
cmake --build "$out" --target "fuzz_$target" >/dev/null
mkdir -p "$out/corpus-$target"
cd "$out"
"./$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$@" \
    "corpus-$target" "$src/fuzz/corpus/$target"
