"""Colours and sizes of the Netvosk skin. The sizes marked "ini" are repeated in
resources/skin/netvosk.ini (margins, positions); change both together."""

# ---- palette ----
# Caption band, active: petrol blue, lighter at the top.
CAPTION_EDGE = (22, 66, 88)         # outer one-pixel outline of the window
CAPTION_SHINE = (132, 190, 212)     # highlight line under the outline
CAPTION_TOP = (84, 150, 180)
CAPTION_BOTTOM = (38, 102, 132)     # also the side and bottom borders
CAPTION_RULE = (26, 76, 100)        # line framing the client area

# Caption band, inactive: the same shape in blue-grey.
IDLE_EDGE = (110, 124, 136)
IDLE_SHINE = (214, 222, 228)
IDLE_TOP = (186, 198, 208)
IDLE_BOTTOM = (150, 166, 178)
IDLE_RULE = (124, 138, 150)

TITLE_TEXT = (255, 255, 255)
TITLE_TEXT_IDLE = (244, 247, 250)

# Faces and lines.
FACE = (238, 241, 244)              # ButtonFace: client areas, panels
FACE_DARK = (226, 231, 236)         # tracks, inactive tabs, troughs
WHITE = (255, 255, 255)
LINE = (150, 162, 174)              # ButtonShadow: control outlines, group boxes
LINE_SOFT = (196, 204, 212)         # separators, disabled outlines
LINE_DARK = (96, 108, 120)          # ButtonDkShadow
LIGHT = (228, 232, 236)             # Buttonlight
TEXT = (28, 36, 46)                 # ButtonText, MenuText
TEXT_SOFT = (70, 82, 94)            # status bar, inactive tabs
TEXT_OFF = (150, 160, 170)          # disabled glyphs
GLYPH = (74, 88, 102)               # arrows and marks

# Accent: hot, pressed, focused and selected states.
ACCENT = (34, 118, 160)             # Hilight, focus outline, marks
ACCENT_DARK = (24, 92, 128)         # pressed outline
ACCENT_SOFT = (96, 166, 200)        # hot outline
ACCENT_TINT = (212, 234, 247)       # hot face, bottom
ACCENT_WASH = (240, 248, 253)       # hot face, top
ACCENT_PRESS = (196, 224, 238)      # pressed face
ACCENT_TEXT_HOT = (18, 72, 102)
ACCENT_TEXT_DOWN = (12, 54, 78)

CLOSE_HOT = (214, 72, 60)           # caption close button under the mouse
CLOSE_DOWN = (164, 44, 36)

# ---- sizes ----
CAPTION_H = 26          # ini: LeftTopHeight / RightTopHeight; the Top frame height
BORDER = 4              # Left/Right frame width, Bottom frame height
CORNER_R = 8            # top corners of the window
TOP_CAP = 6             # ini: TopTopHeight / TopBotHeight
CAPTION_BTN_Y = 4       # ini: Ycoord of the caption buttons
CAPTION_BTN_H = 18
CLOSE_W = 24
SYS_BTN_W = 20
TEXTBACK_CAP = 8        # ini: TXTBackleft / TXTBackRight

BUTTON_W, BUTTON_H, BUTTON_M = 20, 24, 4    # ini: Buttons margins 4
MARK = 13                                   # check box and radio frames
SCROLL = 17                                 # scroll arrow squares and bar breadth
