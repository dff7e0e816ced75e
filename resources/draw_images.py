#!/usr/bin/env python3
"""Draws the editor's bitmap strips as PNG files (standard library only).

images/bookmarks.png: ten bookmark tags of 11 x 14 pixels numbered 0 to 9,
side by side (110 x 14), transparent around the tags.
images/wrapped.png: the 15 x 14 mark of a wrapped continuation row on lime,
the colour the editor draws transparent.

Run it from anywhere; it rewrites both files next to this script.
"""
import os
import struct
import zlib

DIGITS = {  # 5 x 7 digits, one string per pixel row
    0: ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    1: ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    2: ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    3: ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    4: ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    5: ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    6: ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    7: ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    8: ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    9: ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
}

CLEAR = (0, 0, 0, 0)
EDGE = (24, 58, 140, 255)
FILL = (92, 140, 235, 255)
SHINE = (150, 185, 250, 255)
INK = (255, 255, 255, 255)


def write_png(path, width, height, pixels, alpha):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw.extend((r, g, b, a) if alpha else (r, g, b))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def bookmark(digit):
    """One 11 x 14 tag: a rounded body with a notch at the bottom."""
    w, h = 11, 14
    img = [[CLEAR] * w for _ in range(h)]
    left, right, top, bottom = 0, 9, 0, 12
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            corner = (x in (left, right)) and (y in (top, bottom))
            if corner:
                continue
            edge = x in (left, right) or y in (top, bottom)
            img[y][x] = EDGE if edge else FILL
    for x in range(left + 1, right):  # a lighter band along the top
        img[top + 1][x] = SHINE
    # The notch: the bottom middle is cut in like a ribbon's end.
    for x in range(4, 6):
        img[bottom][x] = CLEAR
    img[bottom - 1][4] = EDGE
    img[bottom - 1][5] = EDGE
    # A shadow column right of the body.
    for y in range(top + 1, bottom + 1):
        img[y][right + 1] = (0, 0, 0, 70)
    for y, line in enumerate(DIGITS[digit]):
        for x, bit in enumerate(line):
            if bit == "1":
                img[3 + y][2 + x] = INK
    return img


def wrapped():
    """The 15 x 14 return arrow on lime."""
    lime = (0, 255, 0, 255)
    ink = (40, 40, 120, 255)
    w, h = 15, 14
    img = [[lime] * w for _ in range(h)]
    for y in range(2, 9):  # the riser on the right
        img[y][11] = ink
        img[y][12] = ink
    for x in range(4, 13):  # the foot going left
        img[8][x] = ink
        img[9][x] = ink
    for d in range(0, 4):  # the arrow head
        img[8 - d][2 + d] = ink
        img[9 + d][2 + d] = ink
    return img


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    tags = [bookmark(d) for d in range(10)]
    strip = [sum((tag[y] for tag in tags), []) for y in range(14)]
    write_png(os.path.join(here, "bookmarks.png"), 110, 14, strip, True)
    write_png(os.path.join(here, "wrapped.png"), 15, 14, wrapped(), False)


if __name__ == "__main__":
    main()
