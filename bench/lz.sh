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
    python3 - "$data" <<'PY'
import os, random, sys
out = sys.argv[1]
r = random.Random(7)
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
for i in range(5):
    open(os.path.join(out, "text%d.txt" % i), "wb").write(text(12 << 20))
# Binary: the host's shared libraries and programs, in a fixed order.
names = []
for d in ("/usr/lib/x86_64-linux-gnu", "/usr/bin"):
    for name in sorted(os.listdir(d)):
        p = os.path.join(d, name)
        if os.path.isfile(p) and not os.path.islink(p):
            names.append(p)
for i in range(6):
    blob = bytearray()
    while len(blob) < (12 << 20) and names:
        with open(names.pop(0), "rb") as f:
            blob += f.read(4 << 20)
    open(os.path.join(out, "binary%d.bin" % i), "wb").write(bytes(blob[:12 << 20]))
PY
    (cd "$data" && rm -f ./*_ && mscompress ./*.txt ./*.bin)
    touch "$data/done"
fi

. "$src/scripts/wine-env.sh"
wineserver -p 2>/dev/null || true
"$build/bench/lz_bench" "$build" --lzcopy-timer "$build/lzcopy_timer.exe" "$data"/*_
