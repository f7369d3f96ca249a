#!/usr/bin/env python3
"""Writes menuglyphs.bmp: the four 16 x 16 glyphs of the skinned system menu, side by side
(restore, maximise, minimise, close), black on white; white is their transparent colour."""
import os, struct

W, H = 16, 16

def restore(x, y):
    back = 6 <= x <= 13 and 2 <= y <= 9 and (y in (2, 3) or x in (6, 13) or y == 9)
    front = 2 <= x <= 9 and 6 <= y <= 13 and (y in (6, 7) or x in (2, 9) or y == 13)
    # The front window hides the back one where they overlap.
    return front or (back and not (2 <= x <= 9 and 6 <= y <= 13))

def maximise(x, y):
    return 3 <= x <= 12 and 3 <= y <= 12 and (y in (3, 4) or x in (3, 12) or y == 12)

def minimise(x, y):
    return 4 <= x <= 11 and y in (11, 12)

def close(x, y):
    return 4 <= y <= 11 and (x - y in (0, 1) or x + y in (15, 16))

GLYPHS = [restore, maximise, minimise, close]

def pixel(x, y):
    g, gx = divmod(x, W)
    return (0, 0, 0) if GLYPHS[g](gx, y) else (255, 255, 255)

def bmp(w, h, fn):
    rows = []
    for y in range(h - 1, -1, -1):
        row = b''.join(bytes((b, g, r)) for r, g, b in (fn(x, y) for x in range(w)))
        rows.append(row + b'\0' * ((-len(row)) % 4))
    pixels = b''.join(rows)
    return (struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)

if __name__ == '__main__':
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'menuglyphs.bmp')
    with open(out, 'wb') as f:
        f.write(bmp(W * len(GLYPHS), H, pixel))
    for y in range(H):
        print(''.join('#' if pixel(x, y) == (0, 0, 0) else '.' for x in range(W * len(GLYPHS))))
