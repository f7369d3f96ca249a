#!/usr/bin/env python3
"""Draws the pictures of the Netvosk skin into resources/skin/ (24-bit BMP, magenta key).

    skinart.py [--out FOLDER]     write every picture (default: resources/skin beside us)
    skinart.py --check            compare the committed pictures with what we would draw

The definition resources/skin/netvosk.ini is kept by hand; the sizes it repeats are marked
in palette.py. Standard library only.
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree clean; the modules are tiny
from palette import *  # noqa: F401,F403 - the palette is this file's vocabulary
from raster import (MAGENTA, Pic, bitmap, bmp_bytes, coverage, mix, sd_circle, sd_round_rect,
                    sd_segment, shade, strip)

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN_DIR = os.path.normpath(os.path.join(HERE, '..', '..', 'resources', 'skin'))

# ---------------------------------------------------------------------------------------
# Window frame: one small model window, cut into the four border pictures so that their
# seams match. Rounded top corners are magenta outside the curve (the window region).

MODEL_MID = 8  # uniform middle of the Top picture
MODEL_W = BORDER + TOP_CAP + MODEL_MID + TOP_CAP + BORDER
MODEL_H = CAPTION_H + 4 + BORDER


def caption_colours(active):
    if active:
        return CAPTION_EDGE, CAPTION_SHINE, CAPTION_TOP, CAPTION_BOTTOM, CAPTION_RULE
    return IDLE_EDGE, IDLE_SHINE, IDLE_TOP, IDLE_BOTTOM, IDLE_RULE


def caption_row(active, y):
    """Colour of the caption band at row y, away from the window's edges."""
    edge, shine, top, bottom, rule = caption_colours(active)
    if y <= 0:
        return edge
    if y == 1:
        return shine
    if y >= CAPTION_H - 1:
        return rule
    return mix(top, bottom, (y - 2) / (CAPTION_H - 4))


def window_model(active):
    edge, shine, top, bottom, rule = caption_colours(active)
    w, h, r = MODEL_W, MODEL_H, CORNER_R
    client = (BORDER, CAPTION_H, w - BORDER, h - BORDER)

    def body(x, y):
        cx0, cy0, cx1, cy1 = client
        if cx0 <= x < cx1 and cy0 <= y < cy1:
            return FACE
        on_ring = (cx0 - 1 <= x <= cx1 and cy0 - 1 <= y <= cy1 and
                   (x in (cx0 - 1, cx1) or y in (cy0 - 1, cy1)))
        if on_ring:
            return rule
        if y < CAPTION_H - 1:
            c = caption_row(active, y)
            if x in (1, w - 2) and y > 1:  # a faint bevel down the caption's ends
                c = mix(c, shine, 0.3)
            return c
        return bottom

    m = Pic(w, h)
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            a_out = coverage(sd_round_rect(px, py, 0, 0, w, h, (r, r, 0, 0)))
            if a_out < 0.5:
                continue
            a_in = coverage(sd_round_rect(px, py, 1, 1, w - 1, h - 1, (r - 1, r - 1, 0, 0)))
            m.set(x, y, mix(edge, body(x, y), a_in))
    return m


def border_pictures():
    models = [window_model(True), window_model(False)]
    w, h = MODEL_W, MODEL_H
    left = strip([m.crop(0, 0, BORDER, h) for m in models])
    right = strip([m.crop(w - BORDER, 0, w, h) for m in models])
    top = strip([m.crop(BORDER, 0, w - BORDER, CAPTION_H) for m in models], stacked=True)
    bottom = strip([m.crop(BORDER, h - BORDER, BORDER + MODEL_MID, h) for m in models], stacked=True)
    return {'left.bmp': left, 'right.bmp': right, 'top.bmp': top, 'bottom.bmp': bottom}


def text_back():
    """A recessed plate behind the caption text: darker on the active band, lighter on the
    inactive one. Drawn with its caps fixed and the middle repeated."""
    frames = []
    for active in (True, False):
        w = 3 * TEXTBACK_CAP
        p = Pic(w, CAPTION_H)
        y0, y1 = 5, CAPTION_H - 5
        toward = CAPTION_EDGE if active else WHITE
        depth = 0.32 if active else 0.45

        def colour(x, y, active=active, toward=toward, depth=depth):
            row = caption_row(active, y)
            if y == y0:
                return mix(row, toward, depth + 0.18) if active else mix(row, IDLE_EDGE, 0.25)
            if y == y1 - 1:
                return mix(row, CAPTION_SHINE if active else WHITE, 0.35)
            return mix(row, toward, depth)

        under = lambda y, active=active: caption_row(active, y)
        p.shape(lambda px, py: sd_round_rect(px, py, 0, y0, w, y1, 4), colour, under)
        frames.append(p)
    return strip(frames, stacked=True)


# ---------------------------------------------------------------------------------------
# Caption buttons: four frames (normal, pressed, hot, inactive). Opaque rounded buttons
# whose corners are blended with the caption band behind them, so a repaint in any state
# covers the previous one completely.

def caption_button_frame(w, state, glyph, close=False):
    active = state != 'idle'
    fills = {
        'normal': (shade(CAPTION_TOP, 0.10), shade(CAPTION_BOTTOM, 0.06), (30, 84, 110)),
        'hot': ((128, 192, 218), (66, 140, 174), (24, 72, 96)),
        'down': ((32, 88, 116), (48, 112, 142), (16, 50, 68)),
        'idle': (shade(IDLE_TOP, 0.16), shade(IDLE_BOTTOM, 0.10), (136, 150, 162)),
    }
    if close and state == 'hot':
        fills['hot'] = ((236, 120, 106), CLOSE_HOT, (130, 36, 28))
    if close and state == 'down':
        fills['down'] = (CLOSE_DOWN, (186, 60, 50), (100, 26, 20))
    top, bottom, outline = fills[state]
    h = CAPTION_BTN_H
    p = Pic(w, h)
    under = lambda y: caption_row(active, CAPTION_BTN_Y + y)

    def colour(x, y):
        if y == 1 and state != 'down':
            return shade(top, 0.25)
        return mix(top, bottom, (y - 1) / (h - 3))

    p.outlined(lambda px, py: sd_round_rect(px, py, 0, 0, w, h, 3),
               lambda px, py: sd_round_rect(px, py, 1, 1, w - 1, h - 1, 2), outline, colour, under)
    ink = {'normal': WHITE, 'hot': WHITE, 'down': (214, 232, 240), 'idle': (84, 98, 110)}[state]
    shadow = None if state == 'idle' else shade(bottom, -0.35)
    glyph(p, w, h, ink, shadow)
    return p


def draw_glyph(p, sd, ink, shadow):
    if shadow:
        p.shape(lambda px, py: sd(px, py - 1), shadow)
    p.shape(sd, ink)


CROSS = {
    7: bitmap(['##...##', '###.###', '.#####.', '..###..', '.#####.', '###.###', '##...##']),
    6: bitmap(['##..##', '######', '.####.', '.####.', '######', '##..##']),
}


def glyph_close(p, w, h, ink, shadow, size=7):
    """Two-pixel diagonals drawn pixel by pixel: crisper than any smoothing at this size."""
    x0, y0 = (w - size) // 2, (h - size) // 2
    if shadow:
        for dx, dy in CROSS[size]:
            p.set(x0 + dx, y0 + dy + 1, shadow)
    for dx, dy in CROSS[size]:
        p.set(x0 + dx, y0 + dy, ink)


def box_sd(x0, y0, x1, y1, top=1):
    """A hollow box with a heavier top edge, as the window it stands for."""
    def sd(px, py):
        outer = sd_round_rect(px, py, x0, y0, x1, y1, 0)
        inner = sd_round_rect(px, py, x0 + 1, y0 + top, x1 - 1, y1 - 1, 0)
        return max(outer, -inner)
    return sd


def glyph_max(p, w, h, ink, shadow):
    x0, y0 = (w - 10) // 2, (h - 9) // 2
    draw_glyph(p, box_sd(x0, y0, x0 + 10, y0 + 9, 2), ink, shadow)


def glyph_restore(p, w, h, ink, shadow):
    x0, y0 = (w - 10) // 2, (h - 10) // 2
    back = box_sd(x0 + 3, y0, x0 + 10, y0 + 7, 2)
    front = box_sd(x0, y0 + 3, x0 + 7, y0 + 10, 2)
    front_area = lambda px, py: sd_round_rect(px, py, x0, y0 + 3, x0 + 7, y0 + 10, 0)
    # the back window shows only where the front one does not cover it
    draw_glyph(p, lambda px, py: min(max(back(px, py), -front_area(px, py)), front(px, py)), ink, shadow)


def glyph_min(p, w, h, ink, shadow):
    x0, y0 = (w - 8) // 2, h // 2 + 2
    draw_glyph(p, lambda px, py: sd_round_rect(px, py, x0, y0, x0 + 8, y0 + 2, 0), ink, shadow)


HELP = bitmap([
    '.####.',
    '##..##',
    '....##',
    '...##.',
    '..##..',
    '..##..',
    '......',
    '..##..',
    '..##..',
])


def glyph_help(p, w, h, ink, shadow):
    x0, y0 = (w - 6) // 2, (h - 9) // 2
    for dx, dy in HELP:
        if shadow:
            p.set(x0 + dx, y0 + dy + 1, shadow)
    for dx, dy in HELP:
        p.set(x0 + dx, y0 + dy, ink)


def caption_buttons():
    out = {}
    for name, w, glyph, close in (('closebtn.bmp', CLOSE_W, glyph_close, True),
                                  ('maxbtn.bmp', SYS_BTN_W, glyph_max, False),
                                  ('restorebtn.bmp', SYS_BTN_W, glyph_restore, False),
                                  ('minbtn.bmp', SYS_BTN_W, glyph_min, False),
                                  ('helpbtn.bmp', SYS_BTN_W, glyph_help, False)):
        out[name] = strip([caption_button_frame(w, s, glyph, close)
                           for s in ('normal', 'down', 'hot', 'idle')])
    return out


def mdi_controls():
    """Control buttons of a maximised child window in the menu bar: minimise, restore and
    close, four frames each (normal, pressed, hot, hot)."""
    w, h = 16, 14
    parts = []
    for glyph in (glyph_min, glyph_restore, lambda p, w, h, i, s: glyph_close(p, w, h, i, s, 6)):
        for state in ('normal', 'down', 'hot', 'hot'):
            p = face_box(w, h, 2, state, under=FACE)
            glyph(p, w, h, ACCENT_DARK if state != 'normal' else GLYPH, None)
            parts.append(p)
    return {'mdicontrols.bmp': strip(parts)}


# ---------------------------------------------------------------------------------------
# Faces of controls.

FACE_STATES = {
    # state: (outline, top fill, bottom fill, highlight row)
    'normal': ((138, 150, 164), WHITE, (226, 231, 236), True),
    'down': (ACCENT_DARK, ACCENT_PRESS, (214, 234, 244), False),
    'off': (LINE_SOFT, (245, 247, 248), (240, 242, 244), False),
    'hot': (ACCENT_SOFT, ACCENT_WASH, ACCENT_TINT, True),
    'focus': (ACCENT, WHITE, (226, 231, 236), True),
}


def face_box(w, h, r, state, under=FACE, box=None, vertical=True):
    """A rounded face with a one-pixel outline and a gradient fill; outside is magenta with
    the edge blended into `under`."""
    outline, top, bottom, shine = FACE_STATES[state]
    x0, y0, x1, y1 = box or (0, 0, w, h)
    p = Pic(w, h)
    span = (y1 - y0 - 3) if vertical else (x1 - x0 - 3)

    def colour(x, y):
        if shine and (y == y0 + 1 if vertical else x == x0 + 1):
            return WHITE
        t = ((y - y0 - 1) if vertical else (x - x0 - 1)) / max(span, 1)
        return mix(top, bottom, min(max(t, 0.0), 1.0))

    p.outlined(lambda px, py: sd_round_rect(px, py, x0, y0, x1, y1, r),
               lambda px, py: sd_round_rect(px, py, x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(r - 1, 0)),
               outline, colour, under)
    if state == 'focus':  # a light inner ring makes the focused button stand out
        ring = mix(ACCENT, WHITE, 0.62)
        for x in range(x0 + 2, x1 - 2):
            p.set(x, y0 + 1, ring)
            p.set(x, y1 - 2, ring)
        for y in range(y0 + 2, y1 - 2):
            p.set(x0 + 1, y, ring)
            p.set(x1 - 2, y, ring)
    return p


def push_button():
    # Frame order of the button painter: normal, pressed, disabled, hot, focused.
    states = ('normal', 'down', 'off', 'hot', 'focus')
    return {'button.bmp': strip([face_box(BUTTON_W, BUTTON_H, 3, s) for s in states])}


def check_mark(p, ink):
    def sd(px, py):
        return min(sd_segment(px, py, 3.3, 6.9, 5.6, 9.2, 0.95),
                   sd_segment(px, py, 5.6, 9.2, 9.9, 3.9, 0.95))
    p.shape(sd, ink)


MARK_FILLS = {
    'normal': ((130, 144, 158), (236, 240, 244), WHITE),
    'hot': (ACCENT_SOFT, ACCENT_TINT, ACCENT_WASH),
    'down': (ACCENT_DARK, ACCENT_PRESS, ACCENT_TINT),
    'off': (LINE_SOFT, (240, 242, 244), (246, 247, 248)),
}
MARK_ON = {
    'normal': (ACCENT_DARK, (62, 152, 192), (34, 112, 152)),
    'hot': (ACCENT, (88, 172, 208), (50, 134, 174)),
    'down': ((16, 64, 90), (30, 100, 136), (24, 86, 120)),
    'off': ((184, 192, 200), (206, 212, 218), (196, 203, 210)),
}


def mark_base(state, on, round_shape):
    outline, top, bottom = (MARK_ON if on else MARK_FILLS)[state]
    s = MARK
    p = Pic(s, s)
    if round_shape:
        outer = lambda px, py: sd_circle(px, py, s / 2, s / 2, s / 2)
        inner = lambda px, py: sd_circle(px, py, s / 2, s / 2, s / 2 - 1)
    else:
        outer = lambda px, py: sd_round_rect(px, py, 0, 0, s, s, 2)
        inner = lambda px, py: sd_round_rect(px, py, 1, 1, s - 1, s - 1, 1)
    p.outlined(outer, inner, outline, lambda x, y: mix(top, bottom, (y - 1) / (s - 3)), FACE)
    return p


def check_box():
    # 1-4 unchecked, 5-8 checked, 9-12 indeterminate; each normal, hot, pressed, disabled.
    frames = []
    for kind in ('off', 'on', 'mixed'):
        for state in ('normal', 'hot', 'down', 'off'):
            p = mark_base(state, kind == 'on', False)
            if kind == 'on':
                check_mark(p, WHITE if state != 'off' else (250, 251, 252))
            elif kind == 'mixed':
                ink = (MARK_ON[state][1] if state != 'off' else (190, 198, 206))
                p.shape(lambda px, py: sd_round_rect(px, py, 3, 3, 10, 10, 1), ink)
            frames.append(p)
    return {'check.bmp': strip(frames)}


def radio_button():
    # 1-4 unchecked, 5-8 checked; each normal, hot, pressed, disabled.
    frames = []
    for on in (False, True):
        for state in ('normal', 'hot', 'down', 'off'):
            p = mark_base(state, on, True)
            if on:
                p.shape(lambda px, py: sd_circle(px, py, MARK / 2, MARK / 2, 2.4),
                        WHITE if state != 'off' else (250, 251, 252))
            frames.append(p)
    return {'radio.bmp': strip(frames)}


# ---------------------------------------------------------------------------------------
# Scroll bars: 23 arrow and grip frames of SCROLL x SCROLL, tracks and thumbs.

TRACK = (230, 234, 238)
ARROW = bitmap(['...#...', '..###..', '.#####.', '#######'])


def arrow_points(direction):
    """Pixels of a 7 x 4 arrow (up, down, left, right) relative to its box."""
    pts = ARROW
    if direction == 'down':
        pts = [(x, 3 - y) for x, y in pts]
    elif direction == 'left':
        pts = [(y, x) for x, y in pts]
    elif direction == 'right':
        pts = [(3 - y, x) for x, y in pts]
    return pts


def put_arrow(p, direction, ink, cx=None, cy=None):
    w, h = (7, 4) if direction in ('up', 'down') else (4, 7)
    x0 = (p.w - w) // 2 if cx is None else cx
    y0 = (p.h - h) // 2 if cy is None else cy
    for dx, dy in arrow_points(direction):
        p.set(x0 + dx, y0 + dy, ink)


def scroll_arrow(direction, state):
    s = SCROLL
    p = Pic(s, s, TRACK)
    if state in ('hot', 'down'):
        box = face_box(s, s, 2, state, under=TRACK, box=(1, 1, s - 1, s - 1))
        p.paste(box, 0, 0)
    ink = {'normal': GLYPH, 'down': ACCENT_DARK, 'off': TEXT_OFF, 'hot': ACCENT_DARK}[state]
    put_arrow(p, direction, ink)
    return p


def grip(vertical_thumb, state):
    s = SCROLL
    p = Pic(s, s)
    ink = {'normal': (132, 146, 160), 'down': ACCENT_DARK, 'hot': ACCENT}[state]
    for i in (-2, 0, 2):
        for j in range(-3, 3):
            if vertical_thumb:
                p.set(s // 2 + j, s // 2 + i, ink)
            else:
                p.set(s // 2 + i, s // 2 + j, ink)
    return p


def scroll_pictures():
    frames = []
    for direction in ('left', 'right', 'up', 'down'):
        for state in ('normal', 'down', 'off', 'hot'):
            frames.append(scroll_arrow(direction, state))
    for vertical in (False, True):
        for state in ('normal', 'down', 'hot'):
            frames.append(grip(vertical, state))
    frames.append(Pic(SCROLL, SCROLL, FACE))  # 23: the corner between two bars
    tracks = [Pic(SCROLL, 8, c) for c in (TRACK, (220, 226, 232), (240, 242, 244), (225, 230, 235))]
    vthumbs = [face_box(SCROLL, 20, 4, s, under=TRACK, box=(3, 1, SCROLL - 3, 19), vertical=False)
               for s in ('normal', 'down', 'hot')]
    return {
        'scrollbar.bmp': strip(frames),
        'vscroll.bmp': strip(tracks),
        'hscroll.bmp': strip([t.transposed() for t in tracks]),
        'vthumb.bmp': strip(vthumbs),
        'hthumb.bmp': strip([t.transposed() for t in vthumbs]),
    }


# ---------------------------------------------------------------------------------------
# Combo box: the sunken edge around the edit, the drop-down button and the arrow glyphs.

def sunk_edge():
    frames = []
    for outline, inner in ((LINE, WHITE), (ACCENT_DARK, WHITE), (LINE_SOFT, (244, 246, 248)),
                           (ACCENT_SOFT, WHITE)):
        p = Pic(20, 21, inner)
        p.frame(0, 0, 20, 21, outline)
        frames.append(p)
    return {'sunkedge.bmp': strip(frames)}


def combo_button():
    """Sits inside the sunken edge: the edge's two right, top and bottom pixels show
    through. Frames: normal, pressed, disabled, hot."""
    frames = []
    looks = (((248, 250, 252), (230, 235, 240), LINE_SOFT), (ACCENT_PRESS, (210, 232, 243), ACCENT_DARK),
             ((244, 246, 248), (244, 246, 248), LINE_SOFT), (ACCENT_WASH, ACCENT_TINT, ACCENT_SOFT))
    for top, bottom, rule in looks:
        p = Pic(17, 21)
        p.vgradient(1, 2, 15, 19, top, bottom)
        p.fill(0, 2, 1, 19, rule)
        frames.append(p)
    return {'combobtn.bmp': strip(frames)}


def extra_images():
    """Frames 1-4: the combo arrow by state (normal, pressed, disabled, hot); 5: size grip."""
    frames = []
    for ink in (GLYPH, ACCENT_DARK, TEXT_OFF, ACCENT_DARK):
        p = Pic(12, 12)
        put_arrow(p, 'down', ink)
        frames.append(p)
    g = Pic(12, 12)
    for gx, gy in ((9, 9), (6, 9), (3, 9), (9, 6), (6, 6), (9, 3)):
        g.fill(gx + 1, gy + 1, gx + 3, gy + 3, WHITE)
        g.fill(gx, gy, gx + 2, gy + 2, (150, 162, 174))
    frames.append(g)
    return {'arrows.bmp': strip(frames)}


# ---------------------------------------------------------------------------------------
# Bars and containers.

def header_bar():
    frames = []
    looks = ((WHITE, (234, 238, 242), LINE_SOFT, 1), (ACCENT_WASH, ACCENT_TINT, ACCENT_SOFT, 2),
             (ACCENT_PRESS, (212, 232, 243), ACCENT, 2), ((244, 246, 248), (244, 246, 248), LINE_SOFT, 1),
             (ACCENT_TINT, (208, 230, 242), ACCENT, 2))
    for top, bottom, rule, rule_h in looks:
        p = Pic(20, 20)
        p.vgradient(0, 0, 20, 20 - rule_h, top, bottom)
        p.fill(0, 20 - rule_h, 20, 20, rule)
        p.fill(19, 3, 20, 20 - rule_h - 3, (206, 212, 220))
        frames.append(p)
    return {'header.bmp': strip(frames)}


def status_edges():
    frames = []
    for tl, br in ((LINE_SOFT, WHITE), (WHITE, LINE_SOFT), (FACE, FACE)):
        p = Pic(8, 8, FACE)
        p.fill(0, 0, 8, 1, tl)
        p.fill(0, 0, 1, 8, tl)
        p.fill(0, 7, 8, 8, br)
        p.fill(7, 0, 8, 8, br)
        frames.append(p)
    return {'statusedges.bmp': strip(frames)}


def tabs():
    """Tabs (normal, current, hot, disabled, focused) and the page border below them."""
    w, h = 24, 22
    frames = []
    for state in ('normal', 'current', 'hot', 'off', 'current'):
        outline = {'hot': ACCENT_SOFT, 'off': LINE_SOFT}.get(state, LINE)
        top, bottom = {'normal': ((246, 248, 250), FACE_DARK), 'current': (FACE, FACE),
                       'hot': (ACCENT_WASH, ACCENT_TINT), 'off': (FACE_DARK, FACE_DARK)}[state]
        p = Pic(w, h)
        p.outlined(lambda px, py: sd_round_rect(px, py, 0, 0, w, h + 4, (3, 3, 0, 0)),
                   lambda px, py: sd_round_rect(px, py, 1, 1, w - 1, h + 4, (2, 2, 0, 0)),
                   outline, lambda x, y: mix(top, bottom, y / (h - 1)), FACE)
        if state == 'current':
            p.fill(2, 1, w - 2, 3, ACCENT)
            p.fill(1, 2, w - 1, 3, ACCENT)
        frames.append(p)
    pane = Pic(12, 12, FACE)
    pane.frame(0, 0, 12, 12, LINE)
    return {'tabs.bmp': strip(frames), 'tabborder.bmp': pane, 'tabpane.bmp': pane}


def progress():
    outer = lambda px, py: sd_round_rect(px, py, 0, 0, 12, 14, 3)
    inner = lambda px, py: sd_round_rect(px, py, 1, 1, 11, 13, 2)
    trough = Pic(12, 14)
    trough.outlined(outer, inner, LINE, lambda x, y: mix((218, 224, 230), (242, 245, 248), (y - 1) / 11), FACE)
    fill = Pic(12, 14)
    fill.outlined(outer, inner, ACCENT_DARK,
                  lambda x, y: (160, 212, 232) if y == 1 else mix((104, 182, 214), (36, 124, 166), (y - 2) / 10),
                  FACE)
    chunk = Pic(8, 10)
    chunk.vgradient(0, 0, 6, 10, (104, 182, 214), (36, 124, 166))
    return {'progress.bmp': strip([trough, fill]), 'chunk.bmp': chunk}


def group_box():
    edges = []
    for outline in (LINE, LINE_SOFT):
        p = Pic(12, 12)
        p.shape(lambda px, py: max(sd_round_rect(px, py, 0, 0, 12, 12, 3),
                                   -sd_round_rect(px, py, 1, 1, 11, 11, 2)), outline, FACE)
        edges.append(p)
    label = Pic(30, 18)
    label.outlined(lambda px, py: sd_round_rect(px, py, 0, 0, 30, 18, 4),
                   lambda px, py: sd_round_rect(px, py, 1, 1, 29, 17, 3), LINE_SOFT,
                   lambda x, y: mix((246, 248, 250), FACE_DARK, y / 17), FACE)
    return {'groupedge.bmp': strip(edges), 'grouplabel.bmp': label}


def tool_bars():
    # normal and disabled are flat: the tool bar shows through.
    frames = [Pic(22, 22)]
    frames.append(face_box(22, 22, 3, 'down'))
    frames.append(Pic(22, 22))
    frames.append(face_box(22, 22, 3, 'hot'))
    frames.append(face_box(22, 22, 3, 'focus'))
    return {'toolbars.bmp': strip(frames)}


# ---------------------------------------------------------------------------------------
# Menus.

MENU = (252, 253, 254)


def menu_bar():
    """A light tint of the caption under it; the painter frames a hot item in white, which
    reads on this tint."""
    # 19 rows: the band is 19 (Wine) or 20 (Windows) high, and stretching 19 to 20 keeps
    # the bottom line, where shrinking 20 to 19 would drop it.
    active = Pic(12, 19)
    active.vgradient(0, 0, 12, 18, (216, 233, 241), (194, 217, 229))
    active.fill(0, 18, 12, 19, (150, 180, 196))
    idle = Pic(12, 19)
    idle.vgradient(0, 0, 12, 18, (228, 233, 237), (214, 220, 226))
    idle.fill(0, 18, 12, 19, LINE_SOFT)
    return {'menubar.bmp': strip([active, idle], stacked=True)}


def menu_item():
    """1 normal (transparent), 2 separator (drawn from its bottom rows), 3 unused,
    4 selected, 5 a lighter selection."""
    w, h = 20, 20
    normal = Pic(w, h)
    sep = Pic(w, h)
    sep.fill(2, h - 4, w - 2, h - 3, LINE_SOFT)
    outer = lambda px, py: sd_round_rect(px, py, 1, 0, w - 1, h, 2)
    inner = lambda px, py: sd_round_rect(px, py, 2, 1, w - 2, h - 1, 1)
    selected = Pic(w, h)
    selected.outlined(outer, inner, ACCENT_DARK,
                      lambda x, y: mix((52, 138, 180), (30, 102, 140), (y - 1) / (h - 3)), MENU)
    light = Pic(w, h)
    light.outlined(outer, inner, ACCENT_SOFT, ACCENT_TINT, MENU)
    return {'menuitem.bmp': strip([normal, sep, Pic(w, h), selected, light])}


def menu_background():
    p = Pic(24, 24, MENU)
    p.frame(0, 0, 24, 24, LINE)
    p.frame(1, 1, 23, 23, WHITE)
    return {'menubg.bmp': p}


def menu_glyphs():
    """System menu images (restore, maximise, minimise, close), 16 x 16 each on white, the
    image list's transparent colour. Not part of the skin archive."""
    out = []
    for glyph in (glyph_restore, glyph_max, glyph_min, lambda p, w, h, i, s: glyph_close(p, w, h, i, s, 7)):
        p = Pic(16, 16, WHITE)
        glyph(p, 16, 16, TEXT, None)
        out.append(p)
    return strip(out)


# ---------------------------------------------------------------------------------------
# Track bars and spin buttons.

def sd_convex(points):
    """Signed distance (approximate, exact near edges) of a convex polygon, clockwise in
    screen coordinates."""
    def sd(px, py):
        d = -1e9
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            length = (ex * ex + ey * ey) ** 0.5
            d = max(d, ((px - ax) * ey - (py - ay) * ex) / length)
        return d
    return sd


def thumb_frames(shape_sd, w, h):
    frames = []
    looks = (('normal', (112, 126, 140)), ('normal', (112, 126, 140)), ('hot', ACCENT),
             ('down', ACCENT_DARK), ('off', LINE_SOFT))
    for state, outline in looks:
        _, top, bottom, _ = FACE_STATES[state]
        p = Pic(w, h)
        p.outlined(shape_sd(0), shape_sd(1), outline, lambda x, y: mix(top, bottom, x / max(w - 1, 1)), FACE)
        frames.append(p)
    return strip(frames)


def track_pictures():
    w, h = 11, 21
    rect = lambda inset: (lambda px, py: sd_round_rect(px, py, inset, inset, w - inset, h - inset, max(2 - inset, 0)))
    pointed = lambda inset: sd_convex([(inset, inset), (w - inset, inset), (w - inset, h - 6),
                                       (w / 2, h - inset * 1.4), (inset, h - 6)])
    horz = thumb_frames(rect, w, h)
    down = thumb_frames(pointed, w, h)
    groove = Pic(20, 5, FACE)  # drawn opaque: its corners are laid on the face colour
    groove.outlined(lambda px, py: sd_round_rect(px, py, 0, 0, 20, 5, 2),
                    lambda px, py: sd_round_rect(px, py, 1, 1, 19, 4, 1), LINE, FACE_DARK)
    return {
        'thumbh.bmp': horz,
        'thumbv.bmp': per_frame(horz, 5, lambda f: f.transposed()),
        'thumbdown.bmp': down,
        'thumbup.bmp': per_frame(down, 5, lambda f: f.flipped()),
        'thumbright.bmp': per_frame(down, 5, lambda f: f.transposed()),
        'thumbleft.bmp': per_frame(down, 5, lambda f: f.transposed().mirrored()),
        'track.bmp': groove,
        'trackvert.bmp': groove.transposed(),
    }


def per_frame(pic, n, fn):
    fw = pic.w // n
    return strip([fn(pic.crop(i * fw, 0, (i + 1) * fw, pic.h)) for i in range(n)])


def up_down():
    """Spin buttons: frames 1-4 the first half (up or left), 5-8 the second; each normal,
    pressed, disabled, hot. The glyph strips have the same frames."""
    w, h = 16, 10
    halves = []
    for first in (True, False):
        for state in ('normal', 'down', 'off', 'hot'):
            r = (2, 2, 0, 0) if first else (0, 0, 2, 2)
            # one line between the halves: the first half's bottom edge
            box = (0, 0, w, h) if first else (0, -1, w, h)
            p = face_box(w, h, 0, state, under=WHITE, box=box)
            # round the outer corners only
            corner = Pic(w, h)
            corner.shape(lambda px, py: sd_round_rect(px, py, box[0], box[1], box[2], box[3], r), (0, 0, 0))
            for y in range(h):
                for x in range(w):
                    if corner.get(x, y) == MAGENTA:
                        p.set(x, y, MAGENTA)
            halves.append(p)
    glyphs_v, glyphs_h = [], []
    for direction_v, direction_h in (('up', 'left'), ('down', 'right')):
        for ink in (GLYPH, ACCENT_DARK, TEXT_OFF, ACCENT_DARK):
            g = Pic(7, 4)
            put_arrow(g, direction_v, ink, 0, 0)
            glyphs_v.append(g)
            gh = Pic(4, 7)
            put_arrow(gh, direction_h, ink, 0, 0)
            glyphs_h.append(gh)
    vert = strip(halves)
    horz = strip([f.transposed() for f in halves])
    return {'updownv.bmp': vert, 'updownh.bmp': horz,
            'updownvglyph.bmp': strip(glyphs_v), 'updownhglyph.bmp': strip(glyphs_h)}


# ---------------------------------------------------------------------------------------

def all_pictures():
    pictures = {}
    for part in (border_pictures, lambda: {'textback.bmp': text_back()}, caption_buttons,
                 mdi_controls, push_button, check_box, radio_button, scroll_pictures, sunk_edge,
                 combo_button, extra_images, header_bar, status_edges, tabs, progress, group_box,
                 tool_bars, menu_bar, menu_item, menu_background, track_pictures, up_down):
        pictures.update(part())
    return pictures


def outputs(folder):
    files = {os.path.join(folder, name): bmp_bytes(pic) for name, pic in all_pictures().items()}
    files[os.path.join(folder, 'menu-glyphs', 'menuglyphs.bmp')] = bmp_bytes(menu_glyphs())
    return files


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--out', default=SKIN_DIR, help='folder to write (default: %(default)s)')
    ap.add_argument('--check', action='store_true', help='compare instead of writing')
    args = ap.parse_args()
    files = outputs(args.out)
    if args.check:
        stale = []
        for path, data in sorted(files.items()):
            try:
                with open(path, 'rb') as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(os.path.relpath(path, args.out))
        if stale:
            print('pictures differ from the generator: ' + ', '.join(stale), file=sys.stderr)
            return 1
        print('%d pictures match the generator' % len(files))
        return 0
    for path, data in files.items():
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    print('wrote %d pictures to %s' % (len(files), args.out))
    return 0


if __name__ == '__main__':
    sys.exit(main())
