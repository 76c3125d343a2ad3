#!/usr/bin/env bash
# A short fuzz run of every libFuzzer target over its kept corpus, in the
# sanitized native build only: any crash, leak or sanitizer report fails.
# Usage: fuzz_smoke.sh PLATFORM BUILD_DIR SOURCE_DIR   (77 = skipped)
set -euo pipefail
platform=$1 build=$2 source=$3
seconds=${FUZZ_SMOKE_SECONDS:-15}
[ "$platform" = posix ] || exit 77
grep -qx 'TARVEX_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null || { echo "not the sanitized build"; exit 77; }
command -v clang++ >/dev/null || { echo "clang++ missing"; exit 77; }

out=$build/fuzz-smoke
mkdir -p "$out"
# libFuzzer's runtime is a separate Debian package (libclang-rt-*-dev).
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' > "$out/probe.cpp"
clang++ -fsanitize=fuzzer -o "$out/probe" "$out/probe.cpp" 2>/dev/null || { echo "clang has no libFuzzer runtime"; exit 77; }

status=0
for target in szdd szdd_compress pe_version ini registry lnk payload; do
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
exit $status
