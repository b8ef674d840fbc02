#!/usr/bin/env python3
"""Draws the hand pointer shown over push buttons and writes it as a Windows
cursor file (32 x 32, 32 bits with alpha plus the AND mask older readers
use), with its hot spot on the tip of the index finger.

    resources/draw-hand-cursor.py resources/runtime/HAND-M.CUR
"""
import struct
import sys

# X outline, o fill, . transparent. Row 0 is the top.
HAND = [
    "......XX..........",
    ".....XooX.........",
    ".....XooX.........",
    ".....XooX.........",
    ".....XooX.........",
    ".....XooXXX.......",
    ".....XooXooXXX....",
    ".....XooXooXooXX..",
    ".XX..XooXooXooXoX.",
    "XooX.XooooooooXooX",
    "XoooXXoooooooooooX",
    ".XoooXoooooooooooX",
    "..XooooooooooooooX",
    "..XooooooooooooooX",
    "...XoooooooooooooX",
    "...XooooooooooooX.",
    "....XoooooooooooX.",
    "....XooooooooooX..",
    ".....XoooooooooX..",
    ".....XoooooooooX..",
    ".....XXXXXXXXXXX..",
]
SIZE = 32
HOT_SPOT = (6, 0)
COLOURS = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255), ".": (0, 0, 0, 0)}


def pixel(x, y):
    if y < len(HAND) and x < len(HAND[y]):
        return COLOURS[HAND[y][x]]
    return COLOURS["."]


def cursor_bytes():
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # a DIB stores its rows bottom up
        bits = 0
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            xor += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(cursor_bytes())
