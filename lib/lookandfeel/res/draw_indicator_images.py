#!/usr/bin/env python3
"""Draws the grid's row-indicator images (our own artwork) as 24-bit BMP files.

Run from this folder; the BMPs are kept in the repository and compiled in by
lib/lookandfeel/CMakeLists.txt. White is transparent (the images are added to
their image list masked with white); the figures are black. Each image is
12 x 12 pixels, the width of a grid's indicator column.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "artwork"))
from imagewrite import bmp24  # noqa: E402

SIZE = 12
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def bmp(path, pixel):
    bmp24(path, SIZE, SIZE, pixel)


def arrow(x, y):
    # A right-pointing triangle: the current row.
    return BLACK if 3 <= x <= 7 and abs(y - 5.5) <= (8 - x) * 0.9 and abs(y - 5.5) < 4.5 else WHITE


def edit(x, y):
    # A pencil lying from the lower left to the upper right: the row is edited.
    d = x + y
    if 2 <= x <= 9 and 2 <= y <= 9 and 10 <= d <= 12:
        return BLACK
    if x <= 3 and y >= 8 and d <= 12:
        return BLACK
    return WHITE


def insert(x, y):
    # An asterisk: a new row.
    cx, cy = 5, 5
    if x == cx and 2 <= y <= 8 or y == cy and 2 <= x <= 8:
        return BLACK
    if abs(x - cx) == abs(y - cy) and abs(x - cx) <= 2:
        return BLACK
    return WHITE


def multi_dot(x, y):
    # A dot: a selected row that is not the current one.
    return BLACK if 4 <= x <= 7 and 4 <= y <= 7 and not (x in (4, 7) and y in (4, 7)) else WHITE


def multi_arrow(x, y):
    # The arrow with a dot before it: the current row, selected.
    if 1 <= x <= 2 and 5 <= y <= 6:
        return BLACK
    return BLACK if 5 <= x <= 8 and abs(y - 5.5) <= (9 - x) * 0.9 and abs(y - 5.5) < 4.5 else WHITE


def filter_(x, y):
    # A funnel: the filter row.
    if 1 <= y <= 4 and y - 1 <= x <= 10 - (y - 1):
        return BLACK
    if 5 <= y <= 9 and 4 <= x <= 6 and not (y == 9 and x == 4):
        return BLACK
    return WHITE


def sort_by_summary(x, y):
    # A sum sign over a small upward mark: sorted by a summary value.
    if y == 1 and 2 <= x <= 8 or y == 7 and 2 <= x <= 8:
        return BLACK
    if 2 <= y <= 6 and x == 2 + (3 - abs(y - 4)):
        return BLACK
    if 9 <= y <= 10 and abs(x - 9) <= y - 9:
        return BLACK
    return WHITE


if __name__ == "__main__":
    bmp("indicator_arrow.bmp", arrow)
    bmp("indicator_edit.bmp", edit)
    bmp("indicator_insert.bmp", insert)
    bmp("indicator_multi_dot.bmp", multi_dot)
    bmp("indicator_multi_arrow.bmp", multi_arrow)
    bmp("indicator_filter.bmp", filter_)
    bmp("indicator_sort_by_summary_value.bmp", sort_by_summary)
