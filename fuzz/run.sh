#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it over its corpus.
# usage: fuzz/run.sh szdd|szdd_compress|pe_version|ini|registry|lnk|payload SECONDS [LIBFUZZER_OPTION...]
# New inputs go to build/fuzz/corpus-TARGET; fuzz/corpus/TARGET is read only.
# After a long run, keep only the new inputs that add coverage:
#   build/fuzz/TARGET -merge=1 fuzz/corpus/TARGET build/fuzz/corpus-TARGET
set -euo pipefail
target=${1:?usage: run.sh szdd|szdd_compress|pe_version|ini|registry|lnk|payload SECONDS}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
src=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_DIR:-$src/build/fuzz}
case $target in
    szdd) sources=("$src/src/formats/SzddExpander.cpp") ;;
    szdd_compress) sources=("$src/src/formats/SzddCompressor.cpp" "$src/src/formats/SzddExpander.cpp") ;;
    pe_version) sources=("$src/src/formats/PeVersion.cpp") ;;
    ini) sources=("$src/src/formats/IniText.cpp" "$src/src/platform/Profile.cpp"
                  "$src/src/setup_description/SetupInformation.cpp" "$src/src/setup_description/DecimalText.cpp"
                  "$src/src/platform/posix/System_posix.cpp") ;;
    registry) sources=("$src/src/formats/RegistryStore.cpp") ;;
    lnk) sources=("$src/src/formats/LnkWriter.cpp") ;;
    payload) sources=("$src/src/formats/MediumPayload.cpp") ;;
    *) echo "unknown target: $target" >&2; exit 2 ;;
esac
mkdir -p "$out/corpus-$target"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$src/src" -I"$src/tests" -o "$out/$target" "$src/fuzz/${target}_fuzz.cpp" "${sources[@]}"

cd "$out"
"./$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$@" \
    "corpus-$target" "$src/fuzz/corpus/$target"
