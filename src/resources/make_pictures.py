#!/usr/bin/env python3
"""Draws the menu bitmap (16 x 16, 24 bpp) and the icon (16, 32, 48 px in
16 and 256 colours) of Lumbrix64: a clipboard with lines of text.
Run from this folder: python3 make_pictures.py"""
import struct

BOARD = (150, 100, 50)
PAPER = (255, 255, 255)
TEXT = (0, 0, 128)
CLIP = (192, 192, 192)
EDGE = (64, 40, 16)
MENU_BACKGROUND = (192, 192, 192)


def draw(size):
    """Pixel rows, top first; None is a transparent pixel."""
    u = size / 16.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = x / u, y / u
            colour = None
            if 2 <= fx < 14 and 1.5 <= fy < 15.5:
                colour = BOARD
                if fx < 2.6 or fx >= 13.4 or fy >= 14.9:
                    colour = EDGE
                if 3.5 <= fx < 12.5 and 3 <= fy < 14:
                    colour = PAPER
                    line = (fy - 5) / 2.0
                    if fy >= 5 and line - int(line) < 0.5 and 4.5 <= fx < (11.5 if int(line) % 2 == 0 else 9.5):
                        colour = TEXT
            if 5.5 <= fx < 10.5 and 0.5 <= fy < 3.5:
                colour = CLIP
            row.append(colour)
        rows.append(row)
    return rows


def vga_palette():
    return [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette_256():
    colours = vga_palette()
    for r in range(6):
        for g in range(6):
            for b in range(6):
                colours.append((r * 51, g * 51, b * 51))
    while len(colours) < 256:
        grey = (len(colours) - 232) * 10 + 8
        colours.append((grey, grey, grey))
    return colours[:256]


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def row_bytes(bits):
    return (bits + 31) // 32 * 4


def pack_indices(indices, bpp):
    out = bytearray()
    if bpp == 8:
        out += bytes(indices)
    else:
        for i in range(0, len(indices), 2):
            out.append((indices[i] << 4) | (indices[i + 1] if i + 1 < len(indices) else 0))
    out += b"\0" * (row_bytes(len(indices) * bpp) - len(out))
    return bytes(out)


def icon_image(size, bpp):
    palette = vga_palette() if bpp == 4 else palette_256()
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    xor = b"".join(pack_indices([0 if c is None else nearest(palette, c) for c in row], bpp)
                   for row in reversed(rows))
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(row_bytes(size))
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colours + xor + bytes(mask)


def write_icon(path):
    images = [(s, bpp, icon_image(s, bpp)) for bpp in (4, 8) for s in (16, 32, 48)]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, bpp, image in images:
        directory += struct.pack("<BBBBHHII", size, size, 16 if bpp == 4 else 0, 0, 1, bpp,
                                 len(image), offset + len(data))
        data += image
    open(path, "wb").write(directory + data)


def write_menu_bitmap(path):
    rows = draw(16)
    pixels = b""
    for row in reversed(rows):
        line = b"".join(struct.pack("<BBB", *reversed(c or MENU_BACKGROUND)) for c in row)
        pixels += line + b"\0" * (row_bytes(16 * 24) - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, 16, 16, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    open(path, "wb").write(file_header + info + pixels)


if __name__ == "__main__":
    write_menu_bitmap("menu.bmp")
    write_icon("lumbrix64.ico")
