#!/usr/bin/env python3
"""Draws Ravlo's small status icons and logos as PNG files (no image library needed).

Run from the repository root: python3 tools/make-icons.py
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "icons")


def write_png(path, width, height, pixels):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixels[y * width + x])

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def canvas(w, h):
    return [(0, 0, 0, 0)] * (w * h)


def blend(dst, src, cover):
    a = src[3] / 255.0 * cover
    da = dst[3] / 255.0
    oa = a + da * (1 - a)
    if oa == 0:
        return (0, 0, 0, 0)
    rgb = [int((src[i] * a + dst[i] * da * (1 - a)) / oa) for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], int(oa * 255))


def paint(px, w, h, inside, colour, samples=4):
    """Antialiased fill of the region where inside(x, y) is true."""
    for y in range(h):
        for x in range(w):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    if inside(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples):
                        hits += 1
            if hits:
                px[y * w + x] = blend(px[y * w + x], colour, hits / (samples * samples))


def seg_dist(px_, py_, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px_ - ax) * dx + (py_ - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px_ - (ax + t * dx), py_ - (ay + t * dy))


def circle_icon(name, colour, mark=None):
    s = 32
    px = canvas(s, s)
    paint(px, s, s, lambda x, y: math.hypot(x - 16, y - 16) <= 14, (60, 60, 60, 255))
    paint(px, s, s, lambda x, y: math.hypot(x - 16, y - 16) <= 12.5, colour)
    paint(px, s, s, lambda x, y: math.hypot(x - 12.5, y - 12) <= 4, (255, 255, 255, 110))
    if mark:
        mark(px, s)
    write_png(os.path.join(OUT, name), s, s, px)


def stroke(px, s, points, width, colour):
    def inside(x, y):
        return any(seg_dist(x, y, *points[i], *points[i + 1]) <= width / 2 for i in range(len(points) - 1))
    paint(px, s, s, inside, colour)


def warning_icon():
    s = 32
    px = canvas(s, s)
    tri = [(16, 3), (30, 28), (2, 28)]

    def in_tri(x, y, pts):
        def sign(p1, p2, p3):
            return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
        d1, d2, d3 = sign((x, y), pts[0], pts[1]), sign((x, y), pts[1], pts[2]), sign((x, y), pts[2], pts[0])
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)

    paint(px, s, s, lambda x, y: in_tri(x, y, tri), (230, 170, 20, 255))
    stroke(px, s, [(16, 11), (16, 20)], 3.2, (40, 40, 40, 255))
    paint(px, s, s, lambda x, y: math.hypot(x - 16, y - 24) <= 1.8, (40, 40, 40, 255))
    write_png(os.path.join(OUT, "flatWarningIco.png"), s, s, px)


def ok_icon():
    s = 32
    px = canvas(s, s)
    paint(px, s, s, lambda x, y: math.hypot(x - 16, y - 16) <= 14, (46, 160, 67, 255))
    stroke(px, s, [(9, 16.5), (14, 21.5), (23.5, 10.5)], 3.6, (255, 255, 255, 255))
    write_png(os.path.join(OUT, "flatOkIco.png"), s, s, px)


def cancel_icon():
    s = 32
    px = canvas(s, s)
    paint(px, s, s, lambda x, y: math.hypot(x - 16, y - 16) <= 14, (205, 45, 45, 255))
    stroke(px, s, [(10.5, 10.5), (21.5, 21.5)], 3.6, (255, 255, 255, 255))
    stroke(px, s, [(21.5, 10.5), (10.5, 21.5)], 3.6, (255, 255, 255, 255))
    write_png(os.path.join(OUT, "flatCancelIco.png"), s, s, px)


# 5x7 capitals for the word marks of the two logos.
FONT = {
    "R": ["1110", "1001", "1001", "1110", "1010", "1001", "1001"],
    "A": ["0110", "1001", "1001", "1111", "1001", "1001", "1001"],
    "V": ["1001", "1001", "1001", "1001", "1001", "0110", "0110"],
    "L": ["1000", "1000", "1000", "1000", "1000", "1000", "1111"],
    "O": ["0110", "1001", "1001", "1001", "1001", "1001", "0110"],
    "E": ["1111", "1000", "1000", "1110", "1000", "1000", "1111"],
    "N": ["1001", "1101", "1101", "1011", "1011", "1001", "1001"],
    "U": ["1001", "1001", "1001", "1001", "1001", "1001", "0110"],
    " ": ["0000"] * 7,
}


def logo(name, word, accent):
    w, h = 240, 60
    px = canvas(w, h)
    # Antenna mast with three radio arcs on the left.
    stroke(px, w, [(30, 50), (30, 22)], 4, (40, 60, 90, 255))
    for r in (8, 14, 20):
        def arc(x, y, r=r):
            d = math.hypot(x - 30, y - 22)
            ang = math.degrees(math.atan2(-(y - 22), x - 30))
            return abs(d - r) <= 1.6 and (abs(ang) <= 45 or abs(ang - 180) <= 45 or abs(ang + 180) <= 45)
        paint(px, w, h, arc, accent)
    cell = 4
    x0, y0 = 62, 16
    for ch in word:
        rows = FONT[ch]
        for ry, row in enumerate(rows):
            for rx, bit in enumerate(row):
                if bit == "1":
                    for yy in range(cell):
                        for xx in range(cell):
                            px[(y0 + ry * cell + yy) * w + x0 + rx * cell + xx] = (40, 60, 90, 255)
        x0 += (len(rows[0]) + 1) * cell
    write_png(os.path.join(OUT, name), w, h, px)


def app_icon():
    """The desktop icon: a rounded tile with radio waves over a device."""
    s = 128
    px = canvas(s, s)

    def tile(x, y):
        dx = max(abs(x - 64) - 44, 0)
        dy = max(abs(y - 64) - 44, 0)
        return math.hypot(dx, dy) <= 16

    paint(px, s, s, tile, (40, 90, 150, 255))
    paint(px, s, s, lambda x, y: 44 <= x <= 84 and 70 <= y <= 104, (240, 240, 240, 255))
    paint(px, s, s, lambda x, y: 52 <= x <= 76 and 78 <= y <= 88, (60, 190, 120, 255))
    for r in (14, 26, 38):
        def arc(x, y, r=r):
            d = math.hypot(x - 64, y - 62)
            ang = math.degrees(math.atan2(-(y - 62), x - 64))
            return abs(d - r) <= 3.2 and 45 <= ang <= 135
        paint(px, s, s, arc, (240, 240, 240, 255))
    write_png(os.path.join(OUT, "ravlo.png"), s, s, px)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    circle_icon("Qelt_server_staus_online.png", (60, 190, 80, 255))
    circle_icon("Qelt_server_staus_offline.png", (150, 150, 150, 255))
    circle_icon("Qelt_server_staus_disconnected.png", (215, 60, 50, 255))
    warning_icon()
    ok_icon()
    cancel_icon()
    logo("Qelt_logo_ru.png", "RAVLO RU", (60, 150, 220, 255))
    logo("Qelt_logo_en.png", "RAVLO EN", (60, 190, 120, 255))
    app_icon()
