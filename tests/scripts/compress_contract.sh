#!/usr/bin/env bash
# tarvex compress: output that msexpand and the build's own expansion (lz32
# under Wine, ours natively) both give back unchanged, and no larger than
# mscompress's; the error line and exit codes.
# usage: compress_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
command -v msexpand >/dev/null || missing msexpand
if [ "$platform" = win32 ]; then
    . "$src/scripts/wine-env.sh"
    run() { # COMMAND PATH... with the paths as Windows sees them
        local args=("$1") p
        shift
        for p in "$@"; do args+=("$(winepath -w "$p" 2>/dev/null)"); done
        wine "$build/tarvex.exe" "${args[@]}"
    }
else
    run() { "$build/tarvex" "$@"; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
failed() { echo "FAIL: $*"; fail=1; }

# Inputs: the small sizes mscompress gets wrong, text, noise, runs, and
# repeats at the window's edge.
python3 - "$work" <<'PY'
import os, random, sys
out = sys.argv[1]
r = random.Random(5)
cases = {"empty.bin": b"", "one.bin": b"A", "fifteen.txt": b"fifteen bytes!!", "blanks.txt": b"    x" * 3}
words = [b"setup", b"install", b"the", b"file", b"directory", b"program"]
cases["text.txt"] = b" ".join(r.choice(words) for _ in range(60000))
cases["noise.bin"] = r.randbytes(50000)
cases["run.bin"] = b"\0" * 70000 + b"\xff" * 5000
for d in (4095, 4096, 4097):
    noise = r.randbytes(d)
    cases["edge%d.bin" % d] = noise + noise[:40] + r.randbytes(30)
for name, data in cases.items():
    open(os.path.join(out, name), "wb").write(data)
PY
# Real machine code: the start of the program under test.
if [ "$platform" = win32 ]; then program=$build/tarvex.exe; else program=$build/tarvex; fi
head -c 400000 "$program" > "$work/program.bin"
for f in "$work"/*.txt "$work"/*.bin; do
    name=$(basename "$f")
    run compress "$f" "$work/$name.z" 2>"$work/err" || { failed "$name: exit code $?: $(cat "$work/err")"; continue; }
    msexpand < "$work/$name.z" > "$work/$name.ms" 2>/dev/null
    cmp -s "$f" "$work/$name.ms" || failed "$name: msexpand gives other bytes"
    run expand "$work/$name.z" "$work/$name.back" 2>/dev/null || failed "$name: expand failed"
    cmp -s "$f" "$work/$name.back" || failed "$name: tarvex expand gives other bytes"
done
# Never larger than mscompress's output, on text and on code.
if command -v mscompress >/dev/null; then
    for name in text.txt program.bin; do
        cp "$work/$name" "$work/ms-$name"
        mscompress "$work/ms-$name" >/dev/null 2>&1
        ours=$(stat -c %s "$work/$name.z") theirs=$(stat -c %s "$work/ms-${name}_")
        [ "$ours" -le "$theirs" ] || failed "$name: $ours bytes, mscompress $theirs"
    done
fi
# The header keeps the character the medium name replaces.
test "$(head -c 10 "$work/text.txt.z" | tail -c 1)" = t || failed "header: last character of text.txt"

run compress "$work/missing" "$work/out" 2>"$work/err"
test $? -eq 1 || failed "missing source: exit code"
grep -q '^error: ' "$work/err" || failed "missing source: error line: $(cat "$work/err")"
run compress "$work/text.txt" >/dev/null 2>&1
test $? -eq 2 || failed "usage error: exit code"
exit $fail
