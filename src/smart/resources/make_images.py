#!/usr/bin/env python3
"""Draws the built-in picture (72 x 28) and operator logo (72 x 14) as 1-bit BMP files.

Run it from this folder after changing a drawing; the BMP files are committed and compiled in.
"""
import struct

# 5 x 7 letters of our own, "#" is black.
FONT = {
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
}


def blank(width, height):
    return [[False] * width for _ in range(height)]


def text(img, x, y, word, sx=1, sy=1):
    for ch in word:
        for row, line in enumerate(FONT[ch]):
            for col, cell in enumerate(line):
                if cell == "#":
                    for dy in range(sy):
                        for dx in range(sx):
                            img[y + row * sy + dy][x + col * sx + dx] = True
        x += 6 * sx


def rect(img, x0, y0, x1, y1):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = True
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = True


def handset(img, x, y):
    """A candy-bar handset 13 x 25 with antenna, screen and keypad."""
    rect(img, x, y + 3, x + 12, y + 24)
    img[y + 3][x] = img[y + 3][x + 12] = img[y + 24][x] = img[y + 24][x + 12] = False  # corners
    for dy in range(4):
        img[y + dy][x + 9] = True  # antenna
    rect(img, x + 2, y + 6, x + 10, y + 12)  # screen
    for row in range(4):
        for col in range(3):
            img[y + 15 + 2 * row][x + 3 + 3 * col] = True  # keys


def waves(img, x, y):
    """Three growing strokes to the right of (x, y): the handset is sending."""
    for reach in (1, 2, 3):
        for k in range(-reach, reach + 1):
            img[y + k][x + 2 * reach] = True


def write_bmp(path, img):
    height, width = len(img), len(img[0])
    stride = (width + 31) // 32 * 4
    rows = b""
    for line in reversed(img):  # bottom-up
        bits = "".join("0" if black else "1" for black in line).ljust(stride * 8, "0")
        rows += int(bits, 2).to_bytes(stride, "big")
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])  # index 0 black, 1 white
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + rows)


def picture():
    img = blank(72, 28)
    handset(img, 3, 1)
    waves(img, 15, 3)
    text(img, 27, 5, "Pelmar")
    for x in range(27, 62):
        img[14][x] = True
    rect(img, 36, 18, 52, 25)  # an envelope with its flap
    for k in range(9):
        img[18 + k // 2][36 + k] = img[18 + k // 2][52 - k] = True
    return img


def logo():
    img = blank(72, 14)
    text(img, 1, 0, "Pelmar", sx=2, sy=2)
    return img


if __name__ == "__main__":
    write_bmp("picture-72x28.bmp", picture())
    write_bmp("logo-72x14.bmp", logo())
