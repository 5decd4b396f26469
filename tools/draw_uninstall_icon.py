#!/usr/bin/env python3
"""Draws the uninstall shortcut's icon: a 16 x 16, 32-bit icon file with one
image (a grey bin with a red cross), written byte for byte so that every run
gives the same file."""
import struct
import sys

SIZE = 16


def pixel(x, y):
    """BGRA colour of pixel (x, y), y counted from the top."""
    # The bin: lid on rows 2-3, body on rows 4-14, columns 3-12.
    transparent = (0, 0, 0, 0)
    colour = transparent
    if 2 <= y <= 3 and 2 <= x <= 13:
        colour = (96, 96, 96, 255)
    elif y == 1 and 6 <= x <= 9:
        colour = (96, 96, 96, 255)
    elif 4 <= y <= 14 and 3 <= x <= 12:
        edge = x in (3, 12) or y == 14
        colour = (80, 80, 80, 255) if edge else (200, 200, 200, 255)
    # The red cross over the body.
    if 6 <= y <= 12 and 4 <= x <= 11:
        u, v = x - 4, y - 6
        if abs(u - v * 7 / 6) < 1.0 or abs((7 - u) - v * 7 / 6) < 1.0:
            colour = (32, 32, 220, 255)
    return colour


def icon_bytes():
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up, as a DIB stores them
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask_rows = []
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 0x80000000 >> x
        mask_rows.append(struct.pack(">I", bits))  # 16 bits of mask, padded to 32
    mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


def main():
    data = icon_bytes()
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
