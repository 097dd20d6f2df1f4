#!/usr/bin/env python3
"""Draws the setup program's artwork: the wizard's side picture (114 x 226,
16 colours) and the program icon (32 x 32 and 16 x 16, 16 colours).

Usage: make_artwork.py OUT_DIR   (writes side.bmp and product.ico)
"""
import os
import struct
import sys

PALETTE = [
    (0x0B, 0x25, 0x45), (0x10, 0x30, 0x58), (0x15, 0x3B, 0x6B), (0x1B, 0x47, 0x7E),
    (0x22, 0x53, 0x91), (0x2A, 0x60, 0xA3), (0x33, 0x6E, 0xB3), (0x3F, 0x7E, 0xC2),
    (0x4F, 0x8F, 0xD0), (0x6A, 0xA4, 0xDB),
    (0xFF, 0xFF, 0xFF),  # 10 white
    (0xF6, 0xCD, 0x61),  # 11 box top
    (0xE0, 0xA2, 0x35),  # 12 box left
    (0xB5, 0x77, 0x1F),  # 13 box right
    (0xC8, 0xD6, 0xE6),  # 14 pale line
    (0x12, 0x1A, 0x2C),  # 15 outline
]
WHITE, TOP, LEFT, RIGHT, PALE, OUTLINE = 10, 11, 12, 13, 14, 15
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def box_faces(cx, cy, s):
    """An open-top parcel seen from above: top, left and right faces."""
    h = s * 0.866
    top = [(cx, cy - s / 2), (cx + h, cy), (cx, cy + s / 2), (cx - h, cy)]
    left = [(cx - h, cy), (cx, cy + s / 2), (cx, cy + s * 1.5), (cx - h, cy + s)]
    right = [(cx + h, cy), (cx, cy + s / 2), (cx, cy + s * 1.5), (cx + h, cy + s)]
    return top, left, right


def arrow(cx, top_y, w, h):
    shaft = [(cx - w / 4, top_y), (cx + w / 4, top_y), (cx + w / 4, top_y + h * 0.55),
             (cx - w / 4, top_y + h * 0.55)]
    head = [(cx - w / 2, top_y + h * 0.5), (cx + w / 2, top_y + h * 0.5), (cx, top_y + h)]
    return shaft, head


def draw_box(x, y, cx, cy, s, with_arrow):
    """Palette index of the parcel (and arrow) at pixel centre (x, y), or None."""
    px, py = x + 0.5, y + 0.5
    if with_arrow:
        shaft, head = arrow(cx, cy - s * 2.1, s * 0.9, s * 1.3)
        if inside(shaft, px, py) or inside(head, px, py):
            return WHITE
    top, left, right = box_faces(cx, cy, s)
    edge = max(0.8, s / 22)
    for face, colour in ((top, TOP), (left, LEFT), (right, RIGHT)):
        if inside(face, px, py):
            near = any(inside(face, px + dx, py + dy) is False
                       for dx, dy in ((edge, 0), (-edge, 0), (0, edge), (0, -edge)))
            return OUTLINE if near else colour
    return None


def side_picture(width=114, height=226):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            colour = draw_box(x, y, 57, 92, 27, True)
            if colour is None:
                # Vertical gradient, dark at the top. The dither varies by row
                # only, so the picture survives being shown a pixel narrower.
                t = (y / (height - 1)) * 9
                base = int(t)
                shade = base + (1 if (t - base) * 4 > (y * 3) % 4 + 0.5 and base < 9 else 0)
                colour = shade
                if y in (height - 34, height - 31) and 14 <= x < width - 14:
                    colour = PALE
            row.append(colour)
        rows.append(row)
    return rows


def pack4(row):
    data = bytearray()
    for i in range(0, len(row), 2):
        hi = row[i]
        lo = row[i + 1] if i + 1 < len(row) else 0
        data.append((hi << 4) | lo)
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def palette_bytes(transparent_black=False):
    colours = list(PALETTE)
    if transparent_black:
        colours[0] = (0, 0, 0)  # masked pixels must leave the screen unchanged
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    pixels = b"".join(pack4(row) for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + 64
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette_bytes() + pixels)


def icon_image(size):
    rows, mask = [], []
    s = size * 0.33
    for y in range(size):
        row, bits = [], []
        for x in range(size):
            colour = draw_box(x, y, size / 2, size * 0.33, s, False)
            row.append(colour if colour is not None else 0)
            bits.append(0 if colour is not None else 1)
        rows.append(row)
        mask.append(bits)
    xor = b"".join(pack4(row) for row in reversed(rows))
    and_rows = []
    for bits in reversed(mask):
        data = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for k in range(8):
                byte = (byte << 1) | (bits[i + k] if i + k < size else 1)
            data.append(byte)
        while len(data) % 4:
            data.append(0)
        and_rows.append(bytes(data))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + sum(map(len, and_rows)),
                       0, 0, 16, 0)
    return info + palette_bytes(True) + xor + b"".join(and_rows)


def write_ico(path, sizes=(32, 16)):
    images = [icon_image(s) for s in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(header + entries + b"".join(images))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "side.bmp"), side_picture())
    write_ico(os.path.join(out, "product.ico"))


if __name__ == "__main__":
    main()
