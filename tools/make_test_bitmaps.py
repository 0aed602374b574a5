#!/usr/bin/env python3
"""Writes the toolkit tests' bitmaps into resources/ (24-bit, bottom-up):
  test_mask.bmp   16x14: magenta ground (the colour of the top-left pixel,
                  hence transparent when drawn masked), a red square with a
                  blue one inside, and one magenta pixel inside the red;
  test_solid.bmp  8x6: solid green;
  test_wide.bmp   40x20: yellow with a black border.
Deterministic; run it again to remake the files."""
import os
import struct

MAGENTA = (255, 0, 255)
RED = (255, 0, 0)
BLUE = (0, 0, 255)
GREEN = (0, 160, 0)
YELLOW = (255, 255, 0)
BLACK = (0, 0, 0)


def mask_pixel(x, y):
    if (x, y) == (8, 4):
        return MAGENTA  # inside the red square, same colour as the ground
    if 6 <= x <= 9 and 6 <= y <= 9:
        return BLUE
    if 3 <= x <= 12 and 2 <= y <= 11:
        return RED
    return MAGENTA


def wide_pixel(x, y):
    return BLACK if x in (0, 39) or y in (0, 19) else YELLOW


def bmp(width, height, pixel):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in (pixel(x, y) for x in range(width)))
        rows.append(row + b"\x00" * (stride - len(row)))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    files = {
        "test_mask.bmp": bmp(16, 14, mask_pixel),
        "test_solid.bmp": bmp(8, 6, lambda x, y: GREEN),
        "test_wide.bmp": bmp(40, 20, wide_pixel),
    }
    for name, data in files.items():
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
