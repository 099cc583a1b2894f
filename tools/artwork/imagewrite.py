"""The image writers of the artwork scripts (lib/*/res/draw_*.py): PNG and BMP.

PNG is 8-bit RGBA, no filtering, deflate level 9: the same bytes for the same
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


def bmp24(path, w, h, pixel):
    """Writes a w x h 24-bit BMP (bottom-up rows) whose pixel(x, y) is (r, g, b)."""
    row_bytes = (w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        data += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)
