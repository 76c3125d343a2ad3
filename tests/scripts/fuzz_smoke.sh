#!/usr/bin/env bash
# A short fuzz run of every libFuzzer target (fuzz/*_fuzz.cpp, built by CMake
# with TARVEX_FUZZ=ON through fuzz/run.sh) over its kept corpus: any crash,
# leak or sanitizer report fails.
# Usage: fuzz_smoke.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native-asan
set -euo pipefail
platform=$1 build=$2 source=$3
seconds=${FUZZ_SMOKE_SECONDS:-15}
. "$source/tests/scripts/lib/missing.sh"
command -v clang++ >/dev/null || missing clang++

out=$build/fuzz
mkdir -p "$out"
# libFuzzer's runtime is a separate Debian package (libclang-rt-*-dev).
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' > "$out/probe.cpp"
clang++ -fsanitize=fuzzer -o "$out/probe" "$out/probe.cpp" 2>/dev/null || missing "clang's libFuzzer runtime"

FUZZ_DIR=$out bash "$source/fuzz/run.sh" --build > "$out/build.log" 2>&1 || { tail -30 "$out/build.log"; exit 1; }
status=0
count=0
for source_file in "$source"/fuzz/*_fuzz.cpp; do
    target=$(basename "$source_file" _fuzz.cpp)
    count=$((count + 1))
    [ -d "$source/fuzz/corpus/$target" ] || { echo "no corpus for $target"; status=1; continue; }
    rm -rf "$out/corpus-$target"
    if FUZZ_DIR=$out bash "$source/fuzz/run.sh" "$target" "$seconds" > "$out/$target.log" 2>&1; then
        echo "$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$out/$target.log" | tail -1)"
    else
        echo "$target: FAILED"
        grep -E 'ERROR|SUMMARY|Test unit written' "$out/$target.log" || tail -20 "$out/$target.log"
        status=1
    fi
done
[ "$count" -gt 0 ] || { echo "FAILED: no fuzz targets"; exit 1; }
exit $status
