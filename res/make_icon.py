#!/usr/bin/env python3
"""Draws the 48-pixel application icon (nuv-48.png): a dark rounded square with a green
wave. Run once when the drawing changes; the PNG is kept in the tree."""
import math
import struct
import sys
import zlib

S = 48


def inside_rounded(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def wave_y(x):
    # One period of a sine across the square.
    return 24 - 13 * math.sin((x - 8) / 32 * 2 * math.pi)


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    if not inside_rounded(px, py, 3, 3, 45, 45, 7):
        return (0, 0, 0, 0)
    if not inside_rounded(px, py, 5, 5, 43, 43, 6):
        return (20, 30, 80, 255)
    if 8 <= px <= 40:
        d = abs(py - wave_y(px))
        if d < 2.2:
            a = 1.0 if d < 1.2 else (2.2 - d)
            bg = (30, 30, 70)
            fg = (80, 220, 120)
            return tuple(int(bg[i] + (fg[i] - bg[i]) * a) for i in range(3)) + (255,)
    if abs(py - 24) < 0.5 and 6 <= px <= 42:
        return (70, 70, 120, 255)
    return (30, 30, 70, 255)


def png(path):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(S)) for y in range(S))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", S, S, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    png(sys.argv[1] if len(sys.argv) > 1 else "nuv-48.png")
