"""The one PNG writer of the artwork scripts (lib/*/res/draw_*.py).

Writes 8-bit RGBA, no filtering, deflate level 9: the same bytes for the same
picture, so a re-run of a script leaves the committed images unchanged.
"""
import struct
import zlib


def png(path, w, h, pixel):
    """Writes a w x h image whose pixel(x, y) is an (r, g, b, a) tuple."""
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))
