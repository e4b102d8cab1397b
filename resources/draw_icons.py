#!/usr/bin/env python3
"""Draws the program's icons into resources/icons/ as 8-bit RGBA PNG files.

Standard library only. Every shape is a signed distance function in pixel
units (negative inside); a pixel's coverage is the distance at its centre
clamped to [-0.5, 0.5], which gives smooth edges without supersampling and
keeps edges on whole pixel boundaries crisp. The output is the same on every
run, so the checked-in files only change when a drawing does.

    python3 resources/draw_icons.py [output-folder]
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Shapes: functions (x, y) -> signed distance in pixels


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # First-order distance: exact enough within a pixel of the edge.
    def d(x, y):
        u, v = (x - cx) / rx, (y - cy) / ry
        f = u * u + v * v - 1.0
        g = 2.0 * math.hypot(u / rx, v / ry)
        return f / g if g > 1e-9 else -min(rx, ry)
    return d


def box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return d


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / length2
        t = min(max(t, 0.0), 1.0)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return d


def polygon(points):
    points = [p for i, p in enumerate(points) if p != points[i - 1]]
    n = len(points)

    def d(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def inner_band(shape, width):
    """The strip of the given width just inside the shape's edge: outlines."""
    return lambda x, y: max(shape(x, y), -shape(x, y) - width)


def band(shape, width):
    """A line of the given width centred on the shape's edge."""
    return lambda x, y: abs(shape(x, y)) - width / 2


def rotated(shape, cx, cy, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def d(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + c * dx + s * dy, cy - s * dx + c * dy)
    return d


def shifted(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# ---------------------------------------------------------------------------
# Paint: colours are (r, g, b, a) in 0..1; a fill is a colour or (x, y) -> colour


def rgb(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def linear(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / length2)


def radial(cx, cy, r, c0, c1):
    return lambda x, y: mix(c0, c1, math.hypot(x - cx, y - cy) / r)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        # Premultiplied, so "over" is a plain weighted sum.
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, shape, fill, opacity=1.0):
        colour_at = fill if callable(fill) else (lambda x, y: fill)
        for j in range(self.height):
            for i in range(self.width):
                x, y = i + 0.5, j + 0.5
                coverage = min(max(0.5 - shape(x, y), 0.0), 1.0)
                if coverage <= 0.0:
                    continue
                r, g, b, a = colour_at(x, y)
                a *= coverage * opacity
                p = self.pixels[j * self.width + i]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def outlined(self, shape, fill, outline, width=1.0):
        self.paint(shape, fill)
        self.paint(inner_band(shape, width), outline)

    def rgba_rows(self):
        rows = []
        for j in range(self.height):
            row = bytearray()
            for i in range(self.width):
                r, g, b, a = self.pixels[j * self.width + i]
                alpha = round(a * 255)
                if alpha == 0:
                    row += b"\0\0\0\0"
                    continue
                row += bytes(min(255, round(c / a * 255)) for c in (r, g, b))
                row.append(alpha)
            rows.append(bytes(row))
        return rows


def png_bytes(canvas):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in canvas.rgba_rows())
    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


# ---------------------------------------------------------------------------
# Palette

WHITE = rgb("#ffffff")
PAPER_TOP, PAPER_BOTTOM, PAPER_EDGE = rgb("#ffffff"), rgb("#e4e7ea"), rgb("#7b8288")
TEXT_LINE = rgb("#a9b1b8")
GREEN_LIGHT, GREEN, GREEN_DARK = rgb("#9be35a"), rgb("#4fa21c"), rgb("#2f6b0c")
BLUE_LIGHT, BLUE, BLUE_DARK = rgb("#8cc0f2"), rgb("#2f73c9"), rgb("#17427d")
RED_LIGHT, RED, RED_DARK = rgb("#f2766b"), rgb("#cf2e22"), rgb("#831810")
YELLOW_LIGHT, YELLOW, YELLOW_DARK, YELLOW_EDGE = rgb("#fff2a0"), rgb("#f4cd3c"), rgb("#d9a514"), rgb("#97690a")
ORANGE_LIGHT, ORANGE, ORANGE_DARK = rgb("#ffc477"), rgb("#f08a1c"), rgb("#a4530a")
STEEL_LIGHT, STEEL, STEEL_DARK = rgb("#eef0f2"), rgb("#b5bcc3"), rgb("#3c4248")
WOOD_LIGHT, WOOD, WOOD_DARK = rgb("#c98d52"), rgb("#93582a"), rgb("#56300f")


# ---------------------------------------------------------------------------
# The pictures


def draw_quit():
    c = Canvas(16, 16)
    # Door frame with a dark opening, the door swung open towards the viewer.
    frame = box(1, 1, 10, 15.5)
    c.outlined(frame, linear(0, 1, STEEL_LIGHT, 0, 15, STEEL), STEEL_DARK)
    c.paint(box(2, 2, 9, 15.5), linear(0, 2, rgb("#1c2024"), 0, 15, rgb("#474e55")))
    door = polygon([(2, 2), (6.5, 3.5), (6.5, 16), (2, 15.5)])
    c.paint(door, linear(2, 0, WOOD_LIGHT, 6.5, 0, WOOD))
    c.paint(band(door, 0.9), WOOD_DARK)
    c.paint(circle(5.3, 9.5, 0.65), rgb("#ffe68a"))
    # Arrow out of the opening.
    arrow = polygon([(6, 7), (10.5, 7), (10.5, 4.5), (15.5, 8.5), (10.5, 12.5), (10.5, 10), (6, 10)])
    c.paint(arrow, linear(0, 4.5, RED_LIGHT, 0, 12.5, RED))
    c.paint(band(arrow, 0.9), RED_DARK)
    return c


def sheet(c, x0, y0, x1, y1, fold, lines):
    page = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    c.paint(page, linear(0, y0, PAPER_TOP, 0, y1, PAPER_BOTTOM))
    c.paint(inner_band(page, 1.0), PAPER_EDGE)
    if fold:
        corner = polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
        c.paint(corner, rgb("#c9ced3"))
        c.paint(band(corner, 0.9), PAPER_EDGE)
    for lx0, ly, lx1, width in lines:
        c.paint(segment(lx0, ly, lx1, ly, width), TEXT_LINE)


def draw_files():
    c = Canvas(16, 16)
    sheet(c, 5, 0.5, 15, 11, 0, [])
    sheet(c, 1, 4, 11, 15.5, 3.5, [(3, 8.5, 9, 1), (3, 10.5, 9, 1), (3, 12.5, 7, 1)])
    return c


def draw_add():
    c = Canvas(16, 16)
    plus = union(box(5.5, 1, 10.5, 15, 1.2), box(1, 5.5, 15, 10.5, 1.2))
    c.paint(plus, linear(0, 1, GREEN_LIGHT, 0, 15, GREEN))
    c.paint(inner_band(plus, 1.0), GREEN_DARK)
    # A soft gleam on the upper arm.
    c.paint(box(7, 2.5, 9, 6.5, 0.8), WHITE, 0.35)
    return c


def bubble(x0, y0, x1, y1, tail):
    return union(box(x0, y0, x1, y1, 2.2), polygon(tail))


def draw_language():
    c = Canvas(16, 16)
    back = bubble(0.5, 0.5, 11, 8.5, [(2.5, 7), (6, 7), (2, 11)])
    c.paint(back, linear(0, 0.5, BLUE_LIGHT, 0, 9, BLUE))
    c.paint(inner_band(back, 1.0), BLUE_DARK)
    # "A" on the blue bubble.
    c.paint(union(segment(3.6, 7, 5.75, 2.1, 1.15), segment(5.75, 2.1, 7.9, 7, 1.15),
                  box(4.5, 5, 7, 6)), WHITE)
    front = bubble(5, 6.5, 15.5, 14, [(10, 13), (14, 13), (14.5, 16)])
    c.paint(front, linear(0, 6.5, ORANGE_LIGHT, 0, 14, ORANGE))
    c.paint(inner_band(front, 1.0), ORANGE_DARK)
    for y in (9.5, 11.5):
        c.paint(box(7.5, y - 0.5, 13, y + 0.5), WHITE)
    return c


def draw_folder():
    c = Canvas(16, 16)
    back = union(polygon([(0.5, 3.3), (1.3, 2), (5.6, 2), (7, 3.5), (14.7, 3.5), (15.5, 4.3), (15.5, 14), (0.5, 14)]))
    c.paint(back, linear(0, 2, YELLOW, 0, 14, YELLOW_DARK))
    c.paint(inner_band(back, 1.0), YELLOW_EDGE)
    # Paper peeking out of the folder.
    c.paint(box(2, 4.5, 14, 10), PAPER_TOP)
    c.paint(inner_band(box(2, 4.5, 14, 10), 0.8), rgb("#b8bec4"))
    front = polygon([(0.5, 6.5), (15.5, 6.5), (15.5, 14.5), (0.5, 14.5)])
    front = intersect(box(0.5, 6.5, 15.5, 14.5, 0.8), front)
    c.paint(front, linear(0, 6.5, YELLOW_LIGHT, 0, 14.5, YELLOW))
    c.paint(inner_band(front, 1.0), YELLOW_EDGE)
    c.paint(segment(2, 8, 14, 8, 0.8), WHITE, 0.6)
    return c


def magnifier(c, cx, cy, r, ring, handle_to, handle_width, scale):
    glass = circle(cx, cy, r)
    c.paint(glass, radial(cx - r * 0.35, cy - r * 0.35, r * 1.4, rgb("#f1f8ff", 0.85), rgb("#9cc8ef", 0.75)))
    # Gleam across the glass.
    gleam = intersect(circle(cx, cy, r - ring * 0.9), subtract(circle(cx - r * 0.1, cy - r * 0.1, r * 0.75),
                                                              circle(cx + r * 0.15, cy + r * 0.15, r * 0.75)))
    c.paint(gleam, WHITE, 0.8)
    angle = math.atan2(handle_to[1] - cy, handle_to[0] - cx)
    start = (cx + math.cos(angle) * (r + ring * 0.3), cy + math.sin(angle) * (r + ring * 0.3))
    handle = segment(start[0], start[1], handle_to[0], handle_to[1], handle_width)
    c.paint(handle, linear(start[0], start[1] - handle_width, rgb("#6d747a"), start[0] + handle_width,
                           start[1], rgb("#1e2226")))
    grip_from = (start[0] + math.cos(angle) * ring * 1.4, start[1] + math.sin(angle) * ring * 1.4)
    c.paint(segment(grip_from[0], grip_from[1], handle_to[0], handle_to[1], handle_width * 0.45), WHITE, 0.18)
    rim = band(glass, ring)
    c.paint(rim, linear(cx - r, cy - r, rgb("#9aa2a9"), cx + r, cy + r, rgb("#3a4046")))
    c.paint(band(circle(cx, cy, r + ring / 2), 0.9 * scale), STEEL_DARK)
    c.paint(band(circle(cx, cy, r - ring / 2), 0.7 * scale), STEEL_DARK, 0.8)


def draw_search():
    c = Canvas(16, 16)
    magnifier(c, 6.5, 6.5, 4.6, 1.6, (14.3, 14.3), 2.8, 1.0)
    return c


def globe(c, cx, cy, r, line_width):
    ball = circle(cx, cy, r)
    c.paint(ball, radial(cx - r * 0.4, cy - r * 0.45, r * 1.6, rgb("#a9d4ff"), rgb("#1f5eb0")))
    lines = intersect(union(
        band(ellipse(cx, cy, r * 0.43, r), line_width),
        segment(cx, cy - r, cx, cy + r, line_width),
        segment(cx - r, cy, cx + r, cy, line_width),
        segment(cx - r, cy - r * 0.57, cx + r, cy - r * 0.57, line_width),
        segment(cx - r, cy + r * 0.57, cx + r, cy + r * 0.57, line_width),
    ), ball)
    land = intersect(union(
        polygon([(cx - r * 0.95, cy - r * 0.2), (cx - r * 0.55, cy - r * 0.8), (cx - r * 0.05, cy - r * 0.85),
                 (cx + r * 0.05, cy - r * 0.45), (cx - r * 0.3, cy - r * 0.05), (cx - r * 0.35, cy + r * 0.3),
                 (cx - r * 0.75, cy + r * 0.2)]),
        polygon([(cx - r * 0.2, cy + r * 0.2), (cx + r * 0.25, cy + r * 0.25), (cx + r * 0.2, cy + r * 0.6),
                 (cx - r * 0.1, cy + r * 1.0), (cx - r * 0.3, cy + r * 0.55)]),
        polygon([(cx + r * 0.35, cy - r * 0.6), (cx + r * 0.8, cy - r * 0.75), (cx + r * 1.0, cy - r * 0.1),
                 (cx + r * 0.75, cy + r * 0.3), (cx + r * 0.45, cy - r * 0.1)]),
    ), ball)
    c.paint(land, linear(cx - r, cy - r, rgb("#9ad85a"), cx + r, cy + r, rgb("#3f8a1a")))
    c.paint(lines, WHITE, 0.45)
    c.paint(inner_band(ball, line_width * 1.2), BLUE_DARK)


def draw_website():
    c = Canvas(16, 16)
    globe(c, 7.5, 7.5, 7, 1.0)
    return c


def draw_about():
    c = Canvas(16, 16)
    disc = circle(8, 8, 7.5)
    c.paint(disc, radial(6, 5, 11, rgb("#7db6f0"), rgb("#1d5fb8")))
    c.paint(inner_band(disc, 1.0), BLUE_DARK)
    c.paint(circle(8, 4.4, 1.35), WHITE)
    stem = union(box(6.9, 6.6, 9.1, 12, 0.3), box(6, 6.6, 9.1, 7.6, 0.2), box(6, 11.4, 10, 12.6, 0.3))
    c.paint(stem, WHITE)
    return c


def draw_save():
    c = Canvas(16, 16)
    body = polygon([(0.5, 0.5), (13.3, 0.5), (15.5, 2.7), (15.5, 15.5), (0.5, 15.5)])
    body = intersect(body, box(0.5, 0.5, 15.5, 15.5, 1.0))
    c.paint(body, linear(0, 0.5, rgb("#4b86d1"), 0, 15.5, rgb("#23508f")))
    c.paint(inner_band(body, 1.0), BLUE_DARK)
    # Metal shutter with its window.
    shutter = box(4, 1.5, 12, 6.5)
    c.paint(shutter, linear(4, 0, STEEL_LIGHT, 12, 0, STEEL))
    c.paint(inner_band(shutter, 0.8), rgb("#6b737a"))
    c.paint(box(9, 2.5, 11, 5.5), rgb("#2b3035"))
    # Label.
    label = box(3, 8.5, 13, 15.5, 0.6)
    c.paint(label, linear(0, 8.5, PAPER_TOP, 0, 15.5, PAPER_BOTTOM))
    c.paint(inner_band(label, 0.8), rgb("#9aa3ab"))
    c.paint(box(5, 10, 11, 11), rgb("#d0574b"))
    c.paint(box(5, 12, 11, 13), TEXT_LINE)
    return c


def document(c, x0, y0, x1, y1, fold, angle, lines):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    page = rotated(polygon(outline), cx, cy, angle)
    c.paint(shifted(page, 1.2, 1.6), rgb("#000000", 0.22))
    c.paint(rotated(polygon(outline), cx, cy, angle), linear(0, y0, PAPER_TOP, 0, y1, PAPER_BOTTOM))
    c.paint(inner_band(page, 1.4), PAPER_EDGE)
    corner = rotated(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), cx, cy, angle)
    c.paint(corner, linear(x1 - fold, y0 + fold, rgb("#b9c0c6"), x1, y0, rgb("#eef0f2")))
    c.paint(band(corner, 1.2), PAPER_EDGE)
    for lx0, ly, lx1, colour in lines:
        c.paint(rotated(segment(lx0, ly, lx1, ly, 2.4), cx, cy, angle), colour)


def draw_about_image():
    c = Canvas(64, 64)
    accent = rgb("#5a8fd6")
    text = [(8, 18, 22, accent)] + [(8, y, 30 if y != 38 else 24, TEXT_LINE) for y in (24, 29, 34, 38)]
    document(c, 3, 6, 35, 50, 9, 8, text)
    text = [(27, 19, 41, rgb("#e0873a"))] + [(27, y, 49 if y != 44 else 42, TEXT_LINE) for y in (25, 30, 35, 40, 44)]
    document(c, 22, 8, 54, 54, 9, -4, text)
    magnifier(c, 38, 36, 12, 4.2, (59, 58), 8, 2.0)
    # Equals sign in the glass: the two pages are duplicates.
    c.paint(union(box(32, 31.5, 44, 34, 1), box(32, 38, 44, 40.5, 1)), rgb("#2f8f2f"))
    return c


ICONS = [
    ("quit.png", draw_quit),
    ("files.png", draw_files),
    ("add.png", draw_add),
    ("language.png", draw_language),
    ("folder.png", draw_folder),
    ("search.png", draw_search),
    ("website.png", draw_website),
    ("about.png", draw_about),
    ("save.png", draw_save),
    ("about_image.png", draw_about_image),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    for name, draw in ICONS:
        with open(os.path.join(out, name), "wb") as f:
            f.write(png_bytes(draw()))


if __name__ == "__main__":
    main()
