#!/usr/bin/env python3
"""Draws the system cursors of the window system, and the class library's own
cursors (crDrag..., named drag.png...), into 32x32 PNG files.

Run from this folder after changing a shape: python3 draw_cursors.py
Shapes are filled polygons and strokes; a cursor is black with a white rim
(or white with a black rim), so that it shows on light and dark ground. The
hot spots live in cursors.cpp (platform/ui/cursors.cpp for the class
library's), not in the files.
"""
import math
import struct
import zlib

SIZE = 32
BLACK, WHITE, CLEAR = (0, 0, 0, 255), (255, 255, 255, 255), (0, 0, 0, 0)


def inside(poly, x, y):
    hit = False
    n = len(poly)
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
    return hit


class Mask:
    def __init__(self):
        self.on = set()

    def polygon(self, pts):
        for y in range(SIZE):
            for x in range(SIZE):
                if inside(pts, x + 0.5, y + 0.5):
                    self.on.add((x, y))
        return self

    def rect(self, l, t, r, b):
        for y in range(t, b):
            for x in range(l, r):
                self.on.add((x, y))
        return self

    def ring(self, cx, cy, r_out, r_in):
        for y in range(SIZE):
            for x in range(SIZE):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r_in <= d <= r_out:
                    self.on.add((x, y))
        return self

    def stroke(self, x1, y1, x2, y2, half):
        for y in range(SIZE):
            for x in range(SIZE):
                px, py = x + 0.5, y + 0.5
                dx, dy = x2 - x1, y2 - y1
                t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
                if math.hypot(px - (x1 + t * dx), py - (y1 + t * dy)) <= half:
                    self.on.add((x, y))
        return self

    def pixels(self, rows, dx=0, dy=0, char="#"):
        for y, row in enumerate(rows):
            for x, c in enumerate(row):
                if c == char:
                    self.on.add((x + dx, y + dy))
        return self


def neighbours(p):
    x, y = p
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            if dx or dy:
                yield (x + dx, y + dy)


def black_with_rim(mask):
    """Black shape with a one-pixel white rim around it."""
    img = {}
    for p in mask.on:
        for q in neighbours(p):
            if q not in mask.on:
                img[q] = WHITE
    for p in mask.on:
        img[p] = BLACK
    return img


def white_with_edge(mask):
    """White shape whose own border pixels are black."""
    img = {}
    for p in mask.on:
        edge = any(q not in mask.on for q in neighbours(p))
        img[p] = BLACK if edge else WHITE
    return img


def over(*layers):
    img = {}
    for layer in layers:
        img.update(layer)
    return img


def double_arrow(cx, cy, angle, length=10.5, head=4.5, shaft=1.0, head_len=4.5):
    """Polygon of a two-headed arrow centred at (cx, cy)."""
    c, s = math.cos(angle), math.sin(angle)
    local = [(-length, 0), (-length + head_len, -head), (-length + head_len, -shaft),
             (length - head_len, -shaft), (length - head_len, -head), (length, 0),
             (length - head_len, head), (length - head_len, shaft), (-length + head_len, shaft),
             (-length + head_len, head)]
    return [(cx + x * c - y * s, cy + x * s + y * c) for x, y in local]


ARROW = [
    "#           ",
    "##          ",
    "#o#         ",
    "#oo#        ",
    "#ooo#       ",
    "#oooo#      ",
    "#ooooo#     ",
    "#oooooo#    ",
    "#ooooooo#   ",
    "#oooooooo#  ",
    "#ooooooooo# ",
    "#oooooo#####",
    "#ooo#oo#    ",
    "#oo# #oo#   ",
    "#o#  #oo#   ",
    "##    #oo#  ",
    "      #oo#  ",
    "       #oo# ",
    "       #oo# ",
    "        ##  ",
]

HOURGLASS = [
    "###########",
    "#ooooooooo#",
    " #ooooooo# ",
    " #ooooooo# ",
    " #o#####o# ",
    "  #o###o#  ",
    "   #o#o#   ",
    "    #o#    ",
    "   #ooo#   ",
    "  #oo#oo#  ",
    " #ooo#ooo# ",
    " #oo###oo# ",
    " #o#####o# ",
    "#ooooooooo#",
    "###########",
]

QUESTION = [
    " #####  ",
    "##ooo## ",
    "#oo#oo# ",
    "####oo# ",
    "  #oo## ",
    " #oo##  ",
    " #oo#   ",
    " ####   ",
    " #oo#   ",
    " #oo#   ",
    " ####   ",
]

HAND = [
    "     ##          ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo###       ",
    "    #oo#oo###    ",
    "    #oo#oo#oo##  ",
    " ## #oo#oo#oo#o# ",
    "#oo##oooooooo#o# ",
    "#ooo#ooooooooooo#",
    " #oo#ooooooooooo#",
    "  #oooooooooooo# ",
    "  #oooooooooooo# ",
    "   #ooooooooooo# ",
    "   #oooooooooo#  ",
    "    #ooooooooo#  ",
    "    #ooooooooo#  ",
    "    ###########  ",
]


def art(rows, dx, dy):
    img = {}
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == "#":
                img[(x + dx, y + dy)] = BLACK
            elif c == "o":
                img[(x + dx, y + dy)] = WHITE
    return img


def arrow():
    return art(ARROW, 0, 0)


def cursors():
    out = {}
    out["arrow"] = arrow()
    ibeam = Mask().rect(2, 2, 5, 3).rect(6, 2, 9, 3).rect(5, 3, 6, 19).rect(2, 19, 5, 20)
    ibeam.rect(6, 19, 9, 20)
    out["ibeam"] = black_with_rim(ibeam)
    out["wait"] = art(HOURGLASS, 5, 4)
    out["cross"] = black_with_rim(Mask().rect(10, 1, 11, 21).rect(1, 10, 21, 11))
    up = Mask().polygon([(7.5, 1), (14, 7.5), (10, 7.5), (10, 21), (5, 21), (5, 7.5), (1, 7.5)])
    out["uparrow"] = black_with_rim(up)
    out["sizenwse"] = black_with_rim(Mask().polygon(double_arrow(11, 11, math.pi / 4)))
    out["sizenesw"] = black_with_rim(Mask().polygon(double_arrow(11, 11, -math.pi / 4)))
    out["sizewe"] = black_with_rim(Mask().polygon(double_arrow(11.5, 8.5, 0.0)))
    out["sizens"] = black_with_rim(Mask().polygon(double_arrow(8.5, 11.5, math.pi / 2)))
    both = Mask().polygon(double_arrow(11.5, 11.5, 0.0)).polygon(
        double_arrow(11.5, 11.5, math.pi / 2))
    out["sizeall"] = black_with_rim(both)
    no = Mask().ring(11.5, 11.5, 10.0, 6.6).stroke(5.2, 5.2, 17.8, 17.8, 1.8)
    out["no"] = black_with_rim(no)
    out["hand"] = art(HAND, 2, 0)
    out["appstarting"] = over(arrow(), art(HOURGLASS, 13, 14))
    out["help"] = over(arrow(), art(QUESTION, 13, 1))
    return out


# The class library's own cursors (crDrag...), drawn in the same manner.
PAGE = [
    "#######  ",
    "#ooooo##  ",
    "#ooooo#o# ",
    "#ooooo####",
    "#oooooooo#",
    "#oooooooo#",
    "#oooooooo#",
    "#oooooooo#",
    "##########",
]

DATABASE = [
    "  ######  ",
    " #oooooo# ",
    "#oooooooo#",
    "##oooooo##",
    "#o######o#",
    "#oooooooo#",
    "##oooooo##",
    "#o######o#",
    "#oooooooo#",
    " #oooooo# ",
    "  ######  ",
]


def split_bars(vertical):
    """Two parallel bars with an arrow pointing away from each side."""
    m = Mask()
    if vertical:
        m.rect(2, 10, 21, 12).rect(2, 14, 21, 16)
        m.polygon([(11.5, 0.5), (17, 6), (13, 6), (13, 9), (10, 9), (10, 6), (6, 6)])
        m.polygon([(11.5, 25.5), (17, 20), (13, 20), (13, 17), (10, 17), (10, 20), (6, 20)])
    else:
        m.rect(10, 2, 12, 21).rect(14, 2, 16, 21)
        m.polygon([(0.5, 11.5), (6, 6), (6, 10), (9, 10), (9, 13), (6, 13), (6, 17)])
        m.polygon([(25.5, 11.5), (20, 6), (20, 10), (17, 10), (17, 13), (20, 13), (20, 17)])
    return black_with_rim(m)


def library_cursors():
    out = {}
    out["drag"] = over(arrow(), art(PAGE, 11, 20))
    nodrop = Mask().ring(11.5, 11.5, 10.0, 6.6).stroke(17.8, 5.2, 5.2, 17.8, 1.8)
    out["nodrop"] = black_with_rim(nodrop)
    out["hsplit"] = split_bars(False)
    out["vsplit"] = split_bars(True)
    out["multidrag"] = over(arrow(), art(PAGE, 15, 17), art(PAGE, 13, 20), art(PAGE, 11, 23))
    out["sqlwait"] = over(art(HOURGLASS, 2, 4), art(DATABASE, 17, 16))
    return out


def write_png(path, img):
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)
        for x in range(SIZE):
            raw.extend(img.get((x, y), CLEAR))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def preview(img):
    rows = []
    for y in range(SIZE):
        rows.append("".join({BLACK: "#", WHITE: "o"}.get(img.get((x, y)), ".") for x in range(SIZE)))
    return "\n".join(rows)


if __name__ == "__main__":
    import sys
    for name, img in {**cursors(), **library_cursors()}.items():
        if "--preview" in sys.argv:
            print(name)
            print(preview(img))
        else:
            write_png(name + ".png", img)
