#!/usr/bin/env bash
# Generates the inputs of the LZ and version-resource tests into OUTDIR:
#   lz/NAME and lz/NAME_  an original and its SZDD form
#   version/NAME.dll      PE files built from version/NAME.rc
# mscompress mangles files under 16 bytes, so those are written by hand.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out/lz" "$out/version"
cd "$out/lz"

szdd_header() { # LENGTH
    printf 'SZDD\x88\xf0\x27\x33A\x00'
    printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x00\\x00"
}
: > empty
szdd_header 0 > empty_
printf 'A' > one
{ szdd_header 1; printf '\x01A'; } > one_
# Fifteen literals: two flag bytes, all literal.
printf 'fifteen bytes!!' > fifteen
{ szdd_header 15; printf '\xff'; printf 'fifteen '; printf '\x7f'; printf 'bytes!!'; } > fifteen_

python3 - <<'PY'
import random
r = random.Random(4)
words = ["the", "setup", "file", "copy", "install", "directory", "windows", "program", "of", "and",
         "to", "a", "in", "is", "that", "for", "menu", "start", "user", "version", "date", "new"]
words += ["".join(r.choice("etaoinshrdlucmfwyp") for _ in range(r.randint(3, 9))) for _ in range(400)]
def text(size):
    out, n = [], 0
    while n < size:
        line = " ".join(words[min(int(r.paretovariate(1.1)) - 1, len(words) - 1)] for _ in range(r.randint(3, 12))) + "\r\n"
        out.append(line)
        n += len(line)
    return "".join(out).encode()
open("text", "wb").write(text(200_000))
open("random", "wb").write(bytes(r.getrandbits(8) for _ in range(100_000)))
# Several MiB mixing text, runs and noise: long matches, short ones, literals.
parts = []
for i in range(84):
    kind = i % 3
    if kind == 0: parts.append(text(60_000))
    elif kind == 1: parts.append(bytes([i]) * 20_000 + bytes(range(256)) * 100)
    else: parts.append(r.randbytes(40_000))
open("mixed", "wb").write(b"".join(parts))
PY
rm -f text_ random_ mixed_
mscompress text random mixed

cd "$out/version"
cat > entry.c <<'C'
int __stdcall DllMainCRTStartup(void* module, unsigned reason, void* reserved)
{
    (void)module; (void)reason; (void)reserved;
    return 1;
}
C
i686-w64-mingw32-gcc -c -O2 -o entry.o entry.c
for rc in "$here"/version/*.rc; do
    name=$(basename "$rc" .rc)
    i686-w64-mingw32-windres -c 1252 -i "$rc" -o "$name.res.o"
    i686-w64-mingw32-gcc -shared -nostdlib -s -Wl,-e,_DllMainCRTStartup@12 -o "$name.dll" entry.o "$name.res.o"
done
rm -f entry.c entry.o ./*.res.o
touch "$out/stamp"
