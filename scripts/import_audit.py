#!/usr/bin/env python3
"""Checks that every function a PE file imports at load time exists on the
target Windows versions, by the list of first exporting versions in
scripts/win32-first-exports.txt.

    import_audit.py [--data FILE] --target win98se --target nt4 FILE.exe...

Prints each import the target lacks, or that the list does not know, and
exits 1 if there is any; 2 on unreadable input."""

import argparse
import os
import struct
import sys

NINE_X = ["95", "98", "98se", "me"]
NT = ["nt3.1", "nt3.5", "nt3.51", "nt4", "2000", "xp", "2003", "vista", "7", "8", "8.1", "10"]

# Which column a target reads, and the newest version it accepts there.
TARGETS = {
    "win95": ("9x", "95"),
    "win98": ("9x", "98"),
    "win98se": ("9x", "98se"),
    "winme": ("9x", "me"),
    "nt4": ("nt", "nt4"),
    "win2000": ("nt", "2000"),
    "xp": ("nt", "xp"),
    "vista": ("nt", "vista"),
}


class BadFile(Exception):
    pass


def load_list(path):
    exports = {}
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            if len(line) != 4:
                raise BadFile(f"{path}:{number}: want 'dll function first-9x first-NT'")
            dll, name, first9x, firstNt = line
            if first9x not in NINE_X + ["-", "?"] or firstNt not in NT + ["-", "?"]:
                raise BadFile(f"{path}:{number}: unknown version in {first9x} {firstNt}")
            exports[(dll.lower(), name)] = {"9x": first9x, "nt": firstNt}
    return exports


def read_imports(path):
    """[(dll, name or '#ordinal')] of the import directory."""
    with open(path, "rb") as f:
        data = f.read()

    def u16(at):
        return struct.unpack_from("<H", data, at)[0]

    def u32(at):
        return struct.unpack_from("<I", data, at)[0]

    try:
        if data[:2] != b"MZ":
            raise BadFile(f"{path}: not an MZ executable")
        pe = u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadFile(f"{path}: no PE header")
        sections = u16(pe + 6)
        optionalSize = u16(pe + 20)
        optional = pe + 24
        magic = u16(optional)
        if magic == 0x10B:
            directories, thunkSize = optional + 96, 4
        elif magic == 0x20B:
            directories, thunkSize = optional + 112, 8
        else:
            raise BadFile(f"{path}: unknown optional header 0x{magic:x}")
        importRva = u32(directories + 8)
        table = optional + optionalSize
        spans = []
        for i in range(sections):
            at = table + 40 * i
            virtualSize, virtualAddress, rawSize, rawPointer = struct.unpack_from("<IIII", data, at + 8)
            spans.append((virtualAddress, max(virtualSize, rawSize), rawPointer))

        def offset(rva):
            for start, size, raw in spans:
                if start <= rva < start + size:
                    return rva - start + raw
            raise BadFile(f"{path}: address 0x{rva:x} outside every section")

        def text(rva):
            at = offset(rva)
            end = data.index(b"\0", at)
            return data[at:end].decode("ascii")

        imports = []
        if importRva == 0:
            return imports
        at = offset(importRva)
        while True:
            lookup, _, _, nameRva, addresses = struct.unpack_from("<IIIII", data, at)
            if nameRva == 0:
                break
            dll = text(nameRva).lower()
            thunk = offset(lookup or addresses)
            while True:
                value = int.from_bytes(data[thunk:thunk + thunkSize], "little")
                if value == 0:
                    break
                if value >> (thunkSize * 8 - 1):
                    imports.append((dll, f"#{value & 0xFFFF}"))
                else:
                    imports.append((dll, text((value & 0x7FFFFFFF) + 2)))
                thunk += thunkSize
            at += 20
        return imports
    except (struct.error, ValueError, IndexError) as e:
        raise BadFile(f"{path}: damaged import table ({e})")


def missing(imports, exports, target):
    column, newest = TARGETS[target]
    order = NINE_X if column == "9x" else NT
    found = []
    for dll, name in sorted(set(imports)):
        entry = exports.get((dll, name))
        if entry is None:
            found.append(f"{dll}!{name} (not in the list)")
            continue
        first = entry[column]
        if first in ("-", "?") or order.index(first) > order.index(newest):
            found.append(f"{dll}!{name} (first: {first if first != '-' else 'never'})")
    return found


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(here, "win32-first-exports.txt"))
    parser.add_argument("--target", action="append", choices=sorted(TARGETS), required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    try:
        exports = load_list(args.data)
        failed = False
        for path in args.files:
            imports = read_imports(path)
            for target in args.target:
                lacking = missing(imports, exports, target)
                name = os.path.basename(path)
                if lacking:
                    failed = True
                    print(f"{name}: {len(lacking)} import(s) not on {target}:")
                    for line in lacking:
                        print(f"  {line}")
                else:
                    print(f"{name}: all {len(set(imports))} imports on {target}")
        return 1 if failed else 0
    except (OSError, BadFile) as e:
        print(f"import_audit: {e}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
