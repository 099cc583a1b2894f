#!/usr/bin/env python3
"""Draws the painters' small images (our own artwork) as RGBA PNG files.

Run from this folder; the PNGs are kept in the repository and compiled in by
lib/lookandfeel/CMakeLists.txt. Frame strips are stacked top to bottom in the
order the painters index them (normal, hot, pressed, disabled...).
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "artwork"))
from imagewrite import png  # noqa: E402


CLEAR = (0, 0, 0, 0)


def back_button(x, y):
    # Four 24x24 frames: a round button with a left-pointing arrow.
    frame, fy = divmod(y, 24)
    ring = [(70, 110, 170), (40, 120, 220), (20, 80, 160), (150, 150, 150)][frame]
    d = math.hypot(x - 11.5, fy - 11.5)
    if d > 11:
        return CLEAR
    if d > 9.5:
        return ring + (255,)
    if abs(fy - 11.5) < 1.5 and 6 <= x <= 17 or abs(fy - 11.5) < (x - 5) and x <= 11 and abs(fy - 11.5) <= 5:
        return ring + (255,)
    return (255, 255, 255, 200)


def fixed_group_indicator(x, y):
    # A 16x16 pin.
    if 5 <= x <= 10 and 2 <= y <= 8 or 3 <= x <= 12 and y == 9 or x == 7 and 10 <= y <= 14:
        return (90, 90, 90, 255)
    return CLEAR


def clock_face(x, y):
    # 64x64 dial with twelve hour marks.
    d = math.hypot(x - 31.5, y - 31.5)
    if d > 31:
        return CLEAR
    if d > 29:
        return (80, 80, 80, 255)
    angle = math.degrees(math.atan2(y - 31.5, x - 31.5)) % 30
    if d > 24 and (angle < 3 or angle > 27):
        return (40, 40, 40, 255)
    return (250, 250, 250, 255)


def clock_glass(x, y):
    # 64x64 highlight laid over the hands.
    d = math.hypot(x - 31.5, y - 31.5)
    if d > 29:
        return CLEAR
    return (255, 255, 255, max(0, 90 - int(3 * y)))


def map_pushpin(x, y):
    # 34x42: a round head (text centre at 17, 17) over a point.
    d = math.hypot(x - 16.5, y - 16.5)
    if d <= 15:
        return (200, 50, 40, 255) if d > 13 else (235, 90, 70, 255)
    if y >= 30 and abs(x - 16.5) <= (41 - y) * 0.6:
        return (200, 50, 40, 255)
    return CLEAR


def navigation_bar_customization_button(x, y):
    # 16x16: three dots.
    for cx in (3, 8, 13):
        if math.hypot(x - cx, y - 8) <= 1.6:
            return (60, 60, 60, 255)
    return CLEAR


def rating_control_indicator(x, y):
    # Three 16x16 stars in the order the painter picks them: unchecked,
    # hover, checked.
    frame, fy = divmod(y, 16)
    a = math.atan2(fy - 8, x - 7.5) + math.pi / 2
    r = math.hypot(x - 7.5, fy - 8)
    k = math.cos(math.pi / 5) / math.cos((a % (2 * math.pi / 5)) - math.pi / 5)
    if r > 7.5 * (0.5 + 0.5 * k ** 8):
        return CLEAR
    return [(200, 200, 200, 255), (250, 210, 90, 255), (245, 180, 20, 255)][frame]


def command_link_glyph(x, y):
    # Two 20x20 frames, normal and hot: a right-pointing arrow, no anti-aliasing.
    frame, fy = divmod(y, 20)
    colour = [(40, 120, 60, 255), (20, 170, 70, 255)][frame]
    dy = abs(fy - 9.5)
    if 3 <= x <= 10 and dy < 2:
        return colour
    if 10 <= x <= 16 and dy < 16.5 - x:
        return colour
    return CLEAR


if __name__ == "__main__":
    png("back_button.png", 24, 96, back_button)
    png("fixed_group_indicator.png", 16, 16, fixed_group_indicator)
    png("clock_face.png", 64, 64, clock_face)
    png("clock_glass.png", 64, 64, clock_glass)
    png("map_pushpin.png", 34, 42, map_pushpin)
    png("navigation_bar_customization_button.png", 16, 16, navigation_bar_customization_button)
    png("rating_control_indicator.png", 16, 48, rating_control_indicator)
    png("command_link_glyph.png", 20, 40, command_link_glyph)
