#!/usr/bin/env python3
"""Writes the about box's pictures: hand.cur (the links' pointing hand) and
logo.bmp (the program's logo, 32 x 32 in 256 colours). Run it from anywhere;
the files land beside it."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# '#' black, 'o' white, '.' transparent. The fingertip is the hot spot.
HAND = [
    "....##",
    "...#oo#",
    "...#oo#",
    "...#oo#",
    "...#oo#",
    "...#oo###",
    "...#oo#oo###",
    "...#oo#oo#oo###",
    "...#oo#oo#oo#oo#",
    "##.#oo#oo#oo#oo#",
    "#o##oo#oo#oo#oo#",
    "#oo#ooooooooooo#",
    ".#o#ooooooooooo#",
    ".#ooooooooooooo#",
    "..#oooooooooooo#",
    "..#oooooooooooo#",
    "...#ooooooooooo#",
    "...#oooooooooo#",
    "....#ooooooooo#",
    "....#ooooooooo#",
    ".....#ooooooo#",
    ".....#ooooooo#",
    ".....#########",
]
HOT_SPOT = (5, 0)


def cursor():
    size = 32
    rows = [r.ljust(size, ".") for r in HAND] + ["." * size] * (size - len(HAND))
    xor, mask = b"", b""
    for row in reversed(rows):  # bottom-up
        xbits = mbits = 0
        for ch in row:
            xbits = xbits << 1 | (ch == "o")
            mbits = mbits << 1 | (ch == ".")
        xor += struct.pack(">I", xbits)
        mask += struct.pack(">I", mbits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


def fill(px, poly, colour):
    """Fills the pixels whose centres lie inside the polygon."""
    for y in range(len(px)):
        for x in range(len(px[0])):
            cx, cy, inside = x + 0.5, y + 0.5, False
            for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
                if (y1 > cy) != (y2 > cy) and cx < x1 + (cy - y1) * (x2 - x1) / (y2 - y1):
                    inside = not inside
            if inside:
                px[y][x] = colour


def line(px, a, b, colour):
    (x1, y1), (x2, y2) = a, b
    n = max(abs(x2 - x1), abs(y2 - y1))
    for i in range(n + 1):
        px[round(y1 + (y2 - y1) * i / n)][round(x1 + (x2 - x1) * i / n)] = colour


def logo_pixels():
    """A parcel on a green tile with a white arrow going into it."""
    size = 32
    px = [[(0, 176 - y * 4, 32 - y // 2)] * size for y in range(size)]
    px = [list(row) for row in px]
    grey = (192, 192, 192)  # rounded corners in the dialog's grey
    for (x, y) in [(0, 0), (1, 0), (0, 1), (31, 0), (30, 0), (31, 1), (0, 31), (1, 31), (0, 30), (31, 31),
                   (30, 31), (31, 30)]:
        px[y][x] = grey
    outline, front, side, top = (64, 40, 16), (214, 168, 96), (166, 120, 56), (240, 208, 150)
    fill(px, [(5, 17), (21, 17), (21, 29), (5, 29)], front)
    fill(px, [(21, 17), (27, 11), (27, 23), (21, 29)], side)
    fill(px, [(5, 17), (11, 11), (27, 11), (21, 17)], top)
    fill(px, [(11, 17), (15, 17), (15, 29), (11, 29)], (190, 146, 76))  # the tape
    for a, b in [((5, 17), (20, 17)), ((5, 28), (20, 28)), ((5, 17), (5, 28)), ((20, 17), (20, 28)),
                 ((20, 17), (26, 11)), ((5, 17), (11, 11)), ((11, 11), (26, 11)), ((26, 11), (26, 22)),
                 ((26, 22), (20, 28))]:
        line(px, a, b, outline)
    white = (255, 255, 255)  # the arrow, going into the open lid
    fill(px, [(13, 1), (18, 1), (18, 8), (22, 8), (15.5, 15), (9, 8), (13, 8)], white)
    return px


def bitmap():
    px = logo_pixels()
    colours = sorted({c for row in px for c in row})
    index = {c: i for i, c in enumerate(colours)}
    palette = b"".join(bytes([b, g, r, 0]) for (r, g, b) in colours) + bytes(4 * (256 - len(colours)))
    pixels = b"".join(bytes(index[c] for c in row) for row in reversed(px))
    info = struct.pack("<IiiHHIIiiII", 40, 32, 32, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


if __name__ == "__main__":
    with open(os.path.join(HERE, "hand.cur"), "wb") as f:
        f.write(cursor())
    with open(os.path.join(HERE, "logo.bmp"), "wb") as f:
        f.write(bitmap())
