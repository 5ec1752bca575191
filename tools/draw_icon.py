#!/usr/bin/env python3
"""Draws the Tavora launcher icon and writes it as a Windows icon group.

Usage: draw_icon.py OUTPUT.ico

Six sizes: 16, 24, 32 and 48 pixels as 32-bit DIBs, the form that every
icon reader takes; 64 and 256 as PNG, which Windows reads in icons since
Vista and which is a twelfth of the DIB's size. Python's standard library
only.
"""
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 256)
PNG_SIZES = (64, 256)
SUPERSAMPLE = 4


def inside_rounded_square(x, y, radius):
    """Unit square with rounded corners, in coordinates 0..1."""
    margin = 0.04
    lo, hi = margin + radius, 1 - margin - radius
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and margin <= x <= 1 - margin \
        and margin <= y <= 1 - margin


def inside_arrow(x, y):
    """A launch arrow pointing right."""
    # Shaft.
    if 0.22 <= x <= 0.52 and 0.42 <= y <= 0.58:
        return True
    # Head: triangle (0.48,0.24) (0.80,0.50) (0.48,0.76).
    if x < 0.48 or x > 0.80:
        return False
    half = 0.26 * (0.80 - x) / 0.32
    return abs(y - 0.50) <= half


def inside_spark(x, y):
    return (x - 0.76) ** 2 + (y - 0.24) ** 2 <= 0.075 ** 2


def pixel(x, y):
    """RGBA of one sample."""
    if not inside_rounded_square(x, y, 0.18):
        return (0, 0, 0, 0)
    if inside_spark(x, y):
        return (250, 166, 26, 255)
    if inside_arrow(x, y):
        return (255, 255, 255, 255)
    # Teal to deep blue, top to bottom.
    t = y
    return (int(20 + 10 * t), int(150 - 90 * t), int(170 - 10 * t), 255)


def render(size):
    """Rows of RGBA tuples, top row first, antialiased by supersampling."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = pixel((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            round(alpha)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    # Bottom row first, BGRA.
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    # The AND mask is ignored for 32-bit images but must be present; rows pad to 4 bytes.
    mask_row = ((size + 31) // 32) * 4
    return header + xor + b"\0" * (mask_row * size)


def main():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(rows) if size in PNG_SIZES else dib(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
