#!/usr/bin/env python3
"""Draws the data navigator's glyph strip (our own artwork) as a 24-bit BMP.

Run from this folder; the BMP is kept in the repository and compiled in by
lib/data/CMakeLists.txt as the bitmap resource CXNAVIGATORBUTTONS. The strip
holds 22 glyphs of 11 x 11 pixels side by side, in the navigator's button
order (first, prior page, prior, next, next page, last, insert, append,
delete, edit, post, cancel, refresh, save bookmark, go to bookmark, filter),
then six spare ones (expand, collapse, page down, page up, find, clear).
White is transparent: the image list takes its mask from the bottom-left
pixel, which every glyph leaves white.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "artwork"))
from imagewrite import bmp24  # noqa: E402

SIZE = 11
COUNT = 22
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREEN = (0, 128, 0)
RED = (192, 0, 0)
BLUE = (0, 64, 160)


def left_triangle(x, y, tip, width=4):
    # A triangle pointing left, its tip at column `tip`, rows 1..9.
    d = x - tip
    return 0 <= d < width + 1 and abs(y - 5) <= d


def right_triangle(x, y, tip, width=4):
    d = tip - x
    return 0 <= d < width + 1 and abs(y - 5) <= d


def first(x, y):
    return BLACK if (x == 2 and 1 <= y <= 9) or left_triangle(x, y, 4) else None


def prior_page(x, y):
    return BLACK if left_triangle(x, y, 1) or left_triangle(x, y, 6) else None


def prior(x, y):
    return BLACK if left_triangle(x, y, 3) else None


def next_(x, y):
    return BLACK if right_triangle(x, y, 7) else None


def next_page(x, y):
    return BLACK if right_triangle(x, y, 4) or right_triangle(x, y, 9) else None


def last(x, y):
    return BLACK if (x == 8 and 1 <= y <= 9) or right_triangle(x, y, 6) else None


def insert(x, y):
    return BLACK if (x == 5 and 1 <= y <= 9) or (y == 5 and 1 <= x <= 9) or (4 <= x <= 6 and 4 <= y <= 6) else None


def append(x, y):
    if y == 10 and 0 <= x <= 10:
        return BLACK
    return BLACK if (x == 5 and 1 <= y <= 8) or (y == 4 and 2 <= x <= 8) else None


def delete(x, y):
    return RED if y in (4, 5, 6) and 1 <= x <= 9 else None


def edit(x, y):
    # A triangle pointing up: the record opens for editing.
    return BLACK if 2 <= y <= 7 and abs(x - 5) <= y - 2 else None


def post(x, y):
    # A check mark.
    on = (y == x + 3 and 1 <= x <= 4) or (y == 11 - x and 4 <= x <= 9)
    on = on or (y == x + 2 and 1 <= x <= 4) or (y == 10 - x and 4 <= x <= 9)
    return GREEN if on else None


def cancel(x, y):
    on = (abs(x - y) <= 0 or abs(x + y - 10) <= 0) and 1 <= x <= 9 and 1 <= y <= 9
    on = on or ((abs(x - y) == 1 or abs(x + y - 10) == 1) and 2 <= x <= 8 and 2 <= y <= 8)
    return RED if on else None


def refresh(x, y):
    # Three quarters of a ring with an arrow head at its open end.
    d2 = (x - 5) ** 2 + (y - 5) ** 2
    ring = 9 <= d2 <= 17 and not (x >= 6 and y <= 4)
    head = y in (0, 1, 2, 3) and 6 <= x <= 9 and (x - 6) >= (y - 0) - 1 and x <= 9 and y <= 3 and x + y >= 8
    return BLUE if ring or head else None


def bookmark(x, y):
    # A flag hanging from the top, notched at its foot.
    if 2 <= x <= 8 and 0 <= y <= 9:
        notch = y >= 7 and abs(x - 5) < y - 6
        return not notch
    return False


def save_bookmark(x, y):
    return BLUE if bookmark(x, y) and not (x in (4, 5, 6) and y in (2, 3, 4) and not (x == 5 or y == 3)) else None


def goto_bookmark(x, y):
    if bookmark(x, y):
        inside = 3 <= x <= 7 and 1 <= y <= 6
        return WHITE if inside and right_triangle(x, y - 0, 7, 3) and 2 <= y <= 8 else BLUE
    return None


def filter_(x, y):
    # A funnel.
    if y <= 4:
        return BLACK if abs(x - 5) <= 5 - y else None
    return BLACK if x in (4, 5, 6) and y <= 9 and (x == 5 or y <= 8) else None


def expand(x, y):
    return BLACK if 3 <= y <= 7 and abs(x - 5) <= 7 - y else None


def collapse(x, y):
    return BLACK if 3 <= y <= 7 and abs(x - 5) <= y - 3 else None


def page_down(x, y):
    return BLACK if (y == 1 and 1 <= x <= 9) or expand(x, y + 1) else None


def page_up(x, y):
    return BLACK if (y == 9 and 1 <= x <= 9) or collapse(x, y - 1) else None


def find(x, y):
    d2 = (x - 4) ** 2 + (y - 4) ** 2
    return BLACK if 6 <= d2 <= 13 or (x == y and 7 <= x <= 9) or (x == y + 1 and 7 <= x <= 10) else None


def clear(x, y):
    return BLACK if (x == y or x + y == 10) and 2 <= x <= 8 else None


GLYPHS = [first, prior_page, prior, next_, next_page, last, insert, append, delete, edit, post, cancel,
          refresh, save_bookmark, goto_bookmark, filter_, expand, collapse, page_down, page_up, find, clear]


def pixel(x, y):
    glyph = GLYPHS[x // SIZE]
    gx, gy = x % SIZE, y
    colour = glyph(gx, gy)
    # The bottom-left pixel of the strip stays white: it is the mask colour.
    if x == 0 and y == SIZE - 1:
        return WHITE
    return colour if colour else WHITE


def main():
    bmp24("navigator_buttons.bmp", SIZE * COUNT, SIZE, pixel)


if __name__ == "__main__":
    main()
