"""Small raster toolkit for the skin pictures: an RGB picture with magenta as its transparent
key, shapes with anti-aliased edges, frame strips and a 24-bit BMP writer.

Coordinates are continuous: pixel (x, y) covers [x, x+1) x [y, y+1), its centre is
(x + 0.5, y + 0.5). A shape whose edges lie on whole numbers therefore has crisp one-pixel
edges; only curves and diagonals get partial coverage.
"""
import math
import struct

MAGENTA = (255, 0, 255)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(c1, c2, t):
    """c1 at t = 0, c2 at t = 1; rounded per channel."""
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def shade(c, k):
    """k > 0 mixes toward white, k < 0 toward black."""
    return mix(c, (255, 255, 255), k) if k >= 0 else mix(c, (0, 0, 0), -k)


# ---- signed distances (negative inside) ----

def sd_round_rect(px, py, x0, y0, x1, y1, r):
    """Rounded rectangle [x0, x1] x [y0, y1]; r may be a number or (tl, tr, br, bl)."""
    if not isinstance(r, tuple):
        r = (r, r, r, r)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    rr = r[0] if px < cx and py < cy else r[1] if py < cy else r[2] if px >= cx else r[3]
    hx, hy = (x1 - x0) / 2 - rr, (y1 - y0) / 2 - rr
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - rr


def sd_segment(px, py, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - half_width


def sd_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def coverage(d):
    """Share of a pixel inside a shape whose signed distance at the pixel centre is d."""
    return clamp(0.5 - d)


class Pic:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def blend(self, x, y, c, a, under=None):
        """Lays colour c with opacity a over the pixel. Over the key colour the colour
        `under` stands in (the background the picture is known to be drawn on); without it
        a pixel at least half covered becomes c and a smaller share leaves the key."""
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0.0:
            return
        old = self.px[y][x]
        if old == MAGENTA:
            if under is None:
                if a >= 0.5:
                    self.px[y][x] = c
                return
            old = under(y) if callable(under) else under
        self.px[y][x] = c if a >= 1.0 else mix(old, c, a)

    def fill(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        n = y1 - y0
        for i, y in enumerate(range(y0, y1)):
            self.fill(x0, y, x1, y + 1, mix(top, bottom, i / (n - 1) if n > 1 else 0.5))

    def hgradient(self, x0, y0, x1, y1, left, right):
        n = x1 - x0
        for i, x in enumerate(range(x0, x1)):
            self.fill(x, y0, x + 1, y1, mix(left, right, i / (n - 1) if n > 1 else 0.5))

    def frame(self, x0, y0, x1, y1, c):
        """One-pixel rectangle outline of [x0, x1) x [y0, y1)."""
        self.fill(x0, y0, x1, y0 + 1, c)
        self.fill(x0, y1 - 1, x1, y1, c)
        self.fill(x0, y0, x0 + 1, y1, c)
        self.fill(x1 - 1, y0, x1, y1, c)

    def shape(self, sd, colour, under=None, box=None):
        """Paints colour where the signed distance function sd(px, py) is negative.
        colour may be a function of (x, y)."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                a = coverage(sd(x + 0.5, y + 0.5))
                if a > 0.0:
                    c = colour(x, y) if callable(colour) else colour
                    self.blend(x, y, c, a, under)

    def outlined(self, outer, inner, outline, fill, under=None):
        """A shape with a one-pixel outline: `outer` and `inner` are signed distance
        functions of its outside and inside edges; fill may be a function of (x, y)."""
        for y in range(self.h):
            for x in range(self.w):
                px, py = x + 0.5, y + 0.5
                a_out = coverage(outer(px, py))
                if a_out <= 0.0:
                    continue
                a_in = coverage(inner(px, py))
                f = fill(x, y) if callable(fill) else fill
                self.blend(x, y, mix(outline, f, a_in), a_out, under)

    def paste(self, src, dx, dy, keyed=True):
        for y in range(src.h):
            for x in range(src.w):
                c = src.px[y][x]
                if not keyed or c != MAGENTA:
                    self.set(dx + x, dy + y, c)

    def crop(self, x0, y0, x1, y1):
        out = Pic(x1 - x0, y1 - y0)
        for y in range(y0, y1):
            out.px[y - y0] = list(self.px[y][x0:x1])
        return out

    def mirrored(self):
        out = Pic(self.w, self.h)
        out.px = [list(reversed(row)) for row in self.px]
        return out

    def flipped(self):
        out = Pic(self.w, self.h)
        out.px = [list(row) for row in reversed(self.px)]
        return out

    def transposed(self):
        out = Pic(self.h, self.w)
        out.px = [[self.px[y][x] for y in range(self.h)] for x in range(self.w)]
        return out


def strip(frames, stacked=False):
    """Equal frames side by side (or stacked), frame 1 first."""
    w, h = frames[0].w, frames[0].h
    assert all(f.w == w and f.h == h for f in frames), 'frames differ in size'
    out = Pic(w, h * len(frames)) if stacked else Pic(w * len(frames), h)
    for i, f in enumerate(frames):
        out.paste(f, 0 if stacked else i * w, i * h if stacked else 0, keyed=False)
    return out


def bitmap(rows):
    """A glyph from text rows: '#' marks pixels, anything else is empty."""
    return [(x, y) for y, row in enumerate(rows) for x, ch in enumerate(row) if ch == '#']


def bmp_bytes(pic):
    """24-bit bottom-up BMP file image."""
    stride = (pic.w * 3 + 3) & ~3
    rows = []
    for y in range(pic.h - 1, -1, -1):
        row = b''.join(bytes((b, g, r)) for r, g, b in pic.px[y])
        rows.append(row + b'\0' * (stride - len(row)))
    pixels = b''.join(rows)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, pic.w, pic.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels
