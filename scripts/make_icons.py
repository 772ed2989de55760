#!/usr/bin/env python3
"""Draws the package's button icons (32 x 32, 32-bit) and writes them as .ico
files: make_icons.py OUTDIR NAME... with NAME one of ok, cancel, help,
exclamation."""
import math
import os
import struct
import sys

SIZE = 32


def ok(x, y):
    # A green check mark: two thick strokes.
    def near(ax, ay, bx, by, px, py, w):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - ax - t * dx, py - ay - t * dy) <= w
    if near(5, 17, 12, 25, x, y, 2.6) or near(12, 25, 27, 7, x, y, 2.6):
        return (0, 160, 0)
    return None


def cancel(x, y):
    if abs((x - 16) - (y - 16)) <= 2.5 and 5 <= x <= 27 or abs((x - 16) + (y - 16)) <= 2.5 and 5 <= x <= 27:
        return (200, 0, 0)
    return None


def help_(x, y):
    r = math.hypot(x - 15.5, y - 15.5)
    if r <= 13:
        # A white "i" on a blue disc.
        if 14 <= x <= 17 and (8 <= y <= 10 or 13 <= y <= 24):
            return (255, 255, 255)
        return (30, 80, 200)
    return None


def exclamation(x, y):
    r = math.hypot(x - 15.5, y - 15.5)
    if r <= 14:
        if 14 <= x <= 17 and (5 <= y <= 19 or 23 <= y <= 26):
            return (255, 255, 255)
        return (210, 0, 0)
    return None


SHAPES = {'ok': ok, 'cancel': cancel, 'help': help_, 'exclamation': exclamation}


def ico(shape):
    pixels = bytearray()
    mask = bytearray()
    for row in range(SIZE - 1, -1, -1):  # bottom-up
        bits = 0
        for col in range(SIZE):
            c = shape(col, row)
            if c is None:
                pixels += bytes((0, 0, 0, 0))
                bits |= 1 << (SIZE - 1 - col)
            else:
                pixels += bytes((c[2], c[1], c[0], 255))
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in sys.argv[2:]:
        with open(os.path.join(out, name + '.ico'), 'wb') as f:
            f.write(ico(SHAPES[name]))


if __name__ == '__main__':
    main()
