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
    python3 - "$data" <<'PY'
import os, random, sys
out = sys.argv[1]
r = random.Random(9)
common = ["the", "of", "and", "to", "a", "in", "is", "that", "for", "it", "as", "with", "was", "on", "be",
          "file", "setup", "install", "directory", "program", "windows", "copy", "version", "date"]
words = common + ["".join(r.choice("etaoinshrdlucmfwypvbgk") for _ in range(r.randint(3, 10))) for _ in range(5000)]
def text(size):
    lines, n = [], 0
    while n < size:
        line = " ".join(words[min(int(r.paretovariate(0.9)) - 1, len(words) - 1)] for _ in range(r.randint(4, 14))) + ".\r\n"
        lines.append(line)
        n += len(line)
    return "".join(lines).encode()
for i in range(2):
    open(os.path.join(out, "text%d.txt" % i), "wb").write(text(4 << 20))
# Binary: the host's programs and libraries, in a fixed order.
names = []
for d in ("/usr/bin", "/usr/lib/x86_64-linux-gnu"):
    for name in sorted(os.listdir(d)):
        p = os.path.join(d, name)
        if os.path.isfile(p) and not os.path.islink(p):
            names.append(p)
for i in range(2):
    blob = bytearray()
    while len(blob) < (4 << 20) and names:
        with open(names.pop(0), "rb") as f:
            blob += f.read(1 << 20)
    open(os.path.join(out, "binary%d.bin" % i), "wb").write(bytes(blob[:4 << 20]))
PY
    touch "$data/done"
fi
"$build/bench/compress_bench" "$build/compress-work" "$data"/*.txt "$data"/*.bin
