#!/usr/bin/env python3
"""Draws Solmira's icon and logo: a sun rising over an open book, on a dawn sky.

Writes res/solmira.ico (32x32 and 16x16, 16 colours each) and res/logo.bmp (32x32,
256 colours). Run from the repository's top folder: python3 tools/pictures/draw_pictures.py
The files are committed; the build only embeds them.
"""
import math
import struct
import sys

# The 16 colours of the standard VGA palette that 16-colour icons use.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def cube_palette():
    """A 6x6x6 colour cube and 40 greys: 256 colours."""
    steps = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in steps for g in steps for b in steps]
    colours += [(round(i * 255 / 41),) * 3 for i in range(1, 41)]
    return colours


def scene(u, v, simple, flat_sky=False):
    """The colour at (u, v), both from 0 to 1, v downwards. Icons have a flat sky, which
    16 colours show cleanly."""
    horizon = 0.68
    sun_x, sun_y, sun_r = 0.5, horizon, 0.27
    d = math.hypot(u - sun_x, v - sun_y)
    # The open book: two pages meeting at the spine, below the horizon.
    if v >= horizon:
        page_top = horizon + 0.06 * abs(u - 0.5) * 2
        if 0.06 <= u <= 0.94 and v >= page_top and v <= 0.94:
            if abs(u - 0.5) < 0.025:
                return (128, 128, 128)
            line = (v - page_top) * 10 % 1
            if not simple and 0.14 <= abs(u - 0.5) * 2 <= 0.8 and 0.45 < line < 0.6 and v < 0.9:
                return (150, 150, 150)
            return (255, 255, 255) if u < 0.5 else (225, 225, 215)
        return (0, 0, 110)
    if d <= sun_r:
        return (255, 230, 40) if d < sun_r * 0.8 else (255, 160, 0)
    # Rays: eight wedges around the sun.
    angle = math.atan2(v - sun_y, u - sun_x)
    if d <= sun_r + 0.2 and math.cos(angle * 8) > (0.55 if simple else 0.7):
        return (255, 200, 0)
    if flat_sky:
        return (0, 0, 128)
    # Dawn sky: deep blue above, warmer near the horizon.
    t = v / horizon
    return (int(20 + 120 * t ** 3), int(30 + 60 * t ** 2), int(120 + 40 * t))


def render(size, palette, simple, flat_sky=False):
    """Pixel indexes into palette, rows from the top, sampled 4x4 per pixel."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    c = scene((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size, simple, flat_sky)
                    acc = [a + b for a, b in zip(acc, c)]
            colour = tuple(a / 16 for a in acc)
            row.append(min(range(len(palette)), key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour))))
        rows.append(row)
    return rows


def packed_rows(rows, bits):
    """Bottom-up rows packed at bits per pixel, each padded to 4 bytes."""
    out = b""
    for row in reversed(rows):
        data = bytearray()
        if bits == 8:
            data.extend(row)
        else:
            for i in range(0, len(row), 2):
                data.append((row[i] << 4) | (row[i + 1] if i + 1 < len(row) else 0))
        data.extend(b"\0" * (-len(data) % 4))
        out += bytes(data)
    return out


def info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def icon_image(size):
    rows = render(size, VGA16, simple=size < 32, flat_sky=True)
    pixels = packed_rows(rows, 4)
    mask_row = b"\0" * ((size + 31) // 32 * 4)  # every pixel opaque
    mask = mask_row * size
    return info_header(size, size * 2, 4, 16, len(pixels) + len(mask)) + palette_bytes(VGA16) + pixels + mask


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip((32, 16), images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(header + entries + b"".join(images))


def write_logo(path):
    palette = cube_palette()
    pixels = packed_rows(render(32, palette, simple=False), 8)
    body = info_header(32, 32, 8, 256, len(pixels)) + palette_bytes(palette) + pixels
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 256 * 4) + body)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "res"
    write_icon(f"{out}/solmira.ico")
    write_logo(f"{out}/logo.bmp")
