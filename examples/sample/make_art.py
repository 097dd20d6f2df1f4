#!/usr/bin/env python3
"""Draws the sample product's artwork without any imaging library.

Writes side.bmp (the wizard's side picture: 114x226 pixels, 16 colours) and
product.ico (32x32 and 16x16 images, 16 colours each) into the given folder.
With --plain it draws a plain framed variant instead (used by the kit's tests
to tell a stub's own artwork from the product's).
"""
import struct
import sys
from pathlib import Path

PALETTE = [
    (0, 0, 0), (255, 255, 255),
    # 2..9: the background gradient, deep navy to bright blue
    (14, 33, 66), (18, 43, 82), (22, 54, 99), (27, 66, 117),
    (32, 79, 136), (38, 93, 156), (45, 108, 176), (53, 124, 196),
    (0, 150, 136), (128, 203, 196),   # 10, 11: teal and light teal
    (245, 166, 35),                   # 12: amber accent
    (226, 231, 238), (132, 142, 158), (62, 68, 80),  # 13..15: greys
]
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def inside(poly, x, y):
    """Even-odd test of the pixel centre against a polygon."""
    px, py = x + 0.5, y + 0.5
    hit = False
    for i in range(len(poly)):
        (x1, y1), (x2, y2) = poly[i], poly[i - 1]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def cube(cx, cy, s):
    """The three faces of an isometric box centred at (cx, cy) with edge s."""
    h = s * 0.5
    top = [(cx, cy - s), (cx + s, cy - h), (cx, cy), (cx - s, cy - h)]
    left = [(cx - s, cy - h), (cx, cy), (cx, cy + s), (cx - s, cy + h)]
    right = [(cx, cy), (cx + s, cy - h), (cx + s, cy + h), (cx, cy + s)]
    return top, left, right


def draw_box(pix, w, h, cx, cy, s, ribbon=True):
    top, left, right = cube(cx, cy, s)
    for y in range(h):
        for x in range(w):
            if inside(top, x, y):
                pix[y][x] = 11
            elif inside(left, x, y):
                pix[y][x] = 10
            elif inside(right, x, y):
                pix[y][x] = 14
    if ribbon:
        # An amber band across the lid and down the front edge.
        band = max(1, s // 8)
        for y in range(h):
            for x in range(w):
                if abs(x - cx) <= band // 2 and cy - s * 0.5 <= y <= cy + s and (
                        inside(top, x, y) or inside(left, x, y) or inside(right, x, y)):
                    pix[y][x] = 12


def side_picture(plain):
    w, h = 114, 226
    pix = [[0] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if plain:
                edge = x < 3 or y < 3 or x >= w - 3 or y >= h - 3
                pix[y][x] = 15 if edge else 13
                continue
            # Diagonal gradient, ordered-dithered between neighbouring shades.
            t = (y / (h - 1)) * 0.85 + (x / (w - 1)) * 0.15
            level = t * 7
            base = int(level)
            frac = level - base
            step = 1 if frac * 16 > BAYER[y % 4][x % 4] + 0.5 else 0
            pix[y][x] = 2 + min(7, base + step)
    if plain:
        return w, h, pix
    # Faint light rays from the upper right.
    for y in range(h):
        for x in range(w):
            d = (x - 140) * 0.6 + (y + 20) * 0.8
            if int(d) % 23 == 0 and pix[y][x] < 9:
                pix[y][x] += 1
    draw_box(pix, w, h, 57, 92, 30)
    # A soft shadow line under the box and two rules at the foot.
    for x in range(22, 93):
        if pix[124][x] < 10:
            pix[124][x] = 2
    for x in range(12, 102):
        pix[200][x] = 11
        pix[203][x] = 10 if x % 2 else 9
    return w, h, pix


def bmp_bytes(w, h, pix):
    stride = (w * 4 + 31) // 32 * 4
    rows = b""
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            row[x // 2] |= pix[y][x] << (0 if x % 2 else 4)
        rows += bytes(row)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def icon_image(size, plain):
    pix = [[0] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]
    if plain:
        for y in range(2, size - 2):
            for x in range(2, size - 2):
                pix[y][x] = 15 if x in (2, size - 3) or y in (2, size - 3) else 13
                mask[y][x] = 0
        return pix, mask
    s = size * 0.44
    cy = size * 0.52
    draw_box(pix, size, size, size / 2, cy, s, ribbon=size >= 32)
    top, left, right = cube(size / 2, cy, s)
    for y in range(size):
        for x in range(size):
            if inside(top, x, y) or inside(left, x, y) or inside(right, x, y):
                mask[y][x] = 0
    # A dark outline keeps the box readable on light and dark backgrounds.
    outline = [[0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if mask[y][x]:
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < size and 0 <= ny < size and not mask[ny][nx]:
                        outline[y][x] = 1
    for y in range(size):
        for x in range(size):
            if outline[y][x]:
                pix[y][x] = 2
                mask[y][x] = 0
    return pix, mask


def ico_bytes(plain):
    images = []
    for size in (32, 16):
        pix, mask = icon_image(size, plain)
        stride = (size * 4 + 31) // 32 * 4
        mstride = (size + 31) // 32 * 4
        xor = b""
        andm = b""
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            mrow = bytearray(mstride)
            for x in range(size):
                row[x // 2] |= pix[y][x] << (0 if x % 2 else 4)
                if mask[y][x]:
                    mrow[x // 8] |= 0x80 >> (x % 8)
            xor += bytes(row)
            andm += bytes(mrow)
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
        images.append((size, info + palette + xor + andm))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    args = [a for a in sys.argv[1:] if a != "--plain"]
    plain = "--plain" in sys.argv[1:]
    out = Path(args[0] if args else ".")
    out.mkdir(parents=True, exist_ok=True)
    (out / "side.bmp").write_bytes(bmp_bytes(*side_picture(plain)))
    (out / "product.ico").write_bytes(ico_bytes(plain))


if __name__ == "__main__":
    main()
