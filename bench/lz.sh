#!/usr/bin/env bash
# Builds the LZ benchmark and its Wine peer, makes ~50 MiB of compressed
# text and binary data (kept between runs), and runs the comparison.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build/bench}
data=$build/lz-data

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target lz_bench
i686-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -o "$build/lzcopy_timer.exe" "$src/bench/lz/lzcopy_timer.c" -llz32

if [ ! -f "$data/done" ]; then
    mkdir -p "$data"
    python3 "$src/bench/make-data.py" "$data" 7 5 6 12
    (cd "$data" && rm -f ./*_ && mscompress ./*.txt ./*.bin)
    touch "$data/done"
fi

. "$src/scripts/wine-env.sh"
wineserver -p 2>/dev/null || true
"$build/bench/lz_bench" "$build" --lzcopy-timer "$build/lzcopy_timer.exe" "$data"/*_
