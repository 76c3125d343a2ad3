#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it.
# usage: fuzz/run.sh szdd|pe_version SECONDS
set -euo pipefail
target=${1:?usage: run.sh szdd|pe_version SECONDS}
seconds=${2:-60}
src=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_DIR:-$src/build/fuzz}
case $target in
    szdd) sources=("$src/src/platform/posix/Szdd.cpp") ;;
    pe_version) sources=("$src/src/platform/posix/PeVersion.cpp") ;;
    *) echo "unknown target: $target" >&2; exit 2 ;;
esac
mkdir -p "$out/corpus-$target"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$src/src" -o "$out/$target" "$src/fuzz/${target}_fuzz.cpp" "${sources[@]}"

# Seeds: the tests' generated SZDD files and PE images.
if [ ! -f "$out/seeds/stamp" ]; then "$src/tests/data/make-generated.sh" "$out/seeds"; fi
if [ -z "$(ls -A "$out/corpus-$target")" ]; then
    if [ "$target" = szdd ]; then
        for f in "$out"/seeds/lz/*_; do head -c 20000 "$f" > "$out/corpus-$target/$(basename "$f")"; done
    else
        cp "$out"/seeds/version/*.dll "$out/corpus-$target/"
    fi
fi
cd "$out"
"./$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "corpus-$target"
