#!/usr/bin/env python3
"""Checks of the skin picture toolkit: crisp edges, the key colour, frame strips, BMP rows."""
import os
import struct
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import MAGENTA, Pic, bmp_bytes, sd_round_rect, strip  # noqa: E402

RED, BLUE, GREY = (255, 0, 0), (0, 0, 255), (128, 128, 128)


class Edges(unittest.TestCase):
    def test_straight_edges_on_whole_pixels_are_crisp(self):
        p = Pic(10, 8)
        p.outlined(lambda x, y: sd_round_rect(x, y, 0, 0, 10, 8, 3),
                   lambda x, y: sd_round_rect(x, y, 1, 1, 9, 7, 2), RED, BLUE)
        self.assertEqual(p.get(5, 0), RED)     # outline row
        self.assertEqual(p.get(0, 4), RED)     # outline column
        self.assertEqual(p.get(5, 1), BLUE)    # first row inside
        self.assertEqual(p.get(5, 4), BLUE)

    def test_curve_edges_blend_into_the_known_background_or_key(self):
        keyed = Pic(10, 10)
        keyed.shape(lambda x, y: sd_round_rect(x, y, 0, 0, 10, 10, 5), RED)
        on_grey = Pic(10, 10)
        on_grey.shape(lambda x, y: sd_round_rect(x, y, 0, 0, 10, 10, 5), RED, GREY)
        self.assertEqual(keyed.get(0, 0), MAGENTA)
        # Partly covered pixels are either key or full colour without a background ...
        self.assertTrue(all(keyed.get(x, 1) in (MAGENTA, RED) for x in range(10)))
        # ... and mixed with it when it is known: no pink fringe either way.
        mixed = [on_grey.get(x, 1) for x in range(10) if on_grey.get(x, 1) not in (MAGENTA, RED)]
        self.assertTrue(mixed)
        self.assertTrue(all(c[1] > 0 for c in mixed))


class Strips(unittest.TestCase):
    def test_frames_side_by_side_and_stacked(self):
        a, b = Pic(3, 2, RED), Pic(3, 2, BLUE)
        row, col = strip([a, b]), strip([a, b], stacked=True)
        self.assertEqual((row.w, row.h, row.get(2, 0), row.get(3, 0)), (6, 2, RED, BLUE))
        self.assertEqual((col.w, col.h, col.get(0, 1), col.get(0, 2)), (3, 4, RED, BLUE))
        with self.assertRaises(AssertionError):
            strip([a, Pic(2, 2)])


class Bmp(unittest.TestCase):
    def test_rows_bottom_up_padded_to_four_bytes(self):
        p = Pic(3, 2, GREY)
        p.set(0, 0, RED)   # top left
        p.set(2, 1, BLUE)  # bottom right
        data = bmp_bytes(p)
        off, = struct.unpack('<I', data[10:14])
        w, h, planes, bpp = struct.unpack('<iiHH', data[18:30])
        self.assertEqual((w, h, planes, bpp), (3, 2, 1, 24))
        self.assertEqual(len(data), off + 2 * 12)  # 9 bytes a row, padded to 12
        bottom, top = data[off:off + 12], data[off + 12:off + 24]
        self.assertEqual(top[0:3], bytes((0, 0, 255)))   # B, G, R of red
        self.assertEqual(bottom[6:9], bytes((255, 0, 0)))  # blue
        self.assertEqual(top[9:12], b'\0\0\0')


if __name__ == '__main__':
    unittest.main()
