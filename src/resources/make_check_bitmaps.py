#!/usr/bin/env python3
"""Writes the wizard page's two check box bitmaps (16 x 16, 24 bits per pixel):
check_empty.bmp (resource 108) and check_ticked.bmp (resource 109), beside this script."""
import os
import struct

SIZE = 16
WHITE = (255, 255, 255)
FRAME = (64, 64, 64)
MARK = (0, 0, 0)

# The tick: a short stroke down to the bottom point, then a long one up to the right, three
# pixels thick so it reads at 16 pixels.
TICK = [(4, 7), (5, 8), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4)]


def pixels(ticked):
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if x in (1, 14) and 1 <= y <= 14 or y in (1, 14) and 1 <= x <= 14:
                row.append(FRAME)
            else:
                row.append(WHITE)
        rows.append(row)
    if ticked:
        for x, y in TICK:
            for dy in range(3):
                rows[y + dy][x] = MARK
    return rows


def write(path, ticked):
    row_bytes = SIZE * 3  # 48: already a multiple of 4
    image = bytearray()
    for row in reversed(pixels(ticked)):  # bottom-up
        for r, g, b in row:
            image += bytes((b, g, r))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(image), 0, 0, 14 + len(header))
    assert row_bytes % 4 == 0
    with open(path, 'wb') as f:
        f.write(file_header + header + image)


here = os.path.dirname(os.path.abspath(__file__))
write(os.path.join(here, 'check_empty.bmp'), False)
write(os.path.join(here, 'check_ticked.bmp'), True)
