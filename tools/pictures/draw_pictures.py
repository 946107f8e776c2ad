#!/usr/bin/env python3
"""Draws Solmira's pictures: a sun rising over an open book, on a dawn sky.

The scene is described once, as shapes in a unit square (see scene_shapes), and every
picture is drawn from that one description:

  res/solmira.ico                   the program's icon: 32x32 and 16x16, 16 colours each
  res/logo.bmp                      the About window's logo: 32x32, 256 colours
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
import math
import os
import struct
import zlib

# The 16 colours of the standard VGA palette that 16-colour icons use.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# The scene's colours.
NIGHT = (0, 0, 128)  # the flat sky of the 16-colour icon
SUN_CORE = (255, 230, 40)
SUN_RIM = (255, 160, 0)
RAYS = (255, 200, 0)
GROUND = (0, 0, 110)
LEFT_PAGE = (255, 255, 255)
RIGHT_PAGE = (225, 225, 215)
SPINE = (128, 128, 128)
TEXT = (150, 150, 150)

# The desktop's icons: their sizes, and the tile that carries the scene on each.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SCALABLE_SIZE = 256  # the scalable icon's nominal size, drawn like the 256 px one
TILE_CORNER = 0.16  # the radius of the tile's corners, as a share of the tile's side
FITTED_UP_TO = 64  # icons up to this size are fitted to their pixels (see icon_layout)
GRID = 8  # an icon's pixel is the mean of GRID x GRID samples


@dataclasses.dataclass(frozen=True)
class Layout:
    """Where the scene's parts lie, in the unit square (u rightwards, v downwards). Widths
    across the book are given as shares of the half width: 0 at the spine, 1 at a side."""
    horizon: float = 0.68
    sun_x: float = 0.5  # the sun's centre, on the horizon; the spine lies below it
    sun_r: float = 0.27
    core: float = 0.8  # the bright core's share of the sun's radius
    ray_count: int = 8
    ray_reach: float = 0.2  # how far the rays reach beyond the sun
    book_left: float = 0.06
    book_right: float = 0.94
    book_bottom: float = 0.94
    page_drop: float = 0.06  # how far the pages' top edge falls from the spine to a side
    spine_left: float = 0.475
    spine_right: float = 0.525
    text_inner: float = 0.14  # the lines of text run from this share of the half width
    text_outer: float = 0.8  # to this one
    text_rows: float = 10  # rows of text in a unit of height, down from the pages' top edge
    text_from: float = 0.45  # each line's top and bottom, as shares of its row
    text_to: float = 0.6
    text_end: float = 0.9  # no line reaches below this; it falls between two lines

    def page_top(self, u):
        """The v of the pages' top edge at u: highest at the spine, falling to each side."""
        return self.horizon + self.page_drop * abs(u - self.sun_x) * 2


def dawn(v, horizon):
    """The dawn sky's colour at height v: deep blue above, warmer near the horizon."""
    t = v / horizon
    return (int(20 + 120 * t ** 3), int(30 + 60 * t ** 2), int(120 + 40 * t))


def number(x):
    """A coordinate as the scalable picture writes it: short, without trailing zeros."""
    text = f"{x:.5f}".rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def hex_colour(colour):
    return "#%02x%02x%02x" % tuple(colour)


def rect_svg(left, top, right, bottom, corner, fill):
    """A rectangle whose corners that lie on the square's corners are rounded off."""
    def on_corner(x, y):
        return x in (0, 1) and y in (0, 1)

    if not any(on_corner(x, y) for x in (left, right) for y in (top, bottom)):
        return (f'<rect x="{number(left)}" y="{number(top)}" width="{number(right - left)}" '
                f'height="{number(bottom - top)}" fill="{fill}"/>')
    # Around the rectangle clockwise from its top left corner, cutting each rounded corner
    # with an arc from the edge it comes along to the edge it leaves along.
    path = []
    for (x, y), (dx0, dy0), (dx1, dy1) in (((left, top), (0, 1), (1, 0)), ((right, top), (-1, 0), (0, 1)),
                                            ((right, bottom), (0, -1), (-1, 0)), ((left, bottom), (1, 0), (0, -1))):
        if on_corner(x, y):
            path.append(f"{'L' if path else 'M'}{number(x + dx0 * corner)} {number(y + dy0 * corner)}")
            path.append(f"A{number(corner)} {number(corner)} 0 0 1 "
                        f"{number(x + dx1 * corner)} {number(y + dy1 * corner)}")
        else:
            path.append(f"{'L' if path else 'M'}{number(x)} {number(y)}")
    return f'<path d="{"".join(path)}Z" fill="{fill}"/>'


def polygon_svg(points, colour):
    """A polygon through points, in order."""
    text = " ".join(f"{number(x)},{number(y)}" for x, y in points)
    return f'<polygon points="{text}" fill="{hex_colour(colour)}"/>'


class Shape:
    """A shape of one colour. Each shape says whether a point lies on it, for the pictures
    drawn in pixels, and writes itself as SVG for the scalable picture. The scalable
    picture's tile has round corners of radius corner; a shape that reaches a corner of the
    square rounds it off itself, so that the picture needs no clip path (which not every
    SVG renderer follows)."""

    colour = (0, 0, 0)

    def colour_at(self, u, v):
        return self.colour

    def svg_defs(self):
        """What the shape's SVG refers to: none for a shape of one colour."""
        return []


class Sky(Shape):
    """The background, over the whole square: a flat colour, or the dawn down to the horizon."""

    def __init__(self, horizon, flat=None):
        self.horizon, self.flat = horizon, flat

    def contains(self, u, v):
        return True

    def colour_at(self, u, v):
        return self.flat or dawn(v, self.horizon)

    def svg(self, corner):
        return rect_svg(0, 0, 1, 1, corner, hex_colour(self.flat) if self.flat else "url(#dawn)")

    def svg_defs(self):
        """The dawn as a gradient through nine of its colours, which follow it closely."""
        if self.flat:
            return []
        colours = ((i / 8, dawn(self.horizon * i / 8, self.horizon)) for i in range(9))
        stops = "".join(f'<stop offset="{number(at)}" stop-color="{hex_colour(colour)}"/>' for at, colour in colours)
        return [f'<linearGradient id="dawn" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" '
                f'y2="{number(self.horizon)}">{stops}</linearGradient>']


class Rect(Shape):
    def __init__(self, left, top, right, bottom, colour):
        self.left, self.top, self.right, self.bottom, self.colour = left, top, right, bottom, colour

    def contains(self, u, v):
        return self.left <= u <= self.right and self.top <= v <= self.bottom

    def svg(self, corner):
        return rect_svg(self.left, self.top, self.right, self.bottom, corner, hex_colour(self.colour))


class Disc(Shape):
    def __init__(self, x, y, r, colour):
        self.x, self.y, self.r, self.colour = x, y, r, colour

    def contains(self, u, v):
        return math.hypot(u - self.x, v - self.y) <= self.r

    def svg(self, corner):
        return (f'<circle cx="{number(self.x)}" cy="{number(self.y)}" r="{number(self.r)}" '
                f'fill="{hex_colour(self.colour)}"/>')


class Rays(Shape):
    """count evenly spaced wedges around (x, y), the first pointing right, out to reach. A
    point lies on a ray where the cosine of count times its angle exceeds threshold: the
    larger the threshold, the narrower the rays."""

    def __init__(self, x, y, reach, count, threshold, colour):
        self.x, self.y, self.reach, self.count, self.threshold, self.colour = x, y, reach, count, threshold, colour

    def contains(self, u, v):
        if math.hypot(u - self.x, v - self.y) > self.reach:
            return False
        return math.cos(math.atan2(v - self.y, u - self.x) * self.count) > self.threshold

    def svg(self, corner):
        """The wedges that point level or upwards: those below lie under the ground, and would
        reach out of the square."""
        half = math.acos(self.threshold) / self.count
        wedges = []
        for i in range(self.count):
            middle = 2 * math.pi * i / self.count
            if math.sin(middle) > 1e-9:
                continue
            (x0, y0), (x1, y1) = ((self.x + self.reach * math.cos(a), self.y + self.reach * math.sin(a))
                                  for a in (middle - half, middle + half))
            wedges.append(f"M{number(self.x)} {number(self.y)}L{number(x0)} {number(y0)}"
                          f"A{number(self.reach)} {number(self.reach)} 0 0 1 {number(x1)} {number(y1)}Z")
        return f'<path d="{"".join(wedges)}" fill="{hex_colour(self.colour)}"/>'


class Page(Shape):
    """The part of the open book from left to right: down from the pages' top edge to the
    book's bottom."""

    def __init__(self, at, left, right, colour):
        self.at, self.left, self.right, self.colour = at, left, right, colour

    def contains(self, u, v):
        return self.left <= u <= self.right and self.at.page_top(u) <= v <= self.at.book_bottom

    def svg(self, corner):
        top = [(u, self.at.page_top(u)) for u in (self.left, self.at.sun_x, self.right)
               if self.left <= u <= self.right]
        bottom = [(self.right, self.at.book_bottom), (self.left, self.at.book_bottom)]
        return polygon_svg(list(dict.fromkeys(top + bottom)), self.colour)  # each corner once


class TextLines(Shape):
    """Lines of text on both pages, parallel to the pages' top edge."""

    def __init__(self, at, colour):
        self.at, self.colour = at, colour

    def contains(self, u, v):
        at = self.at
        top = at.page_top(u)
        return (v >= top and at.text_inner <= abs(u - at.sun_x) * 2 <= at.text_outer
                and at.text_from < (v - top) * at.text_rows % 1 < at.text_to and v < at.text_end)

    def svg(self, corner):
        at = self.at
        lines = []
        for side in (-1, 1):
            near, far = (at.sun_x + side * share / 2 for share in (at.text_inner, at.text_outer))
            row = 0
            while at.page_top(far) + (row + at.text_to) / at.text_rows < at.text_end:
                top, bottom = ((row + share) / at.text_rows for share in (at.text_from, at.text_to))
                lines.append(polygon_svg([(near, at.page_top(near) + top), (far, at.page_top(far) + top),
                                          (far, at.page_top(far) + bottom), (near, at.page_top(near) + bottom)],
                                         self.colour))
                row += 1
        return "\n".join(lines)


def scene_shapes(simple, flat_sky=False, at=Layout()):
    """The scene, from the back to the front. The simple scene, for the smallest pictures,
    has wider rays and no lines of text; the flat sky suits 16 colours."""
    horizon, middle = at.horizon, at.sun_x
    shapes = [
        Sky(horizon, NIGHT if flat_sky else None),
        Rays(middle, horizon, at.sun_r + at.ray_reach, at.ray_count, 0.55 if simple else 0.7, RAYS),
        Disc(middle, horizon, at.sun_r, SUN_RIM),
        Disc(middle, horizon, at.sun_r * at.core, SUN_CORE),
        Rect(0, horizon, 1, 1, GROUND),
        Page(at, at.book_left, middle, LEFT_PAGE),
        Page(at, middle, at.book_right, RIGHT_PAGE),
    ]
    if not simple:
        shapes.append(TextLines(at, TEXT))
    shapes.append(Page(at, at.spine_left, at.spine_right, SPINE))
    return shapes


def colour_at(shapes, u, v):
    """The colour of the front-most shape at (u, v)."""
    for shape in reversed(shapes):
        if shape.contains(u, v):
            return shape.colour_at(u, v)
    raise AssertionError("the sky covers the whole square")


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
    if args.only != "res":
        for size in ICON_SIZES:
            write_file(os.path.join(args.root, "data", "icons", f"{size}x{size}", "solmira.png"),
                       png_bytes(size, draw_icon(size)))
        write_file(os.path.join(args.root, "data", "icons", "scalable", "solmira.svg"), svg_text().encode())


if __name__ == "__main__":
    main()
