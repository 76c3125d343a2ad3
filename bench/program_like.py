"""Deterministic bytes shaped like a compiled program, in place of the host's
own binaries (which differ between machines): code made of a skewed set of
instruction-like sequences, zero padding, tables of rising addresses, string
tables and stretches of noise (packed resources)."""
import struct


def program_like(r, size, words=("file", "setup", "install", "copy", "error", "version", "path")):
    ops = []
    for _ in range(3000):
        n = min(7, 1 + int(r.expovariate(0.6)))
        head = r.choice([0x8b, 0x89, 0xe8, 0xff, 0x83, 0x48, 0x0f, 0x74, 0x75, 0xc7, 0x8d, 0x31, 0x85])
        ops.append(bytes([head]) + bytes(r.getrandbits(8) if r.random() < 0.5 else 0 for _ in range(n - 1)))
    out = bytearray()
    while len(out) < size:
        kind = r.random()
        if kind < 0.6:  # code
            for _ in range(r.randint(200, 4000)):
                out += ops[min(int(r.paretovariate(0.8)) - 1, len(ops) - 1)]
        elif kind < 0.72:  # padding to an alignment
            out += bytes((-len(out)) % 16 + 16 * r.randint(0, 64))
        elif kind < 0.84:  # an address table
            base = r.getrandbits(24) << 4
            for _ in range(r.randint(50, 2000)):
                base += r.choice([4, 8, 12, 16, 24, 32, r.randint(1, 4096)])
                out += struct.pack("<I", base & 0xffffffff)
        elif kind < 0.94:  # strings
            for _ in range(r.randint(20, 400)):
                out += "_".join(r.choice(words) for _ in range(r.randint(1, 4))).encode() + b"\0"
        else:  # packed data
            out += r.randbytes(r.randint(256, 32768))
    return bytes(out[:size])
