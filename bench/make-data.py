#!/usr/bin/env python3
"""Benchmark inputs, the same on every run: word-frequency text and slices of
the host's own programs and libraries.

usage: make-data.py OUT SEED TEXTS BINARIES SIZE_MIB CHUNK_MIB DIR...
"""
import os
import random
import sys

out, seed, texts, binaries, size_mib, chunk_mib = sys.argv[1], *map(int, sys.argv[2:7])
dirs = sys.argv[7:]
size, chunk = size_mib << 20, chunk_mib << 20
r = random.Random(seed)
common = ["the", "of", "and", "to", "a", "in", "is", "that", "for", "it", "as", "with", "was", "on", "be",
          "file", "setup", "install", "directory", "program", "windows", "copy", "version", "date"]
words = common + ["".join(r.choice("etaoinshrdlucmfwypvbgk") for _ in range(r.randint(3, 10))) for _ in range(5000)]


def text(n_bytes):
    lines, n = [], 0
    while n < n_bytes:
        line = " ".join(words[min(int(r.paretovariate(0.9)) - 1, len(words) - 1)]
                        for _ in range(r.randint(4, 14))) + ".\r\n"
        lines.append(line)
        n += len(line)
    return "".join(lines).encode()


for i in range(texts):
    open(os.path.join(out, "text%d.txt" % i), "wb").write(text(size))
names = []
for d in dirs:
    for name in sorted(os.listdir(d)):
        p = os.path.join(d, name)
        if os.path.isfile(p) and not os.path.islink(p):
            names.append(p)
for i in range(binaries):
    blob = bytearray()
    while len(blob) < size and names:
        with open(names.pop(0), "rb") as f:
            blob += f.read(chunk)
    open(os.path.join(out, "binary%d.bin" % i), "wb").write(bytes(blob[:size]))
