#!/usr/bin/python3
"""Draws Tarvo's artwork: res/logo.png (the 24 x 24 title-bar logo) and
res/tarvo.ico (nine images: 256 PNG, 48, 32, 16, 256 PNG, 64, 48, 32, 16).

Standard library only, so anyone can rerun it: python3 res/makeArtwork.py
The picture is a floor plan: a blue tile with white walls and a doorway.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 4
TILE = (37, 99, 235)
WALL = (255, 255, 255)


def inRoundedSquare(x, y, radius):
    # Unit square with rounded corners; x and y in 0..1.
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and 0 <= x <= 1 and 0 <= y <= 1


def onWall(x, y):
    t = 0.09  # wall thickness
    outer = 0.2 <= x <= 0.8 and 0.2 <= y <= 0.8 and not (0.2 + t < x < 0.8 - t and 0.2 + t < y < 0.8 - t)
    inner = 0.5 - t / 2 <= x <= 0.5 + t / 2 and 0.2 <= y <= 0.62
    doorway = 0.58 <= x <= 0.72 and y >= 0.8 - t
    return (outer or inner) and not doorway


def sample(x, y):
    if not inRoundedSquare(x, y, 0.22):
        return (0, 0, 0, 0)
    return WALL + (255,) if onWall(x, y) else TILE + (255,)


def render(size):
    """Straight (not premultiplied) RGBA rows, supersampled for smooth edges."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    r, g, b, a = r + c[0] * c[3], g + c[1] * c[3], b + c[2] * c[3], a + c[3]
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(a / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bits, colour type 6 (RGBA)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib(rows):
    """A 32-bit icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, then the AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    maskStride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(maskStride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico(sizes):
    images = [png(render(s)) if s == 256 else dib(render(s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    with open(os.path.join(HERE, "logo.png"), "wb") as f:
        f.write(png(render(24)))
    with open(os.path.join(HERE, "tarvo.ico"), "wb") as f:
        f.write(ico([256, 48, 32, 16, 256, 64, 48, 32, 16]))


if __name__ == "__main__":
    main()
