#!/usr/bin/env python3
"""Writes resources/test_icon.ico: a 16x16, 32-bit icon of the toolkit's
tests (a blue square with a white diagonal). Deterministic; run it again to
remake the file."""
import os
import struct

SIZE = 16


def pixel(x, y):
    if x == y or x == SIZE - 1 - y:
        return (255, 255, 255, 255)
    return (200, 80, 20, 255)  # blue, green, red, alpha (BGRA)


def icon_bytes():
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up DIB
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask = b"\x00" * (4 * SIZE)  # 1-bit AND mask, rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "resources", "test_icon.ico")
    with open(path, "wb") as f:
        f.write(icon_bytes())
