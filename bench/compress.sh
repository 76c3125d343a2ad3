#!/usr/bin/env bash
# Builds the compressor benchmark, makes text and binary data (kept between
# runs) and compares our SZDD compressor with mscompress on it.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build/bench}
data=$build/compress-data

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target compress_bench

if [ ! -f "$data/done" ]; then
    mkdir -p "$data"
    python3 "$src/bench/make-data.py" "$data" 9 2 2 4
    touch "$data/done"
fi
"$build/bench/compress_bench" "$build/compress-work" "$data"/*.txt "$data"/*.bin
