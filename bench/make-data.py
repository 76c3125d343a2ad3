#!/usr/bin/env python3
"""Benchmark inputs, the same on every run and every machine: word-frequency
text and program-like binaries (program_like.py).

usage: make-data.py OUT SEED TEXTS BINARIES SIZE_MIB
"""
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from program_like import program_like  # noqa: E402

out, seed, texts, binaries, size_mib = sys.argv[1], *map(int, sys.argv[2:6])
size = size_mib << 20
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
for i in range(binaries):
    open(os.path.join(out, "binary%d.bin" % i), "wb").write(program_like(r, size, common))
