#!/usr/bin/env python3
"""Draws the default skin icons (our own artwork) as RGBA PNG files.

Run from this folder; the PNGs are kept in the repository and compiled in by
lib/core/CMakeLists.txt. Both sizes show the same palette swatch: four colour
tiles in a rounded frame, so a skin without its own icon still reads as a skin.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "artwork"))
from imagewrite import png  # noqa: E402


CLEAR = (0, 0, 0, 0)
FRAME = (70, 70, 80, 255)
TILES = [(215, 60, 50, 255), (240, 180, 30, 255), (50, 150, 80, 255), (40, 100, 200, 255)]


def swatch(size):
    edge = max(1, size // 16)
    corner = max(1, size // 8)

    def pixel(x, y):
        # Cut the corners off the square to round it.
        dx = min(x, size - 1 - x)
        dy = min(y, size - 1 - y)
        if dx + dy < corner - 1:
            return CLEAR
        if dx < edge or dy < edge:
            return FRAME
        # A frame line between the tiles, then one colour per quarter.
        half = size // 2
        if abs(x - half + 0.5) < edge / 2 + 0.5 or abs(y - half + 0.5) < edge / 2 + 0.5:
            return FRAME
        return TILES[(2 if y >= half else 0) + (1 if x >= half else 0)]

    return pixel


if __name__ == "__main__":
    png("default_skin_icon_small.png", 16, 16, swatch(16))
    png("default_skin_icon_large.png", 48, 48, swatch(48))
