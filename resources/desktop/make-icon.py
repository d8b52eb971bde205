#!/usr/bin/env python3
"""Draws the program icon (a sun behind a cloud on a sky-blue disc) and
writes it as skyvane.ico: 16 x 16 and 32 x 32, 32 bits per pixel."""
import math
import struct
import sys


def pixel(x, y, size):
    # Work in a 32-unit square whatever the size.
    u = (x + 0.5) * 32.0 / size
    v = (y + 0.5) * 32.0 / size
    if math.hypot(u - 16, v - 16) > 15.5:
        return (0, 0, 0, 0)
    cloud = (math.hypot(u - 13, v - 20) < 6 or math.hypot(u - 20, v - 19) < 5
             or (8 < u < 25 and 19 < v < 25))
    if cloud:
        return (250, 250, 250, 255)
    if math.hypot(u - 19, v - 12) < 6:
        return (40, 200, 255, 255)  # BGR: a warm yellow
    return (220, 150, 60, 255)  # BGR: sky blue


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up, as in a bitmap
        rows.append(b"".join(struct.pack("4B", *pixel(x, y, size)) for x in range(size)))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(path):
    sizes = (16, 32)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "skyvane.ico")
