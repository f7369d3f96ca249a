#!/usr/bin/env python3
"""Writes the synthetic sample skin in sample/: a definition covering the skin vocabulary and
small BMP pictures (24-bit, some 8-bit and 32-bit) whose sizes match their frame counts."""
import os, struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'sample')
MAGENTA = (255, 0, 255)

def bmp(w, h, fn, bpp=24):
    """fn(x, y) -> (r, g, b); y = 0 is the top row. Written bottom-up."""
    rows = []
    palette = []
    if bpp == 8:
        index = {}
        for y in range(h):
            for x in range(w):
                c = fn(x, y)
                if c not in index:
                    index[c] = len(palette)
                    palette.append(c)
        assert len(palette) <= 256
    for y in range(h - 1, -1, -1):
        if bpp == 24:
            row = b''.join(bytes((b, g, r)) for r, g, b in (fn(x, y) for x in range(w)))
        elif bpp == 32:
            row = b''.join(bytes((b, g, r, 255)) for r, g, b in (fn(x, y) for x in range(w)))
        else:
            row = bytes(index[fn(x, y)] for x in range(w))
        rows.append(row + b'\0' * ((-len(row)) % 4))
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    pixels = b''.join(rows)
    off = 54 + len(pal)
    return (struct.pack('<2sIHHI', b'BM', off + len(pixels), 0, 0, off) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, len(pixels), 2835, 2835,
                        len(palette), 0) + pal + pixels)

def frames(n, fw, h, base, key_corners=False):
    """n frames side by side, each a bordered box whose shade grows with the frame number."""
    def fn(x, y):
        f, fx = divmod(x, fw)
        if key_corners and (fx, y) in ((0, 0), (fw - 1, 0), (0, h - 1), (fw - 1, h - 1)):
            return MAGENTA
        if fx == 0 or y == 0 or fx == fw - 1 or y == h - 1:
            return (40, 40, 60)
        r, g, b = base
        return (min(255, r + 12 * f), min(255, g + 12 * f), min(255, b + 12 * f))
    return n * fw, h, fn

PICTURES = {
    # name: (frames, frame width, height, base colour, bpp)
    'top.bmp': (2, 60, 26, (40, 90, 170), 24),
    'bottom.bmp': (2, 40, 4, (40, 90, 170), 24),
    'left.bmp': (2, 4, 30, (40, 90, 170), 24),
    'right.bmp': (2, 4, 30, (40, 90, 170), 24),
    'textback.bmp': (2, 30, 20, (60, 110, 190), 24),
    'menubar.bmp': (2, 20, 20, (220, 224, 232), 8),
    'closebtn.bmp': (3, 18, 18, (200, 60, 60), 24),
    'maxbtn.bmp': (3, 18, 18, (80, 120, 200), 24),
    'minbtn.bmp': (6, 18, 18, (80, 120, 200), 24),
    'helpbtn.bmp': (3, 18, 18, (80, 160, 80), 24),
    'mdicontrols.bmp': (12, 10, 10, (120, 120, 140), 24),
    'button.bmp': (5, 24, 22, (210, 214, 222), 24),
    'check.bmp': (8, 13, 13, (250, 250, 250), 24),
    'radio.bmp': (8, 16, 16, (250, 250, 250), 24),
    'progress.bmp': (2, 12, 14, (230, 230, 236), 24),
    'chunk.bmp': (1, 8, 10, (60, 180, 90), 24),
    'groupedge.bmp': (2, 12, 12, (200, 204, 212), 24),
    'grouplabel.bmp': (1, 30, 18, (190, 200, 220), 24),
    'tabs.bmp': (5, 30, 22, (214, 218, 226), 24),
    'tabborder.bmp': (1, 10, 10, (150, 150, 170), 24),
    'statusedges.bmp': (3, 8, 20, (210, 210, 216), 24),
    'tabpane.bmp': (1, 16, 16, (240, 240, 244), 24),
    'toolbars.bmp': (5, 22, 22, (222, 226, 232), 24),
    'combobtn.bmp': (4, 17, 21, (180, 190, 210), 24),
    'sunkedge.bmp': (4, 20, 21, (255, 255, 255), 24),
    'arrows.bmp': (5, 9, 9, (60, 60, 80), 24),
    'header.bmp': (5, 20, 20, (228, 230, 236), 24),
    'menuitem.bmp': (5, 20, 20, (180, 200, 240), 24),
    'menubg.bmp': (1, 24, 24, (250, 250, 252), 32),
    'scrollbar.bmp': (23, 16, 16, (200, 206, 218), 24),
    'hscroll.bmp': (4, 16, 16, (236, 236, 240), 24),
    'vscroll.bmp': (4, 16, 16, (236, 236, 240), 24),
    'hthumb.bmp': (3, 16, 16, (170, 180, 200), 24),
    'vthumb.bmp': (4, 16, 16, (170, 180, 200), 24),
    'thumbh.bmp': (5, 11, 20, (90, 120, 200), 24),
    'thumbv.bmp': (5, 20, 11, (90, 120, 200), 24),
    'updownh.bmp': (8, 16, 10, (200, 206, 218), 24),
    'updownv.bmp': (8, 16, 10, (200, 206, 218), 24),
    'glyph.bmp': (1, 8, 8, (0, 0, 0), 24),
    'track.bmp': (1, 20, 8, (150, 150, 160), 24),
}

DEFINITION = r"""; Sample skin: every element of the skin vocabulary, small pictures.
[TitlebarSkin]
SkinName = Netvosk Sample

[Personality]
Top=top.bmp
TopTopHeight=6
TopBotHeight=8
TopFrame=2
TopStretch=0
TopTrans=0
Bottom = skins\sample\bottom.bmp
BottomTopHeight = 5
BottomBotHeight = 5
BottomFrame = 2
Left=left.bmp
LeftTopHeight=10
LeftBotHeight=12
LeftFrame=2
LeftStretch=3
Right=right.bmp
RightTopHeight=10
RightBotHeight=12
RightFrame=2
TextBack=textback.bmp
TextShift=24
TextShiftVert=4
TextRightClip=80
TextAlignment=1
Textbackground=2
TXTBackleft=6
TXTBackRight=7
ActiveTextR=255
ActiveTextG=255
ActiveTextB=255
InActiveTextR=200
InActiveTextG=200
menuBar=menubar.bmp
TileMenu=0
TileLeftMenu=3
TileRightMenu=4

[Fonts]
FontHeight=13

[Colours]
WindowText=0 0 0
ButtonFace=236 233 216
ButtonText=16,32,48
Hilight=49 106 197
HilightText=255 255 255
Menu = 252 252 252
MenuText = 0 0 0
MenuBarText = 10 20 30
TitleTextActive = 255 255 255
TitleTextNoActive = 216 228 248

[Colour1]
color=255 0 0

[Colour2]
color=0,128,0

[Customcolors]
Color0=1 2 3
Color9=250 251 252

[ButtonClose]
ButtonImage=closebtn.bmp
Action=0
Align=1
Xcoord=22
Ycoord=5

[ButtonMax]
ButtonImage=maxbtn.bmp
Action=1
Align=1
Xcoord=42
Ycoord=5
CombineOp=2

[ButtonMin]
ButtonImage=minbtn.bmp
Action=2
Align=1
Xcoord=62
Ycoord=5

[ButtonHelp]
ButtonImage=helpbtn.bmp
Action=-1
Visibility=0
Xcoord=82
Ycoord=5

[ButtonHidden]
ButtonImage=helpbtn.bmp
Action=-1

[MDICONTROLS]
Image=mdicontrols.bmp

[Buttons]
Bitmap=button.bmp
CheckButton=check.bmp
RadioButton=radio.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Trans=1
Tile=2
NormalColour=1
NormalColour2=1 2 3
PressedColour2=4,5,6

[Progress]
Bitmap=progress.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Tile=5

[Progress.Chunk]
Image=chunk.bmp
Frame=1

[GroupBoxEdge]
Image=groupedge.bmp
LeftWidth=5
RightWidth=5
TopHeight=5
BottomHeight=5

[GroupBox]
Image=grouplabel.bmp
LeftWidth=6
RightWidth=6
BackgroundAlignment=1
BackgroundLeftShift=4
BackgroundRightShift=5

[Tabs]
Image=tabs.bmp
Border=tabborder.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=2

[StatusBarEdges]
Image=statusedges.bmp
LeftWidth=3
RightWidth=3

[Tab.Pane]
Image=tabpane.bmp
LeftWidth=6
RightWidth=2
TopHeight=5
BottomHeight=4

[ToolBars]
Image=toolbars.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1

[ComboButton]
Image=combobtn.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[SunkEdge]
Image=sunkedge.bmp
LeftWidth=2
RightWidth=2
TopHeight=2
BottomHeight=2

[ExtraImages]
Image=arrows.bmp
Trans=1

[Headerbar]
Image=header.bmp
LeftWidth=3
RightWidth=3

[MenuItem]
Image=menuitem.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
NormalColour2=0 0 0
MouseOverColour2=255 255 255

[MenuBackground]
Image=menubg.bmp

[Scrollbar]
Image=scrollbar.bmp
Trans=1

[HorzScroll]
Image=hscroll.bmp
LeftWidth=2
RightWidth=2

[VertScroll]
Image=vscroll.bmp
TopHeight=2
BottomHeight=2

[HorzScrollThumb]
Image=hthumb.bmp
LeftWidth=4
RightWidth=4

[VertScrollThumb]
Image=vthumb.bmp
TopHeight=4
BottomHeight=4
FrameCount=0x4

[Trackbar.ThumbHorz]
Image=thumbh.bmp
Trans=1

[Trackbar.ThumbVert]
Image=thumbv.bmp
Trans=1

[Trackbar.ThumbLeft]
Image=thumbv.bmp

[Trackbar.ThumbRight]
Image=thumbv.bmp

[Trackbar.ThumbUp]
Image=thumbh.bmp

[Trackbar.ThumbDown]
Image=thumbh.bmp

[UpDown.Horz]
Image=updownh.bmp
GlyphImage=glyph.bmp

[UpDown.Vert]
Image=updownv.bmp
GlyphImage=glyph.bmp

[Track]
Image=track.bmp
LeftWidth=4
RightWidth=4
TopHeight=2
BottomHeight=2
Frame=1
"""

def main():
    os.makedirs(HERE, exist_ok=True)
    for name, (n, fw, h, base, bpp) in PICTURES.items():
        w, hh, fn = frames(n, fw, h, base, key_corners=name.startswith('thumb'))
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(bmp(w, hh, fn, bpp))
    with open(os.path.join(HERE, 'sample.ini'), 'wb') as f:
        f.write(DEFINITION.replace('\n', '\r\n').encode('ascii'))

if __name__ == '__main__':
    main()
