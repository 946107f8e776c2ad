"""The scene of Solmira's pictures, described once: a sun rising over an open book on a dawn
sky, as shapes in a unit square that can say whether a point lies on them and write
themselves as SVG. draw_pictures.py draws every picture from it.
"""
import dataclasses
import math

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
