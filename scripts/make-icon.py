#!/usr/bin/env python3
"""Writes the application icon: python3 scripts/make-icon.py OUT.ico

Six images: 48, 32 and 16 px, each in 32-bit BGRA and in 8-bit palette form.
Standard library only, so the build needs nothing extra; the output is
byte-for-byte the same on every run.
"""
import math
import struct
import sys

SIZES = (48, 32, 16)
SUPERSAMPLE = 8

PAGE_EDGE = (80, 90, 100)
PAGE_FILL = (255, 255, 255)
FOLD_FILL = (205, 214, 224)
MARK = (30, 100, 200)
BADGE = (240, 135, 30)
BADGE_EDGE = (175, 85, 10)
ARROW = (255, 255, 255)


# ---- geometry --------------------------------------------------------------

def in_poly(px, py, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > py) != (yj > py):
            if px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                inside = not inside
        j = i
    return inside


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def on_polyline(px, py, pts, width):
    half = width / 2
    return any(seg_dist(px, py, *pts[i], *pts[i + 1]) <= half
               for i in range(len(pts) - 1))


def on_arc(px, py, cx, cy, r, width, start, span):
    # Angles in degrees, increasing clockwise on screen (y points down).
    d = math.hypot(px - cx, py - cy)
    if abs(d - r) > width / 2:
        return False
    a = math.degrees(math.atan2(py - cy, px - cx))
    return (a - start) % 360.0 <= span


def arrow_head(cx, cy, r, angle, length, half_base):
    # Triangle at the clockwise end of an arc, pointing along the tangent.
    t = math.radians(angle)
    ex, ey = cx + r * math.cos(t), cy + r * math.sin(t)
    ux, uy = math.cos(t), math.sin(t)       # radial
    tx, ty = -math.sin(t), math.cos(t)      # clockwise tangent
    return [(ex + ux * half_base, ey + uy * half_base),
            (ex - ux * half_base, ey - uy * half_base),
            (ex + tx * length, ey + ty * length)]


# ---- artwork ---------------------------------------------------------------
# Drawn on a grid of `g` units; each design returns a function giving the
# colour (r, g, b) or None for a point on that grid.

def design_large(size):
    # Page edges sit on multiples of 3 units so they land on whole pixels at
    # both 48 and 32 px; the border is a whole number of pixels at each size.
    unit = 48.0 / size
    e = (2 if size >= 48 else 1) * unit
    page_out = [(6, 3), (27, 3), (36, 12), (36, 45), (6, 45)]
    page_in = [(6 + e, 3 + e), (27 - 0.4 * e, 3 + e), (36 - e, 12 + 0.4 * e),
               (36 - e, 45 - e), (6 + e, 45 - e)]
    fold = [(27, 3), (27, 12), (36, 12)]
    fold_in = [(27 + e, 3 + 2.4 * e), (27 + e, 12 - e), (36 - 2.4 * e, 12 - e)]
    lt = [(15.0, 10.0), (9.0, 18.0), (15.0, 26.0)]
    sl = [(24.0, 8.0), (18.0, 28.0)]
    gt = [(27.0, 10.0), (33.0, 18.0), (27.0, 26.0)]
    mw = 3.6
    bx, by, br = 35.0, 35.0, 12.0
    ar, aw = 6.6, 2.4
    arcs = [(200.0, 120.0), (20.0, 120.0)]
    heads = [arrow_head(bx, by, ar, s + n, 3.6, 3.4) for s, n in arcs]

    def colour(x, y):
        d = math.hypot(x - bx, y - by)
        if d <= br:
            if d > br - 1.4:
                return BADGE_EDGE
            if any(on_arc(x, y, bx, by, ar, aw, s, n) for s, n in arcs) or \
                    any(in_poly(x, y, h) for h in heads):
                return ARROW
            return BADGE
        if on_polyline(x, y, lt, mw) or on_polyline(x, y, sl, mw) or \
                on_polyline(x, y, gt, mw):
            return MARK
        if in_poly(x, y, fold):
            return FOLD_FILL if in_poly(x, y, fold_in) else PAGE_EDGE
        if in_poly(x, y, page_out):
            return PAGE_FILL if in_poly(x, y, page_in) else PAGE_EDGE
        return None

    return 48.0, colour


def design_small(size):
    # 16 px, drawn on its own pixel grid: thicker strokes on pixel centres,
    # no slash and a single arrow, so it stays readable.
    page_out = [(1, 0), (8, 0), (12, 4), (12, 16), (1, 16)]
    page_in = [(2, 1), (7.6, 1), (11, 4.4), (11, 15), (2, 15)]
    fold = [(8, 0), (8, 4), (12, 4)]
    lt = [(5.0, 2.0), (2.9, 5.5), (5.0, 9.0)]
    gt = [(8.0, 2.0), (10.1, 5.5), (8.0, 9.0)]
    mw = 1.3
    bx, by, br = 12.0, 12.0, 4.0
    ar, aw = 2.2, 1.3
    start, span = 160.0, 250.0
    head = arrow_head(bx, by, ar, start + span, 2.0, 1.9)

    def colour(x, y):
        if math.hypot(x - bx, y - by) <= br:
            if on_arc(x, y, bx, by, ar, aw, start, span) or in_poly(x, y, head):
                return ARROW
            return BADGE
        if on_polyline(x, y, lt, mw) or on_polyline(x, y, gt, mw):
            return MARK
        if in_poly(x, y, fold):
            return PAGE_EDGE
        if in_poly(x, y, page_out):
            return PAGE_FILL if in_poly(x, y, page_in) else PAGE_EDGE
        return None

    return 16.0, colour


def render(size):
    """Returns size*size (r, g, b, a) tuples, top row first, straight alpha."""
    grid, colour = (design_small if size <= 16 else design_large)(size)
    s = SUPERSAMPLE
    scale = grid / size
    pixels = []
    for py in range(size):
        for px in range(size):
            r = g = b = n = 0
            for sy in range(s):
                y = (py + (sy + 0.5) / s) * scale
                for sx in range(s):
                    x = (px + (sx + 0.5) / s) * scale
                    c = colour(x, y)
                    if c is not None:
                        r += c[0]; g += c[1]; b += c[2]; n += 1
            if n == 0:
                pixels.append((0, 0, 0, 0))
            else:
                a = (255 * n + s * s // 2) // (s * s)
                pixels.append(((r + n // 2) // n, (g + n // 2) // n,
                               (b + n // 2) // n, a))
    return pixels


# ---- encoding --------------------------------------------------------------

def palette():
    levels = (0, 51, 102, 153, 204, 255)
    pal = [(r, g, b) for r in levels for g in levels for b in levels]
    # 40 evenly spaced greys, none of which the cube already holds.
    pal += [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]
    return pal


def nearest(pal, c, cache):
    key = c[:3]
    if key not in cache:
        cache[key] = min(range(len(pal)), key=lambda i: (
            (pal[i][0] - c[0]) ** 2 * 3 + (pal[i][1] - c[1]) ** 2 * 4 +
            (pal[i][2] - c[2]) ** 2 * 2, i))
    return cache[key]


def and_mask(pixels, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in range(size - 1, -1, -1):
        line = bytearray(stride)
        for x in range(size):
            if pixels[row * size + x][3] < 128:
                line[x >> 3] |= 0x80 >> (x & 7)
        out += line
    return bytes(out)


def dib_header(size, bpp, image_bytes):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, 256 if bpp == 8 else 0, 0)


def dib32(pixels, size):
    xor = bytearray()
    for row in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[row * size + x]
            xor += bytes((b, g, r, a)) if a else b'\0\0\0\0'
    mask = and_mask(pixels, size)
    return dib_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def dib8(pixels, size, pal):
    stride = (size + 3) & ~3
    cache = {}
    xor = bytearray()
    for row in range(size - 1, -1, -1):
        line = bytearray(stride)
        for x in range(size):
            p = pixels[row * size + x]
            line[x] = nearest(pal, p, cache) if p[3] >= 128 else 0
        xor += line
    mask = and_mask(pixels, size)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in pal)
    return (dib_header(size, 8, len(xor) + len(mask)) + table +
            bytes(xor) + mask)


def build_icon():
    pal = palette()
    rendered = {size: render(size) for size in SIZES}
    images = [(s, 32, dib32(rendered[s], s)) for s in SIZES]
    images += [(s, 8, dib8(rendered[s], s, pal)) for s in SIZES]
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, bpp, data in images:
        entries += struct.pack('<BBBBHHII', size, size, 0, 0, 1, bpp,
                               len(data), offset)
        offset += len(data)
    return head + entries + b''.join(d for _, _, d in images)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make-icon.py OUT.ico')
    data = build_icon()
    with open(sys.argv[1], 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
