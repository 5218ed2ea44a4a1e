#!/usr/bin/env python3
"""Writes the BMP samples of tests/data (good ones and broken-*). Run from the repository root."""
import struct
import zlib

DATA = "tests/data/"


def picture_pixel(x, y):
    # A diagonal, the two corners the packing tests care about, and a dotted column.
    return x == y or (y == 0 and x == 71) or (y == 27 and x == 0) or (x == 40 and y % 2 == 0)


def logo_pixel(x, y):
    return (x + 2 * y) % 5 == 0 or y == 13


def one_bit(width, height, pixel, top_down=False, black_index=1, core=False):
    stride = (width + 31) // 32 * 4
    order = range(height) if top_down else reversed(range(height))
    rows = b""
    for y in order:
        bits = "".join(str(black_index if pixel(x, y) else 1 - black_index) for x in range(width))
        rows += int(bits.ljust(stride * 8, "0"), 2).to_bytes(stride, "big")
    entries = [(0, 0, 0), (255, 255, 255)] if black_index == 0 else [(255, 255, 255), (0, 0, 0)]
    if core:
        info = struct.pack("<IHHHH", 12, width, height, 1, 1)
        palette = b"".join(bytes(e) for e in entries)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, 1, 0,
                           len(rows), 2835, 2835, 2, 0)
        palette = b"".join(bytes(e) + b"\0" for e in entries)
    offset = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + info + palette + rows


def deep(width, height, depth):
    stride = (width * depth + 31) // 32 * 4
    palette = b"\0\0\0\0" * (1 << depth) if depth <= 8 else b""
    rows = b"\xff" * stride * height
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0, len(rows), 0, 0, 0, 0)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + info + palette + rows


def png(width, height, pixel):
    # 8-bit grey: dark grey for a set pixel, light grey for a clear one, so that the threshold
    # decides, not black and white alone.
    raw = b"".join(b"\0" + bytes(0x40 if pixel(x, y) else 0xC0 for x in range(width))
                   for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def write(name, data):
    with open(DATA + name, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    write("picture-72x28.bmp", one_bit(72, 28, picture_pixel))
    write("picture-72x28-topdown.bmp", one_bit(72, 28, picture_pixel, top_down=True, black_index=0))
    write("picture-72x28-core.bmp", one_bit(72, 28, picture_pixel, core=True))
    write("logo-72x14.bmp", one_bit(72, 14, logo_pixel))
    write("picture-72x28-grey.png", png(72, 28, picture_pixel))
    write("logo-72x14-grey.png", png(72, 14, logo_pixel))
    write("broken-24bit-72x28.bmp", deep(72, 28, 24))
    write("broken-4bit-72x28.bmp", deep(72, 28, 4))
    write("broken-wrong-size-72x27.bmp", one_bit(72, 27, picture_pixel))
    write("broken-truncated-72x28.bmp", one_bit(72, 28, picture_pixel)[:200])
    write("broken-not-a-bitmap.bmp", b"This is a text file that was given the .bmp suffix.\n")
