#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows icon file.

The icon is one 128 x 128 image with 32 bits per pixel (blue, green, red,
alpha) in the classic bitmap form of the .ico format: a day page of a diary
with a shadow, a grey month line over a thick dark-red rule, a big black day
number "07", writing lines and a folded lower-right corner.

Every shape is drawn with 4 x 4 samples per pixel for smooth edges. Only the
Python standard library is used, and the output is the same on every run.

    scripts/make-icon.py                     writes app/resources/trevalda.ico
    scripts/make-icon.py OUT.ico --png P.png  also writes a PNG preview
"""

import math
import pathlib
import struct
import sys
import zlib

SIZE = 128
SAMPLES = 4  # per axis

# Colours as (red, green, blue).
SHADOW = (0, 0, 0)
PAPER = (255, 255, 255)
EDGE = (120, 120, 120)
DARK_RED = (139, 0, 0)
INK = (20, 20, 20)
GREY_TEXT = (150, 150, 150)
LINE = (176, 190, 206)
FOLD = (214, 214, 214)


class Canvas:
    """Straight-alpha RGBA raster in floating point, painted shape by shape."""

    def __init__(self, size):
        self.size = size
        self.rgba = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def paint(self, inside, box, colour, opacity=1.0):
        """Composites `colour` where `inside(x, y)` holds, sampled per pixel."""
        x0, y0, x1, y1 = box
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.size, int(math.ceil(x1)))
        y1 = min(self.size, int(math.ceil(y1)))
        step = 1.0 / SAMPLES
        offsets = [(i + 0.5) * step for i in range(SAMPLES)]
        total = SAMPLES * SAMPLES
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        if inside(px + ox, py + oy):
                            hits += 1
                if hits == 0:
                    continue
                alpha = opacity * hits / total
                pixel = self.rgba[py * self.size + px]
                under = pixel[3]
                out = alpha + under * (1.0 - alpha)
                for c in range(3):
                    pixel[c] = (colour[c] / 255.0 * alpha + pixel[c] * under * (1.0 - alpha)) / out
                pixel[3] = out

    def bytes_rgba(self):
        data = bytearray()
        for r, g, b, a in self.rgba:
            data += bytes(round(v * 255.0) for v in (r, g, b, a))
        return bytes(data)


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

    return inside, (x0, y0, x1, y1)


def capsule(ax, ay, bx, by, radius):
    """A thick segment with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        qx, qy = ax + t * dx - x, ay + t * dy - y
        return qx * qx + qy * qy <= radius * radius

    box = (min(ax, bx) - radius, min(ay, by) - radius, max(ax, bx) + radius, max(ay, by) + radius)
    return inside, box


def ring(cx, cy, rx, ry, width):
    """An elliptic ring of the given stroke width."""
    half = width / 2.0

    def inside(x, y):
        ox = ((x - cx) / (rx + half)) ** 2 + ((y - cy) / (ry + half)) ** 2
        ix = ((x - cx) / (rx - half)) ** 2 + ((y - cy) / (ry - half)) ** 2
        return ox <= 1.0 and ix > 1.0

    return inside, (cx - rx - half, cy - ry - half, cx + rx + half, cy + ry + half)


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        crossings = False
        n = len(points)
        for i in range(n):
            (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
            if (y0 > y) != (y1 > y):
                if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                    crossings = not crossings
        return crossings

    return inside, (min(xs), min(ys), max(xs), max(ys))


def draw_icon():
    canvas = Canvas(SIZE)
    left, top, right, bottom = 18.0, 8.0, 110.0, 122.0
    fold = 20.0

    def paint(shape, colour, opacity=1.0):
        inside, box = shape
        canvas.paint(inside, box, colour, opacity)

    # Soft shadow: a few widening, fading copies of the sheet.
    for grow, opacity in ((3.0, 0.08), (2.0, 0.10), (1.0, 0.14)):
        paint(rounded_rect(left + 3 - grow, top + 4 - grow, right + 3 + grow, bottom + 4 + grow, 6 + grow),
              SHADOW, opacity)

    # The sheet with its lower-right corner cut off, a thin edge around it.
    outline = [(left, top), (right, top), (right, bottom - fold), (right - fold, bottom), (left, bottom)]
    paint(polygon(outline), EDGE)
    inner = [(left + 1.5, top + 1.5), (right - 1.5, top + 1.5), (right - 1.5, bottom - fold - 0.6),
             (right - fold - 0.6, bottom - 1.5), (left + 1.5, bottom - 1.5)]
    paint(polygon(inner), PAPER)

    # The month name as a grey bar, the weekday as a shorter one on the right.
    paint(capsule(28, 18, 56, 18, 2.2), GREY_TEXT)
    paint(capsule(80, 18, 100, 18, 2.2), GREY_TEXT)
    # The thick dark-red rules under them.
    paint(rounded_rect(26, 24, 102, 30, 1.5), DARK_RED)

    # The day number "07": an oval zero and a seven with a flat top.
    stroke = 8.5
    paint(ring(46, 55, 11.0, 17.0, stroke), INK)
    paint(capsule(66, 38.5, 88, 38.5, stroke / 2), INK)
    paint(capsule(88, 38.5, 73, 72, stroke / 2), INK)

    # A thin dark-red rule under the number, then the writing lines.
    paint(rounded_rect(26, 80, 102, 82, 0.8), DARK_RED)
    for y in (90.0, 98.0, 106.0):
        x_end = 102.0 if y < bottom - fold - 4 else right - fold - (y - (bottom - fold)) - 6
        paint(rounded_rect(26, y, x_end, y + 1.6, 0.6), LINE)
    paint(rounded_rect(26, 114.0, 80.0, 115.6, 0.6), LINE)

    # The folded corner: a light triangle with an edge along the fold.
    paint(polygon([(right - fold, bottom), (right - fold, bottom - fold), (right, bottom - fold)]), EDGE)
    paint(polygon([(right - fold + 1.2, bottom - 2.4), (right - fold + 1.2, bottom - fold + 1.2),
                   (right - 2.4, bottom - fold + 1.2)]), FOLD)
    return canvas


def ico_bytes(rgba, size):
    """An .ico with one 32-bit image in bitmap form (colour rows and AND mask)."""
    colour_rows = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            colour_rows += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask_rows = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if rgba[(y * size + x) * 4 + 3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask_rows += row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 0, 0)
    image = header + bytes(colour_rows) + bytes(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(rgba, size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\x00" + rgba[y * size * 4:(y + 1) * size * 4] for y in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(argv):
    root = pathlib.Path(__file__).resolve().parent.parent
    out = pathlib.Path(argv[1]) if len(argv) > 1 and not argv[1].startswith("--") else \
        root / "app" / "resources" / "trevalda.ico"
    rgba = draw_icon().bytes_rgba()
    out.write_bytes(ico_bytes(rgba, SIZE))
    if "--png" in argv:
        pathlib.Path(argv[argv.index("--png") + 1]).write_bytes(png_bytes(rgba, SIZE))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
