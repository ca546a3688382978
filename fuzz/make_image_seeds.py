#!/usr/bin/env python3
"""Writes the seed pictures of the picture-reader fuzz targets (fuzz/seeds/fuzz_bmp_read,
fuzz_png_read, fuzz_dib_read, and fuzz_paste_picture, which puts a format byte and 16 palette
words in front of some of them): small valid files, one per layout the readers take, built byte
by byte with the standard library only. Run once from the repository root; the bytes are
committed, so the script is only needed to change them."""
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")
W, H = 5, 3  # odd sizes: rows need padding, 1- to 4-bit rows end inside a byte


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- bitmap blocks and BMP files ----

def info_header(size, width, height, bits, compression, colours_used, masks=()):
    h = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, 0, 0, 0,
                    colours_used, 0)
    extra = b"".join(struct.pack("<I", m) for m in masks)
    if size > 40:
        h += extra[: size - 40]
        extra = extra[size - 40:]
    return h + b"\0" * (size - len(h)), extra


def table(n):
    return b"".join(bytes((i * 16 % 256, i * 40 % 256, 255 - i * 9 % 256, 0)) for i in range(n))


def rows(height, row_bytes, top_down=False):
    """Rows of distinct bytes, each padded to 4; bottom-up unless top_down."""
    stride = (row_bytes + 3) // 4 * 4
    out = [bytes((y * 37 + x * 11) % 256 for x in range(row_bytes)) + b"\0" * (stride - row_bytes)
           for y in range(height)]
    return b"".join(out if top_down else reversed(out))


def indexed_rows(bits, top_down=False):
    per_row = []
    for y in range(H):
        values = [(x + 2 * y) % (1 << bits) for x in range(W)]
        acc, n, row = 0, 0, b""
        for v in values:
            acc, n = (acc << bits) | v, n + bits
            if n == 8:
                row, acc, n = row + bytes((acc,)), 0, 0
        if n:
            row += bytes((acc << (8 - n),))
        per_row.append(row + b"\0" * ((-len(row)) % 4))
    return b"".join(per_row if top_down else reversed(per_row))


def block(size, width, height, bits, compression, colours, pixels, masks=(), colours_used=None):
    header, after = info_header(size, width, height, bits, compression,
                                colours if colours_used is None else colours_used, masks)
    return header + after + table(colours) + pixels


def bmp(dib, pixel_offset):
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + pixel_offset) + dib


def bitmaps():
    rle8 = bytes((3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 2, 9, 0, 1))
    rle4 = bytes((3, 0x12, 0, 3, 0x45, 0x60, 0, 0, 5, 0xF1, 0, 1))
    argb = rows(H, 4 * W)
    return {
        "idx8-v3": (40, W, H, 8, 0, 16, indexed_rows(8), ()),
        "idx8-v5-topdown": (124, W, -H, 8, 0, 16, indexed_rows(8, True), ()),
        "idx4-v4": (108, W, H, 4, 0, 16, indexed_rows(4), ()),
        "idx1": (40, W, H, 1, 0, 2, indexed_rows(1), ()),
        "rle8": (40, 6, 3, 8, 1, 16, rle8, ()),
        "rle4": (40, 7, 2, 4, 2, 16, rle4, ()),
        "rgb16-555": (40, W, H, 16, 0, 0, rows(H, 2 * W), ()),
        "rgb16-565-masks-after-header": (40, W, H, 16, 3, 0, rows(H, 2 * W), (0xF800, 0x07E0, 0x001F)),
        "rgb16-444-v52": (52, W, H, 16, 3, 0, rows(H, 2 * W), (0x0F00, 0x00F0, 0x000F)),
        "rgb24": (40, W, H, 24, 0, 0, rows(H, 3 * W), ()),
        "rgb32-alpha": (40, W, H, 32, 0, 0, argb, ()),
        "rgb32-v56-alpha-mask": (56, W, -H, 32, 3, 0, argb, (0xFF0000, 0xFF00, 0xFF, 0xFF000000)),
        "rgb32-v5-rgba-bytes": (124, W, H, 32, 3, 0, argb, (0xFF, 0xFF00, 0xFF0000, 0xFF000000)),
    }


# ---- PNG ----

def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    acc, n, out = 0, 0, b""
    for s in samples:
        acc, n = (acc << depth) | s, n + depth
        if n == 8:
            out, acc, n = out + bytes((acc,)), 0, 0
    return out + (bytes((acc << (8 - n),)) if n else b"")


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]


def png(kind, depth, channels, width, height, interlaced=False, extra=b"", levels=None):
    levels = levels or 1 << depth
    pixel = lambda x, y: [(x * 7 + y * 13 + c * 5) * 4099 % levels for c in range(channels)]
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    raw = b""
    for x0, y0, dx, dy in passes:
        xs, ys = range(x0, width, dx), range(y0, height, dy)
        if not xs or not ys:
            continue
        for y in ys:
            raw += b"\0" + pack([s for x in xs for s in pixel(x, y)], depth)
    ihdr = struct.pack(">IIBBBBB", width, height, depth, kind, 0, 0, 1 if interlaced else 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def pngs():
    def palette(n):
        return chunk(b"PLTE", bytes(v for i in range(n) for v in (i * 50 % 256, i * 90 % 256, i * 20 % 256)))

    out = {}
    for depth in (1, 2, 4, 8):
        n = min(1 << depth, 16)
        out["palette%d-trns" % depth] = png(3, depth, 1, W, H, False,
                                            palette(n) + chunk(b"tRNS", b"\0"), n)
    out["palette4-interlaced"] = png(3, 4, 1, 9, 9, True, palette(16), 16)
    for depth in (1, 2, 4, 8, 16):
        out["grey%d" % depth] = png(0, depth, 1, W, H)
    out["grey8-key"] = png(0, 8, 1, W, H, False, chunk(b"tRNS", struct.pack(">H", 7)))
    for depth in (8, 16):
        out["grey-alpha%d" % depth] = png(4, depth, 2, W, H)
        out["rgb%d" % depth] = png(2, depth, 3, W, H)
        out["rgba%d" % depth] = png(6, depth, 4, W, H)
    out["rgb16-key"] = png(2, 16, 3, W, H, False, chunk(b"tRNS", struct.pack(">HHH", 1, 2, 3)))
    out["rgba8-interlaced"] = png(6, 8, 4, 9, 10, True)
    return out


def main():
    for name, (size, width, height, bits, compression, colours, pixels, masks) in bitmaps().items():
        dib = block(size, width, height, bits, compression, colours, pixels, masks)
        offset = len(dib) - len(pixels)
        write("fuzz_bmp_read", name + ".bmp", bmp(dib, offset))
        write("fuzz_dib_read", name + ".dib", dib)
    # The clipboard's own shapes: the tool's 16-colour copy, and a full table announced by 0.
    copy = b"".join(bytes((x + 3 * y) % 16 for x in range(16)) for y in reversed(range(2)))
    write("fuzz_dib_read", "tool-copy.dib", block(40, 16, 2, 8, 0, 16, copy))
    write("fuzz_dib_read", "idx8-256-colours.dib", block(40, W, H, 8, 0, 256, indexed_rows(8), (), 0))
    png_files = pngs()
    for name, data in png_files.items():
        write("fuzz_png_read", name + ".png", data)
    paste_seeds(png_files)


# Byte 0: the clipboard format (0 CF_DIB, 1 CF_DIBV5, 2 "PNG"); then 16 palette words.
PASTE_PALETTE = (0x0000, 0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x7C1F, 0x0421, 0x4210,
                 0x7FE0, 0x03FF, 0x2108, 0x6318, 0x1084, 0x5294, 0x0010, 0x4000)


def paste_seeds(png_files):
    def seed(name, fmt, body):
        words = b"".join(struct.pack("<H", w) for w in PASTE_PALETTE)
        write("fuzz_paste_picture", name, bytes((fmt,)) + words + body)

    def read(target, name):
        with open(os.path.join(ROOT, target, name), "rb") as f:
            return f.read()

    seed("dib-rgb24", 0, read("fuzz_dib_read", "rgb24.dib"))
    seed("dibv5-rgb32-alpha", 1, read("fuzz_dib_read", "rgb32-alpha.dib"))
    seed("dib-idx8", 0, read("fuzz_dib_read", "idx8-v3.dib"))
    seed("png-rgba8", 2, png_files["rgba8"])
    seed("png-palette4", 2, png_files["palette4-trns"])

    # A 3 x 2 RGBA picture in the palette's colours, one pixel transparent: the matched path.
    def rgb(w):
        return bytes((v & 31) * 255 // 31 for v in (w, w >> 5, w >> 10))
    raw = b""
    for row in ((1, 2, 3), (4, 5, 0)):
        raw += b"\0" + b"".join(rgb(PASTE_PALETTE[i]) + (b"\xff" if i else b"\0") for i in row)
    header = struct.pack(">IIBBBBB", 3, 2, 8, 6, 0, 0, 0)
    seed("png-rgba-in-palette", 2, b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
         chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
