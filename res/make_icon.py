#!/usr/bin/env python3
"""Writes the program's 16-colour icons.

Setup.ico (32x32 and 16x16, and 24x24, 48x48 and 64x64 for the window's
icons at 150 % and 200 %): a tray with a down arrow. WizardWelcome.ico
(32x32): a disc over a box. WizardReady.ico (32x32): a screen with a tick.
make_icon.py [FOLDER] writes all three into FOLDER (default: beside this file).
"""
import os
import struct
import sys

# The standard 16-colour palette (RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, SILVER, GREY, BLUE, YELLOW, WHITE = 0, 2, 4, 7, 8, 12, 11, 15
TEAL, LIME = 6, 10
TRANSPARENT = None


def setup_pixel(x, y, n):
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


def welcome_pixel(x, y, n):
    """A silver disc with a hole, resting on a blue box."""
    u, v = x * 32 // n, y * 32 // n
    if 20 <= v <= 30 and 4 <= u <= 27:
        if v in (20, 30) or u in (4, 27):
            return BLACK
        return BLUE if v < 25 else NAVY
    d = (2 * u - 31) ** 2 + (2 * v - 21) ** 2  # centre (15.5, 10.5), in half units
    if d <= 4 * 2 ** 2:
        return BLACK if d > 4 * 1 ** 2 else TRANSPARENT
    if d <= 4 * 10 ** 2:
        return BLACK if d > 4 * 9 ** 2 else (WHITE if u < v else SILVER)
    return TRANSPARENT


def ready_pixel(x, y, n):
    """A screen on a stand with a green tick on it."""
    u, v = x * 32 // n, y * 32 // n
    if 2 <= v <= 22 and 2 <= u <= 29:
        if v in (2, 22) or u in (2, 29):
            return BLACK
        if v in (3, 21) or u in (3, 28):
            return GREY
        # The tick: a short stroke down to (13, 17), a long one up to (25, 6).
        if 9 <= u <= 13 and abs((v - 13) - (u - 9)) <= 1:
            return LIME
        if 13 <= u <= 25 and abs((17 - v) - (u - 13) * 11 // 12) <= 1:
            return LIME
        return TEAL
    if 23 <= v <= 26 and 13 <= u <= 18:
        return GREY
    if 27 <= v <= 29 and 8 <= u <= 23:
        return BLACK if v == 29 or u in (8, 23) else SILVER
    return TRANSPARENT


def image(pixel, n):
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


ICONS = [
    ('Setup.ico', setup_pixel, [32, 16, 24, 48, 64]),
    ('WizardWelcome.ico', welcome_pixel, [32]),
    ('WizardReady.ico', ready_pixel, [32]),
]


def write_icon(path, pixel, sizes):
    images = [image(pixel, n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


def main(folder):
    for name, pixel, sizes in ICONS:
        write_icon(os.path.join(folder, name), pixel, sizes)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
