#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as an .ico file.

The icon is one 101 x 113 image of 24 bits per pixel: a blue shield with a gold rim and a gold
tower, transparent outside the shield. The file is written by hand (an icon directory, then a
bitmap header whose height counts the colour rows and the mask rows, the colour rows bottom-up
and padded to four bytes, then the one-bit transparency mask), so nothing beyond Python's
standard library is needed and the same run always gives the same bytes.

Usage: draw_icon.py OUTPUT.ico
"""
import math
import struct
import sys

WIDTH = 101
HEIGHT = 113
CENTRE = (WIDTH - 1) / 2

BACKGROUND_TOP = (32, 58, 112)
BACKGROUND_BOTTOM = (12, 26, 58)
RIM = (214, 168, 52)
TOWER = (236, 196, 84)
TOWER_SHADE = (176, 128, 36)
WINDOW = (20, 30, 60)


def shield_half_width(y):
    """Half the shield's width on row y (0 at the top), or a negative value outside it."""
    top, shoulder, point = 3, 56, 109
    if y < top or y > point:
        return -1.0
    if y <= shoulder:
        return 47.0
    t = (y - shoulder) / (point - shoulder)
    return 47.0 * math.sqrt(max(0.0, 1.0 - t * t))


def inside_shield(x, y, inset=0.0):
    half = shield_half_width(y)
    if half < 0:
        return False
    if inset and (y < 3 + inset or shield_half_width(y + inset) < 0):
        return False
    return abs(x - CENTRE) <= half - inset


def tower_colour(x, y):
    """The tower's colour at (x, y), or None where the tower is not drawn."""
    dx = x - CENTRE
    # Battlements: three merlons on the top of the tower.
    if 24 <= y < 32 and -20 <= dx <= 20:
        merlon = int((dx + 20) // 8)
        return TOWER if merlon % 2 == 0 else None
    # The body, a little wider at its foot, with a door and a window.
    if 32 <= y < 88:
        half = 16 + (y - 32) * 4 / 56
        if abs(dx) > half:
            return None
        if 70 <= y and abs(dx) <= 6 and (y >= 76 or dx * dx + (y - 76) ** 2 <= 36):
            return WINDOW
        if 44 <= y < 56 and abs(dx) <= 3:
            return WINDOW
        return TOWER_SHADE if dx > half - 5 else TOWER
    return None


def pixel(x, y):
    """The (red, green, blue, opaque) colour of the pixel at column x, row y from the top."""
    if not inside_shield(x, y):
        return (0, 0, 0, False)
    if not inside_shield(x, y, inset=5.0):
        return RIM + (True,)
    colour = tower_colour(x, y)
    if colour is not None:
        return colour + (True,)
    t = y / (HEIGHT - 1)
    blend = tuple(round(a + (b - a) * t) for a, b in zip(BACKGROUND_TOP, BACKGROUND_BOTTOM))
    return blend + (True,)


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def icon_bytes():
    colour_rows = []
    mask_rows = []
    for y in reversed(range(HEIGHT)):  # bitmaps store the bottom row first
        colours = bytearray()
        mask = bytearray((WIDTH + 7) // 8)
        for x in range(WIDTH):
            red, green, blue, opaque = pixel(x, y)
            colours += bytes((blue, green, red))
            if not opaque:
                mask[x // 8] |= 0x80 >> (x % 8)
        colour_rows.append(padded(bytes(colours)))
        mask_rows.append(padded(bytes(mask)))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    # BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, 2 * HEIGHT, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    image = header + pixels
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", WIDTH, HEIGHT, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "wb") as output:
        output.write(icon_bytes())


if __name__ == "__main__":
    main()
