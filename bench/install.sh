#!/usr/bin/env bash
# Builds tarvex and the install benchmark, makes 2,000 files and about
# 200 MiB, half of them LZ-compressed (kept between runs), and times
# `tarvex install` against cp + libmspack doing the same copies.
# A FILES key list holds at most 8 KiB of names, so one Setup.INI lists at
# most 1,859 files: the 2,000 come on two media of 1,000, installed one after
# the other into the same folder.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build/bench}
data=$build/install-data

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarvex install_bench

if [ ! -f "$data/done" ]; then
    rm -rf "$data"
    mkdir -p "$data/medium1" "$data/medium2"
    python3 - "$data" "$src" <<'PY'
import math, os, random, sys
out, src = sys.argv[1], sys.argv[2]
r = random.Random(11)
count, total = 2000, 200 << 20
# Sizes spread like a real product's: many small files, a few large ones.
# mscompress mishandles files under 16 bytes, so none is that small.
raw = [math.exp(r.gauss(0, 1.3)) for _ in range(count)]
scale = total / sum(raw)
sizes = [max(64, min(8 << 20, int(x * scale))) for x in raw]
common = ["the", "of", "and", "to", "a", "in", "is", "that", "for", "it", "setup", "install", "file", "copy"]
words = common + ["".join(r.choice("etaoinshrdlucmfwypvbgk") for _ in range(r.randint(3, 10))) for _ in range(3000)]
def text(size):
    parts, n = [], 0
    while n < size:
        line = " ".join(r.choice(words) for _ in range(r.randint(4, 14))) + ".\r\n"
        parts.append(line)
        n += len(line)
    return "".join(parts).encode()[:size]
# Binary: program-like bytes, cut into pieces.
sys.path.insert(0, os.path.join(src, "bench"))
from program_like import program_like
blob = program_like(r, 24 << 20, common)
dirs = ["%APPPATH"] * 8 + ["%APPPATH\\Data"] * 7 + ["%APPPATH\\Data\\Sub Folder"] * 3 + ["%APPPATH\\Docs"] * 2
files, compress = [[], []], [[], []]
for i, size in enumerate(sizes):
    disk = i * 2 // count
    name = "File%04d.%s" % (i, "txt" if i % 4 < 2 else "bin")
    if i % 4 < 2:
        body = text(size)
    else:
        at = r.randrange(0, len(blob) - size)
        body = bytes(blob[at:at + size])
    with open(os.path.join(out, "medium%d" % (disk + 1), name), "wb") as f:
        f.write(body)
    source = name
    if i % 2 == 0:
        compress[disk].append(name)
        source = name + "_"
    files[disk].append("%d=%s,%s,1,%s,N" % (len(files[disk]) + 1, source, name, dirs[i % len(dirs)]))
for disk in range(2):
    medium = os.path.join(out, "medium%d" % (disk + 1))
    ini = ["[GENERAL]", "Title=Bench Product", "Executable=File0000.txt", "ReadMe=readme.txt", "License=license.rtf",
           "Directory=%PROGRAMFILES", "NewDirectory=Bench Product", "StartMenu=%PROGRAMDIR", "NewMenu=Bench Product",
           "TotalSize=%d" % sum(sizes), "Route=012345", "Run=%APPPATH\\File0000.txt", "Run Description=Bench", "",
           "[FILES]"] + files[disk] + ["", "[DIRECTORIES]", "1=%APPPATH\\Data\\Sub Folder", "2=%APPPATH\\Docs", ""]
    with open(os.path.join(medium, "Setup.INI"), "w", newline="\r\n") as f:
        f.write("\n".join(ini))
    with open(os.path.join(medium, "compress.lst"), "w") as f:
        f.write("\n".join(compress[disk]) + "\n")
PY
    # The compressed half: mscompress writes FILE_ beside FILE, which goes.
    for medium in "$data/medium1" "$data/medium2"; do
        (cd "$medium" && xargs -a compress.lst mscompress >/dev/null && xargs -a compress.lst rm -f && rm compress.lst)
    done
    # The texts of the wizard's first two pages, which an installation loads.
    for medium in "$data/medium1" "$data/medium2"; do
        printf 'Bench product\r\n' > "$medium/readme.txt"
        printf '{\\rtf1 Bench licence\\par}\r\n' > "$medium/license.rtf"
    done
    touch "$data/done"
fi

# Installed copies go to memory when it can hold them, so that the figures
# are of the two programs' work rather than of the disk's write-back.
work=${WORK_DIR:-$data/work}
if [ -z "${WORK_DIR:-}" ] && [ -w /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 1048576 ]; then
    work=/dev/shm/tarvex-install-bench.$$
    trap 'rm -rf "$work"' EXIT
fi
"$build/bench/install_bench" "$build/tarvex" "$work" "$data/medium1" "$data/medium2"
