#!/usr/bin/env python3
"""Draws the item's icons as 256-colour .ico files (16x16 and 32x32 in each).

104.ico  a small calendar page (used beside appointment lines)
113.ico  the item's icon, first frame
128.ico  the item's icon, second frame (the highlighted day has moved on)
Run it from this folder; the .ico files are committed, so the build does not need Python.
"""
import struct

TRANSPARENT = None
PALETTE = [
    (0, 0, 0),        # 0 outline
    (255, 255, 255),  # 1 page
    (200, 40, 40),    # 2 header red
    (40, 90, 170),    # 3 header blue
    (160, 160, 160),  # 4 grid grey
    (250, 160, 30),   # 5 today orange
    (90, 90, 90),     # 6 rings
    (225, 235, 250),  # 7 pale shadow
]


def draw_page(size, header, today_cell):
    """One calendar page: outline, coloured header with binder rings, grid, one marked day."""
    px = [[TRANSPARENT] * size for _ in range(size)]
    s = size / 16.0

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0), int(y1)):
            for x in range(int(x0), int(x1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    left, top, right, bottom = 1 * s, 2 * s, 15 * s, 15 * s
    rect(left + s, top + s, right + s, bottom + s, 7)  # shadow
    rect(left, top, right, bottom, 0)                   # outline
    rect(left + 1, top + 1, right - 1, bottom - 1, 1)   # page
    rect(left + 1, top + 1, right - 1, top + 4 * s, header)
    for ring_x in (4 * s, 11 * s):                      # binder rings above the header
        rect(ring_x, top - s, ring_x + max(1, s), top + 2 * s, 6)
    cols, rows = 4, 3
    cell_w = (right - left - 2 * s) / cols
    cell_h = (bottom - top - 6 * s) / rows
    gx0, gy0 = left + s, top + 5 * s
    for r in range(rows):
        for c in range(cols):
            x0 = gx0 + c * cell_w
            y0 = gy0 + r * cell_h
            colour = 5 if (r * cols + c) == today_cell else 4
            inset = max(1, int(s * 0.5))
            rect(x0 + inset, y0 + inset, x0 + cell_w - inset + (1 if s > 1 else 0),
                 y0 + cell_h - inset + (1 if s > 1 else 0), colour)
    return px


def dib(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    palette += b'\0' * (4 * (256 - len(PALETTE)))
    xor_rows = []
    and_rows = []
    for y in reversed(range(size)):
        row = bytes(0 if c is None else c for c in px[y])
        row += b'\0' * ((4 - len(row) % 4) % 4)
        xor_rows.append(row)
        bits = 0
        mask = bytearray()
        for x in range(size):
            bits = (bits << 1) | (1 if px[y][x] is None else 0)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        mask += b'\0' * ((4 - len(mask) % 4) % 4)
        and_rows.append(bytes(mask))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def write_ico(name, images):
    blobs = [dib(px) for px in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for px, blob in zip(images, blobs):
        size = len(px)
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    out += b''.join(blobs)
    with open(name, 'wb') as f:
        f.write(out)


for name, header, cell in (('104.ico', 2, -1), ('113.ico', 3, 5), ('128.ico', 3, 6)):
    write_ico(name, [draw_page(16, header, cell), draw_page(32, header, cell)])
