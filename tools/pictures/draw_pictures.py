#!/usr/bin/env python3
"""Draws Solmira's pictures: a sun rising over an open book, on a dawn sky.

The scene is described once, as shapes in a unit square (scene.py), and every picture is
drawn from that one description:

  res/solmira.ico                   the program's icon: 32x32 and 16x16, 16 colours each
  res/logo.bmp                      the About window's logo: 32x32, 256 colours
  res/logo/NxN.png                  the same logo in full colour for larger screens' scales,
                                    N = 48, 64, 96 and 128
  data/icons/NxN/solmira.png        the desktop's icons in the hicolor theme, N = 16, 22, 24,
                                    32, 48, 64, 128 and 256: full colour with alpha, the
                                    scene on a tile with rounded corners
  data/icons/scalable/solmira.svg   the same tile and shapes as a vector picture

Run from the repository's top folder:

  python3 tools/pictures/draw_pictures.py              draws them all
  python3 tools/pictures/draw_pictures.py --only res   the icon and logo alone
  python3 tools/pictures/draw_pictures.py --only icons the desktop's icons alone
  python3 tools/pictures/draw_pictures.py --root DIR   writes under DIR instead of here

The files are committed: the build embeds the icon and logo, and installs the desktop's
icons. Only Python's standard library is used; zlib and struct write the PNG files.
"""
import argparse
import dataclasses
import os
import struct
import zlib

from scene import (FITTED_UP_TO, GRID, ICON_SIZES, SCALABLE_SIZE, TILE_CORNER, VGA16, Layout, colour_at,
                   scene_shapes)


# The program's icon and logo, in the handheld's formats.

def cube_palette():
    """A 6x6x6 colour cube and 40 greys: 256 colours."""
    steps = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in steps for g in steps for b in steps]
    colours += [(round(i * 255 / 41),) * 3 for i in range(1, 41)]
    return colours


def render(size, palette, shapes):
    """Pixel indexes into palette, rows from the top, sampled 4x4 per pixel."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    c = colour_at(shapes, (x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size)
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
    rows = render(size, VGA16, scene_shapes(simple=size < 32, flat_sky=True))
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
    write_file(path, header + entries + b"".join(images))


def write_logo(path):
    palette = cube_palette()
    pixels = packed_rows(render(32, palette, scene_shapes(simple=False)), 8)
    body = info_header(32, 32, 8, 256, len(pixels)) + palette_bytes(palette) + pixels
    write_file(path, struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 256 * 4) + body)


LOGO_SIZES = (48, 64, 96, 128)


def draw_logo(size):
    """Rows of RGBA bytes for the logo at size pixels: the whole square, opaque."""
    shapes = scene_shapes(simple=False)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            red = green = blue = 0
            for sy in range(GRID):
                for sx in range(GRID):
                    r, g, b = colour_at(shapes, (x + (sx + 0.5) / GRID) / size, (y + (sy + 0.5) / GRID) / size)
                    red, green, blue = red + LINEAR[r], green + LINEAR[g], blue + LINEAR[b]
            n = GRID ** 2
            row += bytes((from_linear(red / n), from_linear(green / n), from_linear(blue / n), 255))
        rows.append(bytes(row))
    return rows


# The desktop's icons: the scene on a tile with rounded corners, over a transparent square.

def tile_margin(size):
    """The transparent border around the tile: none on the smallest icons, which need every
    pixel, and a sixteenth of the side from 32 px up."""
    return 0 if size < 32 else size // 16


def icon_layout(size):
    """The layout for an icon of size pixels. A small icon is fitted to its pixels so that it
    stays sharp: the pages' top edge is level, so that it and the lines of text run along
    rows of pixels; the horizon, the book's edges, the spine, the lines of text and the tip
    of the ray that points up lie on whole pixels, each moved by less than a pixel; a spine
    or line is at least one pixel thick. Larger icons keep the scene as it is."""
    at = Layout()
    if size > FITTED_UP_TO:
        return at
    side = size - 2 * tile_margin(size)

    def snap(x):
        return round(x * side) / side

    def snap_share(share):
        return 2 * (snap(at.sun_x + share / 2) - at.sun_x)

    horizon = snap(at.horizon)
    ray_top = snap(horizon - at.sun_r - at.ray_reach)  # the tip of the ray that points up
    spine = max(1, round((at.spine_right - at.spine_left) * side)) / side
    spine_left = snap(at.sun_x - spine / 2)
    pitch = max(2, round(side / at.text_rows))  # pixels from one line of text to the next
    line_top = round(at.text_from * pitch)
    line_bottom = line_top + max(1, round((at.text_to - at.text_from) * pitch))
    return dataclasses.replace(
        at, horizon=horizon, ray_reach=horizon - ray_top - at.sun_r, page_drop=0,
        book_left=snap(at.book_left), book_right=snap(at.book_right), book_bottom=snap(at.book_bottom),
        spine_left=spine_left, spine_right=spine_left + spine,
        text_inner=snap_share(at.text_inner), text_outer=snap_share(at.text_outer),
        text_rows=side / pitch, text_from=line_top / pitch, text_to=line_bottom / pitch)


def icon_shapes(size):
    return scene_shapes(simple=size < 32, at=icon_layout(size))


def inside_tile(x, y, left, side, corner):
    """Whether (x, y) lies on the tile of the given side whose top left corner is (left, left)."""
    dx = max(left + corner - x, x - (left + side - corner), 0)
    dy = max(left + corner - y, y - (left + side - corner), 0)
    return dx * dx + dy * dy <= corner * corner and left <= x <= left + side and left <= y <= left + side


def to_linear(level):
    """An sRGB level from 0 to 255 as linear light from 0 to 1."""
    c = level / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def from_linear(light):
    """Linear light from 0 to 1 as an sRGB level from 0 to 255."""
    c = light * 12.92 if light <= 0.0031308 else 1.055 * light ** (1 / 2.4) - 0.055
    return round(255 * c)


LINEAR = [to_linear(level) for level in range(256)]


def draw_icon(size):
    """Rows of RGBA bytes for the icon of size pixels, sampled on a grid in each pixel. The
    samples are averaged as light, so that a thin yellow ray on the blue sky stays bright
    rather than turning grey."""
    shapes = icon_shapes(size)
    margin = tile_margin(size)
    side = size - 2 * margin
    corner = TILE_CORNER * side
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            red = green = blue = covered = 0
            for sy in range(GRID):
                py = y + (sy + 0.5) / GRID
                for sx in range(GRID):
                    px = x + (sx + 0.5) / GRID
                    if not inside_tile(px, py, margin, side, corner):
                        continue
                    r, g, b = colour_at(shapes, (px - margin) / side, (py - margin) / side)
                    red, green, blue = red + LINEAR[r], green + LINEAR[g], blue + LINEAR[b]
                    covered += 1
            if covered:
                row += bytes((from_linear(red / covered), from_linear(green / covered),
                              from_linear(blue / covered), round(255 * covered / GRID ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png_bytes(size, rows):
    """A PNG file of 8-bit RGBA rows, each row unfiltered."""

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8 bits a sample, RGBA
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows), 9)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b"")


def svg_text():
    """The scalable icon: the scene's shapes in unit coordinates, placed on the tile."""
    shapes = scene_shapes(simple=False)
    size = SCALABLE_SIZE
    margin = tile_margin(size)
    side = size - 2 * margin
    defs = [d for shape in shapes for d in shape.svg_defs()]
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">',
        "<title>Solmira</title>",
        "<desc>A sun rising over an open book, on a dawn sky</desc>",
        f'<g transform="translate({margin} {margin}) scale({side})">',
        "<defs>", *defs, "</defs>",
        *(shape.svg(TILE_CORNER) for shape in shapes),
        "</g>",
        "</svg>",
    ]
    return "\n".join(lines) + "\n"


def write_file(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description="Draws Solmira's icon, logo and desktop icons.")
    parser.add_argument("--only", choices=("res", "icons"),
                        help="draw only the icon and logo, or only the desktop's icons")
    parser.add_argument("--root", default=".", help="the folder to write under (default: the current one)")
    args = parser.parse_args()
    if args.only != "icons":
        write_icon(os.path.join(args.root, "res", "solmira.ico"))
        write_logo(os.path.join(args.root, "res", "logo.bmp"))
        for size in LOGO_SIZES:
            write_file(os.path.join(args.root, "res", "logo", f"{size}x{size}.png"), png_bytes(size, draw_logo(size)))
    if args.only != "res":
        for size in ICON_SIZES:
            write_file(os.path.join(args.root, "data", "icons", f"{size}x{size}", "solmira.png"),
                       png_bytes(size, draw_icon(size)))
        write_file(os.path.join(args.root, "data", "icons", "scalable", "solmira.svg"), svg_text().encode())


if __name__ == "__main__":
    main()
