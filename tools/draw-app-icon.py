#!/usr/bin/env python3
"""Draws masume's application icon into resources/icon/: a framed landscape
photo with a red grid over it, square cells on the left and hexagons in rows
on the right, the sun in the first whole hexagon.

    tools/draw-app-icon.py [output folder]

Writes <N>.png (RGBA) for every size of SIZES, drawn for that size: edges and
upright lines sit on whole pixels and the detail is thinned out as the icon
gets smaller, so that 16 and 24 pixels stay readable. masume.svg is the
256-pixel drawing as vectors, the same polygons as 256.png. The files come
out byte for byte the same on every run. Standard library only.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 128, 256)
SUBROWS = 16  # vertical samples per pixel row; the horizontal cover is exact

OUTLINE = (61, 61, 61)
PAPER = (250, 250, 250)
SKY_TOP = (86, 170, 232)
SKY_BOTTOM = (196, 232, 250)
SUN = (255, 200, 40)
HILL_BACK = (110, 176, 70)
HILL_FRONT = (58, 132, 46)
GRID = (224, 27, 36)


# ---------------------------------------------------------------- geometry


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def rounded_rect(x0, y0, x1, y1, r):
    """A rectangle whose corners are quarter circles of radius r."""
    if r <= 0:
        return rect(x0, y0, x1, y1)
    pts = []
    corners = ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180))
    for cx, cy, start in corners:
        for i in range(7):
            a = math.radians(start + 15 * i)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def circle(cx, cy, r, steps=48):
    return [(cx + r * math.cos(2 * math.pi * i / steps), cy + r * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def segment(p, q, w):
    """The band of width w along p-q, extended by w/2 at both ends so that
    joined segments leave no notch at their corners."""
    (x0, y0), (x1, y1) = p, q
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length * w / 2, (y1 - y0) / length * w / 2
    x0, y0, x1, y1 = x0 - ux, y0 - uy, x1 + ux, y1 + uy
    return [(x0 + uy, y0 - ux), (x1 + uy, y1 - ux), (x1 - uy, y1 + ux), (x0 - uy, y0 + ux)]


def clipped(poly, x0, y0, x1, y1):
    """poly cut to the rectangle (Sutherland-Hodgman); empty when outside."""
    def cut(pts, inside, cross):
        out = []
        for i, p in enumerate(pts):
            q = pts[i - 1]
            if inside(p):
                if not inside(q):
                    out.append(cross(q, p))
                out.append(p)
            elif inside(q):
                out.append(cross(q, p))
        return out

    def at_x(x):
        return lambda a, b: (x, a[1] + (b[1] - a[1]) * (x - a[0]) / (b[0] - a[0]))

    def at_y(y):
        return lambda a, b: (a[0] + (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]), y)

    for inside, cross in ((lambda p: p[0] >= x0, at_x(x0)), (lambda p: p[0] <= x1, at_x(x1)),
                          (lambda p: p[1] >= y0, at_y(y0)), (lambda p: p[1] <= y1, at_y(y1))):
        poly = cut(poly, inside, cross)
        if not poly:
            return []
    return poly


def counter_clockwise(poly):
    area = sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(poly, poly[1:] + poly[:1]))
    return poly if area >= 0 else poly[::-1]


class Layer:
    """Polygons filled together in one colour (their union, nonzero rule).
    colour is an RGB triple, or (top colour, bottom colour, y top, y bottom)
    for a vertical gradient."""

    def __init__(self, colour, polys):
        self.colour = colour
        self.polys = [counter_clockwise(p) for p in polys if len(p) >= 3]

    def rgb_at(self, y):
        if len(self.colour) == 3:
            return self.colour
        top, bottom, y0, y1 = self.colour
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))


# ---------------------------------------------------------------- the design

# Per size, in pixels: the square grid's pitch, how many square cells lie
# across the left part, the hexagons' width (even, so that their upright sides
# fall on whole pixels) and the grid's line width. Line width 0 draws
# one-pixel lines by masume's own line rule, crisp as the program draws them.
GRID_STYLE = {16: (3, 2, 6, 0), 24: (4, 3, 8, 0), 32: (4, 3, 10, 0), 48: (6, 3, 12, 0),
              64: (8, 3, 12, 0), 128: (14, 4, 26, 2), 256: (28, 4, 52, 4)}


class Design:
    """The icon at one size, in pixel units: filled layers (bottom first) and
    the pixels set by one-pixel grid lines, drawn over them."""

    def __init__(self, n):
        self.n = n
        self.layers = []
        self.pixels = set()
        pitch, squares, hexw, lw = GRID_STYLE[n]
        self.lw = lw
        x0 = 0 if n <= 24 else round(n * 12 / 256)
        y0 = round(n / 8)
        x1, y1 = n - x0, n - y0
        outline = max(1, round(n / 128))
        paper = 0 if n <= 24 else max(1, round(n * 10 / 256))
        corner = 0 if n < 64 else round(n * 8 / 256)

        self.fill(OUTLINE, rounded_rect(x0, y0, x1, y1, corner))
        if paper:
            self.fill(PAPER, rounded_rect(x0 + outline, y0 + outline, x1 - outline, y1 - outline,
                                          corner - outline))
        inset = outline + paper
        self.picture(x0 + inset, y0 + inset, x1 - inset, y1 - inset, pitch, squares, hexw)

    def fill(self, colour, *polys):
        self.layers.append(Layer(colour, list(polys)))

    def picture(self, a0, b0, a1, b1, pitch, squares, hexw):
        w, h = a1 - a0, b1 - b0
        lw = max(1, self.lw)

        def inside(poly):
            return clipped(poly, a0, b0, a1, b1)

        # Square cells on the left, the picture's edge counting as their first
        # line; hexagons right of the last upright line, every other row of
        # them with an upright side on that same line, the first row with a
        # whole hexagon at the top.
        mid = a0 - lw + squares * pitch
        top = b0 + (0 if self.lw else 1)
        slant, side, _ = hexagon_measures(hexw, bool(self.lw))
        sun_x = mid + self.lw / 2 + hexw / 2 + (0 if self.lw else 0.5)
        sun_y = top + slant + side / 2 + (0 if self.lw else 0.5)

        self.fill((SKY_TOP, SKY_BOTTOM, b0, b0 + 0.7 * h), rect(a0, b0, a1, b1))
        if self.n > 16:  # at 16 pixels the sun would hide the hexagon's shape
            self.fill(SUN, inside(circle(sun_x, sun_y, 0.3 * hexw)))
        for base, amp, phase, colour in ((0.58, 0.16, 0.15, HILL_BACK), (0.8, 0.10, 0.95, HILL_FRONT)):
            ridge = [(a0 + w * i / 32, b0 + h * (base - amp * math.sin(math.pi * (i / 32 * 1.6 + phase))))
                     for i in range(33)]
            self.fill(colour, inside(ridge + [(a1, b1 + 1), (a0, b1 + 1)]))

        lines = [((a0 - lw + i * pitch, b0), (a0 - lw + i * pitch, b1)) for i in range(1, squares + 1)]
        y = b0 - lw + pitch
        while y + lw <= b1 - 2:
            lines.append(((a0, y), (mid, y)))
            y += pitch
        self.grid(lines, a0, b0, mid + lw, b1)
        self.grid(hexagon_sides(mid, top, b1, hexw, bool(self.lw)), mid, b0, a1, b1)

    def grid(self, lines, x0, y0, x1, y1):
        """Draws lines inside the rectangle x0..x1, y0..y1: as bands of the
        line width whose upright parts cover whole pixels, or as one-pixel
        lines."""
        lw = self.lw
        if lw:
            c = lw / 2  # a line on x (or y) covers x .. x + lw
            polys = [clipped(segment((px + c, py + c), (qx + c, qy + c), lw), x0, y0, x1, y1)
                     for (px, py), (qx, qy) in lines]
            self.layers.append(Layer(GRID, polys))
            return
        for (px, py), (qx, qy) in lines:
            for x, y in line_pixels(px, py, qx, qy) + [(qx, qy)]:
                if x0 <= x < x1 and y0 <= y < y1:
                    self.pixels.add((x, y))


def hexagon_measures(cw, smooth):
    """A nearly regular hexagon cw wide with a pointed top: the height of its
    slanted sides, of its upright sides, and the pitch of its rows. One-pixel
    lines take whole pixels."""
    side = cw / math.sqrt(3)
    if smooth:
        return side / 2, side, 1.5 * side
    return round(side / 2), round(side), round(side / 2) + round(side)


def hexagon_sides(ox, y0, y1, cw, smooth):
    """Hexagons in rows (see hexagon_measures), the first row's apexes at y0,
    an upright side on ox. Each cell gives its left side and its two upper
    sides; the others are its neighbours'."""
    slant, side, pitch = hexagon_measures(cw, smooth)
    sides = []
    for r in range(-1, int((y1 - y0) / pitch) + 2):
        top = y0 + r * pitch
        for k in range(-1, 3):
            x = ox + k * cw + (cw // 2 if r % 2 else 0)
            shoulder, foot = top + slant, top + slant + side
            sides += [((x, foot), (x, shoulder)), ((x, shoulder), (x + cw // 2, top)),
                      ((x + cw // 2, top), (x + cw, shoulder))]
    return sides


def line_pixels(x0, y0, x1, y1):
    """masume's line rule: one pixel per step along the longer axis, the one
    nearest the ideal line, ties to the smaller minor coordinate; the end
    pixel is not set."""
    x0, y0, x1, y1 = (round(v) for v in (x0, y0, x1, y1))
    dx, dy = x1 - x0, y1 - y0
    steps = max(abs(dx), abs(dy))
    return [(x0 + math.ceil(dx * i / steps - 0.5), y0 + math.ceil(dy * i / steps - 0.5))
            for i in range(steps)]


# ---------------------------------------------------------------- rendering


def coverage(layer, n):
    """Per pixel, the share of its area inside the layer's polygons."""
    edges = []
    for poly in layer.polys:
        for (xa, ya), (xb, yb) in zip(poly, poly[1:] + poly[:1]):
            if ya == yb:
                continue
            d = 1 if yb > ya else -1
            if ya > yb:
                xa, ya, xb, yb = xb, yb, xa, ya
            edges.append((ya, yb, xa, (xb - xa) / (yb - ya), d))
    cover = [[0.0] * n for _ in range(n)]
    for sy in range(n * SUBROWS):
        yc = (sy + 0.5) / SUBROWS
        crossings = sorted((x + (yc - ya) * slope, d) for ya, yb, x, slope, d in edges if ya <= yc < yb)
        row = cover[sy // SUBROWS]
        winding = 0
        start = 0.0
        for x, d in crossings:
            before = winding
            winding += d
            if before == 0 and winding != 0:
                start = x
            elif before != 0 and winding == 0:
                add_span(row, max(0.0, start), min(float(n), x))
    return cover


def add_span(row, xa, xb):
    if xb <= xa:
        return
    for p in range(int(xa), min(len(row), math.ceil(xb))):
        row[p] += (min(xb, p + 1) - max(xa, p)) / SUBROWS


def render(n):
    rgba = [[(0.0, 0.0, 0.0, 0.0)] * n for _ in range(n)]
    d = Design(n)
    for layer in d.layers:
        cover = coverage(layer, n)
        for y in range(n):
            colour = layer.rgb_at(y + 0.5)
            for x in range(n):
                a = min(1.0, cover[y][x])
                if a <= 0:
                    continue
                r, g, b, back = rgba[y][x]
                out = a + back * (1 - a)
                rgba[y][x] = tuple((c * a + o * back * (1 - a)) / out for c, o in zip(colour, (r, g, b))) + (out,)
    for x, y in d.pixels:
        rgba[y][x] = GRID + (1.0,)
    return rgba


def png(rgba):
    raw = b"".join(b"\0" + bytes(min(255, round(v)) for r, g, b, a in row for v in (r, g, b, a * 255))
                   for row in rgba)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", len(rgba[0]), len(rgba), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg(n):
    def hexcolour(c):
        return "#%02x%02x%02x" % tuple(round(v) for v in c)

    def path(polys):
        return " ".join("M" + " ".join("%g,%g" % (round(x, 2), round(y, 2)) for x, y in p) + "Z"
                        for p in polys)

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
           % (n, n, n, n)]
    for i, layer in enumerate(Design(n).layers):
        if len(layer.colour) == 3:
            fill = hexcolour(layer.colour)
        else:
            top, bottom, y0, y1 = layer.colour
            out.append('<linearGradient id="g%d" gradientUnits="userSpaceOnUse" x1="0" y1="%g" x2="0" '
                       'y2="%g"><stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
                       '</linearGradient>' % (i, y0, y1, hexcolour(top), hexcolour(bottom)))
            fill = "url(#g%d)" % i
        out.append('<path fill="%s" d="%s"/>' % (fill, path(layer.polys)))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "icon")
    os.makedirs(out, exist_ok=True)
    for n in SIZES:
        with open(os.path.join(out, "%d.png" % n), "wb") as f:
            f.write(png(render(n)))
    with open(os.path.join(out, "masume.svg"), "w") as f:
        f.write(svg(256))


if __name__ == "__main__":
    main()
