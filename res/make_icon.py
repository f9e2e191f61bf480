#!/usr/bin/env python3
"""Writes Setup.ico: a 16-colour icon, 32x32 and 16x16, a box with a down arrow."""
import struct
import sys

# The standard 16-colour palette (RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, BLUE, YELLOW = 0, 4, 12, 11
TRANSPARENT = None


def pixel(x, y, n):
    """Colour index of (x, y), top-down, in an n x n image; None is transparent."""
    u, v = x * 32 // n, y * 32 // n
    # Tray: a box in the lower half.
    if 18 <= v <= 29 and 3 <= u <= 28:
        if v == 18 or v == 29 or u == 3 or u == 28:
            return BLACK
        return BLUE if v < 24 else NAVY
    # Arrow: shaft and head, yellow with a black outline.
    if 2 <= v <= 11 and 12 <= u <= 19:
        return BLACK if u in (12, 19) or v == 2 else YELLOW
    if 11 <= v <= 21:
        half = 21 - v  # the head narrows towards y = 21
        if abs(2 * u - 31) <= 2 * half + 1:
            edge = abs(2 * u - 31) >= 2 * half - 1 or v == 11
            return BLACK if edge else YELLOW
    return TRANSPARENT


def image(n):
    row_xor = ((n * 4 + 31) // 32) * 4
    row_and = ((n + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(n)):  # bottom-up rows
        line = bytearray(row_xor)
        bits = bytearray(row_and)
        for x in range(n):
            c = pixel(x, y, n)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                c = 0
            line[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    sizes = [32, 16]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Setup.ico')
