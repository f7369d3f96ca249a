#!/usr/bin/env python3
"""Draws the reporter's pictures as 24-bit BMP files beside this script.

ql_error.bmp  32 x 32  the error sign at the top left of the error dialog
ql_dll.bmp    16 x 16  call-stack / module row of a library (a chip)
ql_bpl.bmp    16 x 16  a package (a parcel)
ql_vcl.bmp    16 x 16  a framework unit (a small window)
ql_pas.bmp    16 x 16  a source unit (a page of text)
ql_plus.bmp   16 x 16  a collapsed thread row
ql_minus.bmp  16 x 16  an expanded thread row

Magenta (255, 0, 255) is transparent. The small pictures are pixel art; the error sign is
drawn at four times its size and reduced, with hard outer edges so that it sits on any
background without a fringe. Run it again after changing a picture and commit the files.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
KEY = (255, 0, 255)


def write_bmp(name, pixels):
    h = len(pixels)
    w = len(pixels[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + body)


def from_art(art, palette):
    assert len(art) == 16 and all(len(r) == 16 for r in art), "pictures are 16 x 16"
    return [[KEY if ch == "." else palette[ch] for ch in row] for row in art]


CHIP = [
    "................",
    "................",
    "................",
    "...##########...",
    ".ss#okkkkkkk#ss.",
    "...#kkkkkkkk#...",
    ".ss#kkkkkkkk#ss.",
    "...#kkkkkkkk#...",
    ".ss#kkkkkkkk#ss.",
    "...#kkkkkkkk#...",
    ".ss#kkkkkkkk#ss.",
    "...#kkkkkkkk#...",
    "...##########...",
    "................",
    "................",
    "................",
]
PARCEL = [
    "................",
    "................",
    "..############..",
    "..#llllttllll#..",
    "..#llllttllll#..",
    "..############..",
    "..#bbbbttbbbb#..",
    "..#bbbbttbbbb#..",
    "..#bbbbttbbbb#..",
    "..#bbbbttbbbb#..",
    "..#bbbbttbbbb#..",
    "..#bbbbttbbbb#..",
    "..############..",
    "................",
    "................",
    "................",
]
WINDOW = [
    "................",
    "................",
    ".##############.",
    ".#cccccccccxcx#.",
    ".#cccccccccccc#.",
    ".##############.",
    ".#wwwwwwwwwwww#.",
    ".#wggggggwwwww#.",
    ".#wwwwwwwwwwww#.",
    ".#wggggwwwwwww#.",
    ".#wwwwww#####w#.",
    ".#wwwwww#fff#w#.",
    ".#wwwwww#####w#.",
    ".#wwwwwwwwwwww#.",
    ".##############.",
    "................",
]
PAGE = [
    "................",
    "...########.....",
    "...#wwwwww##....",
    "...#wwwwww#w#...",
    "...#wwwwww#ww#..",
    "...#wwwwww####..",
    "...#wbbbbwwww#..",
    "...#wwwwwwwww#..",
    "...#wbbbbbbbw#..",
    "...#wwwwwwwww#..",
    "...#wbbbbbbww#..",
    "...#wwwwwwwww#..",
    "...#wbbbbbwww#..",
    "...#wwwwwwwww#..",
    "...###########..",
    "................",
]
PLUS = [
    "................",
    "................",
    "................",
    "...#########....",
    "...#wwwwwww#....",
    "...#wwwkwww#....",
    "...#wwwkwww#....",
    "...#wkkkkkw#....",
    "...#wwwkwww#....",
    "...#wwwkwww#....",
    "...#wwwwwww#....",
    "...#########....",
    "................",
    "................",
    "................",
    "................",
]
MINUS = [row.replace("wwwkwww", "wwwwwww") for row in PLUS]


def error_sign(size=32, scale=4):
    """A red disk with a white cross, lighter towards the top left."""
    n = size * scale
    c = (n - 1) / 2.0
    radius = n / 2.0 - 1.5 * scale
    rim = 1.6 * scale
    arm = 1.8 * scale  # half the cross's stroke
    reach = radius * 0.52
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            inside = 0
            acc = [0.0, 0.0, 0.0]
            for sy in range(scale):
                for sx in range(scale):
                    px, py = x * scale + sx, y * scale + sy
                    dx, dy = px - c, py - c
                    d = math.hypot(dx, dy)
                    if d > radius:
                        continue
                    inside += 1
                    # distance from the two diagonals, within the cross's reach
                    u, v = (dx + dy) / math.sqrt(2), (dx - dy) / math.sqrt(2)
                    on_cross = (abs(u) <= arm and abs(v) <= reach) or (abs(v) <= arm and abs(u) <= reach)
                    if on_cross:
                        col = (255, 255, 255)
                    elif d > radius - rim:
                        col = (140, 16, 16)
                    else:
                        t = max(0.0, min(1.0, 0.5 + (dx + dy) / (4 * radius)))
                        col = (int(236 - 40 * t), int(72 - 52 * t), int(64 - 44 * t))
                    for i in range(3):
                        acc[i] += col[i]
            if inside * 2 >= scale * scale:
                row.append(tuple(int(round(a / inside)) for a in acc))
            else:
                row.append(KEY)
        out.append(row)
    return out


def main():
    write_bmp("ql_error.bmp", error_sign())
    write_bmp("ql_dll.bmp", from_art(CHIP, {"#": (20, 24, 32), "k": (64, 74, 96), "o": (140, 150, 172),
                                            "s": (168, 172, 180)}))
    write_bmp("ql_bpl.bmp", from_art(PARCEL, {"#": (112, 72, 32), "l": (226, 190, 140), "b": (196, 144, 86),
                                              "t": (244, 226, 160)}))
    write_bmp("ql_vcl.bmp", from_art(WINDOW, {"#": (40, 56, 96), "c": (0, 84, 166), "x": (255, 255, 255),
                                              "w": (255, 255, 255), "g": (176, 180, 190), "f": (212, 208, 200)}))
    write_bmp("ql_pas.bmp", from_art(PAGE, {"#": (96, 96, 96), "w": (255, 255, 255), "b": (0, 72, 172)}))
    signs = {"#": (128, 128, 128), "w": (255, 255, 255), "k": (0, 0, 0)}
    write_bmp("ql_plus.bmp", from_art(PLUS, signs))
    write_bmp("ql_minus.bmp", from_art(MINUS, signs))


if __name__ == "__main__":
    main()
