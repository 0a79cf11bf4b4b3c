#!/usr/bin/env python3
"""Draws the grid window's ten 16 x 16 pictures into resources/grid/.

Each picture is a white 14 x 14 field with blue one-pixel lines, framed by a
one-pixel border in a key colour. The window makes every pixel of the
bottom-left pixel's colour transparent, so the border shows the button face.
Pixels are set by our own line rule (start set, end not set), so the files
are crisp at 1:1 and come out the same on every run.

Usage: tools/draw-grid-pictures.py [--show]   (--show prints each as text)
"""

import math
import os
import struct
import sys
import zlib

SIZE = 16
FIELD = 14  # the white field inside the border
KEY = (128, 128, 0)  # border colour, drawn transparent
WHITE = (255, 255, 255)
BLUE = (0, 0, 255)

ROW_X, ROW_Y = 0, 0
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "grid")


class Picture:
    def __init__(self):
        self.px = [[KEY] * SIZE for _ in range(SIZE)]
        for y in range(1, SIZE - 1):
            for x in range(1, SIZE - 1):
                self.px[y][x] = WHITE

    def dot(self, u, v):
        """Sets field pixel (u, v); the field is clipped to 0..13."""
        if 0 <= u < FIELD and 0 <= v < FIELD:
            self.px[v + 1][u + 1] = BLUE

    def line(self, u0, v0, u1, v1):
        """One pixel per step along the longer axis; the end is not set."""
        du, dv = u1 - u0, v1 - v0
        n = max(abs(du), abs(dv))
        for i in range(n):
            self.dot(u0 + round_half_down(du * i / n), v0 + round_half_down(dv * i / n))

    def path(self, points, closed_end=False):
        for (a, b), (c, d) in zip(points, points[1:]):
            self.line(a, b, c, d)
        if closed_end:
            self.dot(*points[-1])

    def png(self):
        raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in self.px)

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

    def text(self):
        sign = {KEY: ".", WHITE: " ", BLUE: "#"}
        return "\n".join("".join(sign[p] for p in row) for row in self.px)


def round_half_down(x):
    return math.ceil(x - 0.5)


def transposed(draw):
    """The pattern of draw with the axes exchanged."""
    def drawn(p):
        class Swap:
            def line(self, u0, v0, u1, v1):
                p.line(v0, u0, v1, u1)

            def path(self, points, closed_end=False):
                p.path([(b, a) for a, b in points], closed_end)

            def dot(self, u, v):
                p.dot(v, u)
        draw(Swap())
    return drawn


def plain(p):
    pass


def ring_and_spoke(p):
    # A ring about the field's centre (6.5, 6.5) and its two diagonals,
    # which pass exactly through pixel centres.
    for v in range(FIELD):
        for u in range(FIELD):
            if abs(math.hypot(u - 6.5, v - 6.5) - 6.0) < 0.5:
                p.dot(u, v)
    p.line(0, 0, FIELD, FIELD)
    p.line(FIELD - 1, 0, -1, FIELD)


def square(p):
    for k in (4, 9):
        p.line(k, 0, k, FIELD)
        p.line(0, k, FIELD, k)


def diamond(p):
    # Rising and falling diagonals 7 pixels apart, symmetric in the field.
    for s in (6, 13, 20):
        p.line(s, 0, s - 14, 14)
    for d in (-7, 0, 7):
        p.line(d, 0, d + 14, 14)


def bricks_in_rows(p):
    for v in (4, 9):
        p.line(0, v, FIELD, v)
    for top, bottom, columns in ((0, 4, (4, 9)), (5, 9, (1, 6, 11)), (10, 14, (4, 9))):
        for u in columns:
            p.line(u, top, u, bottom)


def hexagons_in_rows(p):
    # Pointed tops and two vertical sides, 6 wide and 7 high, rows 5 apart
    # with every other row shifted by half a cell. Each cell draws its left
    # side and its two upper sides; the others belong to its neighbours.
    for r in range(-1, 4):
        y = 5 * r + ROW_Y
        for k in range(-2, 4):
            x = 6 * k + 3 * (r % 2) + ROW_X
            p.path([(x, y + 5), (x, y + 2), (x + 3, y), (x + 6, y + 2)], closed_end=True)


def triangles(p):
    # Horizontal lines 4 apart; between two of them, 45-degree sides join
    # crossings 8 apart, shifted by 4 from one line to the next: triangles
    # pointing up and down in turn.
    for r in range(-1, 4):
        v = 4 * r + 1
        p.line(0, v, FIELD, v)
        for k in range(-1, 3):
            u = 8 * k + 4 * (r % 2) + 3
            p.line(u, v, u + 4, v + 4)
            p.line(u, v, u - 4, v + 4)


PICTURES = [
    ("plain.png", plain),
    ("ring.png", ring_and_spoke),
    ("square.png", square),
    ("diamond.png", diamond),
    ("bricks-rows.png", bricks_in_rows),
    ("bricks-columns.png", transposed(bricks_in_rows)),
    ("hex-rows.png", hexagons_in_rows),
    ("hex-columns.png", transposed(hexagons_in_rows)),
    ("triangles.png", triangles),
    ("triangles-turned.png", transposed(triangles)),
]


def main():
    show = "--show" in sys.argv
    os.makedirs(OUT, exist_ok=True)
    for name, draw in PICTURES:
        p = Picture()
        draw(p)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(p.png())
        if show:
            print(name)
            print(p.text())
            print()


if __name__ == "__main__":
    main()
