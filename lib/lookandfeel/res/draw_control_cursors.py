#!/usr/bin/env python3
"""Draws the control layer's screen cursors (32x32, straight alpha) into
cursors/*.png and the three autoscroll anchor pictures (32x32, opaque) into
*_scroll_anchor.png. Our own artwork: simple shapes, black with a white rim
so that they show on light and dark ground.

Run from this folder after changing a shape: python3 draw_control_cursors.py
Hot spots live in lib/lookandfeel/cxControls_routines.cpp.
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "artwork"))
from imagewrite import png  # noqa: E402

SIZE = 32
BLACK, WHITE, CLEAR = (0, 0, 0, 255), (255, 255, 255, 255), (0, 0, 0, 0)
RED, GREEN, BLUE = (200, 0, 0, 255), (0, 140, 0, 255), (0, 70, 200, 255)


def inside(poly, x, y):
    hit = False
    for i in range(len(poly)):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % len(poly)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def polygon(pts):
    return {(x, y) for y in range(SIZE) for x in range(SIZE) if inside(pts, x + 0.5, y + 0.5)}


def rect(l, t, r, b):
    return {(x, y) for y in range(t, b) for x in range(l, r)}


def ring(cx, cy, r_out, r_in):
    return {(x, y) for y in range(SIZE) for x in range(SIZE)
            if r_in <= math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= r_out}


def stroke(x1, y1, x2, y2, half):
    out = set()
    dx, dy = x2 - x1, y2 - y1
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
            if math.hypot(px - (x1 + t * dx), py - (y1 + t * dy)) <= half:
                out.add((x, y))
    return out


def rimmed(mask, colour=BLACK):
    img = {}
    for (x, y) in mask:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                q = (x + dx, y + dy)
                if q not in mask and 0 <= q[0] < SIZE and 0 <= q[1] < SIZE:
                    img[q] = WHITE
    for p in mask:
        img[p] = colour
    return img


def over(*layers):
    img = {}
    for layer in layers:
        img.update(layer)
    return img


def triangle(cx, cy, direction, size=5):
    dx, dy = {"up": (0, -1), "down": (0, 1), "left": (-1, 0), "right": (1, 0)}[direction]
    tip = (cx + dx * size, cy + dy * size)
    base = (cx - dx * size * 0.2, cy - dy * size * 0.2)
    px, py = -dy, dx
    return polygon([tip, (base[0] + px * size, base[1] + py * size), (base[0] - px * size, base[1] - py * size)])


POINTER = polygon([(1, 1), (1, 17), (5, 13), (8, 19), (10, 18), (7, 12), (12, 12)])


def scroll_cursor(directions, dot=True):
    layers = [rimmed(ring(15.5, 15.5, 4, 2.5) if dot else set())]
    offsets = {"up": (15.5, 5), "down": (15.5, 26), "left": (5, 15.5), "right": (26, 15.5)}
    for d in directions:
        layers.append(rimmed(triangle(*offsets[d], d)))
    return over(*layers)


def with_badge(base, badge):
    return over(base, badge)


PLUS = rimmed(rect(19, 23, 28, 25) | rect(22, 20, 24, 28), GREEN)
CROSS = rimmed(stroke(19, 20, 28, 29, 1.2) | stroke(28, 20, 19, 29, 1.2), RED)
BOX = rimmed(rect(14, 20, 26, 21) | rect(14, 27, 26, 28) | rect(14, 20, 15, 28) | rect(25, 20, 26, 28))
NO_DROP = rimmed(ring(15.5, 15.5, 9, 6.5) | stroke(9.5, 9.5, 21.5, 21.5, 1.4), RED)


def sizer(vertical):
    bar = rect(4, 15, 28, 17) if vertical else rect(15, 4, 17, 28)
    arrows = (triangle(15.5, 7, "up") | triangle(15.5, 25, "down")) if vertical else \
             (triangle(7, 15.5, "left") | triangle(25, 15.5, "right"))
    return rimmed(bar | arrows)


def hand(closed):
    palm = rect(8, 12, 22, 24)
    fingers = rect(10, 2 if not closed else 8, 13, 12) | rect(13, 6 if not closed else 9, 16, 12) | \
        rect(16, 7 if not closed else 9, 19, 12) | rect(19, 9 if not closed else 10, 22, 12)
    thumb = stroke(8, 14, 4, 10, 1.5)
    return rimmed(palm | fingers | thumb, WHITE if False else BLACK)


def drop_marker(position):
    line = {"after": rect(4, 26, 28, 28), "before": rect(4, 4, 28, 6), "inside": rect(8, 12, 24, 20)}[position]
    return rimmed(line, BLUE)


CURSORS = {
    "drag_copy": with_badge(rimmed(POINTER), over(BOX, PLUS)),
    "full_scroll": scroll_cursor(["up", "down", "left", "right"]),
    "hor_scroll": scroll_cursor(["left", "right"]),
    "ver_scroll": scroll_cursor(["up", "down"]),
    "up_scroll": scroll_cursor(["up"], False),
    "right_scroll": scroll_cursor(["right"], False),
    "down_scroll": scroll_cursor(["down"], False),
    "left_scroll": scroll_cursor(["left"], False),
    "remove": over(rimmed(POINTER), CROSS),
    "vert_size": sizer(True),
    "horz_size": sizer(False),
    "multi_drag": over(rimmed(POINTER), BOX, rimmed(rect(16, 17, 28, 18) | rect(27, 17, 28, 25))),
    "no_drop": NO_DROP,
    "drag": over(rimmed(POINTER), BOX),
    "color_picker": rimmed(stroke(2, 29, 20, 11, 1.5) | polygon([(18, 6), (26, 14), (22, 18), (14, 10)])),
    "multi_drag_copy": over(rimmed(POINTER), BOX, PLUS, rimmed(rect(16, 17, 28, 18))),
    "hand": hand(False),
    "hand_drag": hand(True),
    "layout_no_drop": over(rimmed(POINTER), NO_DROP),
    "layout_remove": over(rimmed(POINTER), CROSS),
    "layout_drop_after": over(rimmed(POINTER), drop_marker("after")),
    "layout_drop_before": over(rimmed(POINTER), drop_marker("before")),
    "layout_drop_inside": over(rimmed(POINTER), drop_marker("inside")),
    "drop_after_copy": over(rimmed(POINTER), drop_marker("after"), PLUS),
    "drop_before_copy": over(rimmed(POINTER), drop_marker("before"), PLUS),
    "drop_inside_copy": over(rimmed(POINTER), drop_marker("inside"), PLUS),
}


def write_png(path, img, background=None):
    png(path, SIZE, SIZE, lambda x, y: img.get((x, y), background or CLEAR))


def anchor(directions):
    face = (236, 236, 236, 255)
    img = {p: face for p in ring(16, 16, 15.5, 0)}
    img.update({p: BLACK for p in ring(16, 16, 2.5, 0)})
    offsets = {"up": (16, 6), "down": (16, 26), "left": (6, 16), "right": (26, 16)}
    for d in directions:
        img.update({p: BLACK for p in triangle(*offsets[d], d, 4)})
    return img


if __name__ == "__main__":
    for name, img in CURSORS.items():
        write_png("cursors/%s.png" % name, img)
    write_png("full_scroll_anchor.png", anchor(["up", "down", "left", "right"]), (255, 255, 255, 255))
    write_png("hor_scroll_anchor.png", anchor(["left", "right"]), (255, 255, 255, 255))
    write_png("ver_scroll_anchor.png", anchor(["up", "down"]), (255, 255, 255, 255))
