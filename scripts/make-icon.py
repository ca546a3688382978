#!/usr/bin/env python3
"""Writes the program's icon (a .ico with 16, 32 and 48 pixel images) from the pixel figure in
src/res/icon.txt. The larger sizes repeat each pixel, so the figure stays crisp. The output is
the same bytes on every run: it is committed, and the test command checks that it still matches.

usage: make-icon.py ICON.txt OUT.ico"""
import struct
import sys


def read_figure(path):
    colours = {".": None}
    rows = []
    in_pixels = False
    with open(path, encoding="utf-8") as text:
        for line in text:
            line = line.rstrip("\n")
            if line.startswith("#"):
                in_pixels = line.strip() == "#"
                continue
            if not line:
                continue
            if in_pixels:
                rows.append(line)
            else:
                key, rgb = line.split()
                colours[key] = tuple(int(rgb[i:i + 2], 16) for i in (0, 2, 4))
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        raise SystemExit("icon.txt: the figure must be 16 rows of 16 pixels")
    return [[colours[c] for c in row] for row in rows]


def bitmap(figure, scale):
    """One icon image as a 32-bit DIB (bottom-up, BGRA) followed by its AND mask."""
    size = 16 * scale
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        mask_row = bytearray(mask_stride)
        for x in range(size):
            colour = figure[y // scale][x // scale]
            if colour is None:
                pixels += b"\x00\x00\x00\x00"
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 255))
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    figure = read_figure(sys.argv[1])
    images = [(16 * scale, bitmap(figure, scale)) for scale in (1, 2, 3)]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(sys.argv[2], "wb") as ico:
        ico.write(out)


if __name__ == "__main__":
    main()
