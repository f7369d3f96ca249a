// The geometry of a skinned frame that needs no system: the frame pieces' rectangles, the
// window size that keeps a client area, the caption text box, and where the caption
// buttons go and whether they show. The Windows frame gathers the facts and asks these.
#pragma once

#include <functional>

#include "skin/data/bitmap_routines.h"
#include "skin/forms/frame_metrics.h"

// ---- Frame pieces ----
// The four border pieces of a W x H window, window coordinates.
struct TFramePieces {
  TSkinRect Left, Right, Bottom, Top, Menu;
};
// Left (0, 0, BorderLeft, H), right, bottom (between the sides) and the caption band's top
// piece (between the sides); the menu band under the caption.
TFramePieces FramePieceRects(int width, int height, const TFrameMetrics& m);

// ---- Keeping the client area ----
struct TSkinnedSize {
  int Width = 0, Height = 0;
};
// Client + BorderLeft + BorderRight by client + CaptionHeight + BorderBottom + MenuHeight.
TSkinnedSize SkinnedWindowSize(int clientWidth, int clientHeight, const TFrameMetrics& m);
// A system dialog is widened so that its caption text fits: when textShift + textWidth +
// textRightClip exceeds width, that is the new width and the children move right by half
// the difference. Shift 0 when it fits.
struct TDialogWidening {
  int Width = 0;
  int ChildShift = 0;
};
TDialogWidening WidenForCaption(int width, int textShift, int textWidth, int textRightClip);

// ---- Caption text ----
// What places the caption text box in the caption rectangle.
struct TCaptionTextFacts {
  TSkinRect Caption;            // the caption rectangle (window coordinates)
  int TextWidth = 0, TextHeight = 0;  // the measured text (prefix and suffix included)
  int Alignment = 0;            // Title TextAlignment: 0 left, 1 centre, 2 right
  int TextShift = 0, TextShiftVert = 0, TextRightClip = 0;
  int TxtBackLeft = 0, TxtBackRight = 0;
  bool RightToLeft = false;
  bool Popup = false;           // WS_POPUP: clipped at the right-aligned buttons instead
  int RightButtonsLeft = 0;
  int BorderKind = bkFixed;
};
struct TCaptionTextBox {
  TSkinRect Box;     // TextRect
  int TextTop = 0;   // top of the text line
  TSkinRect Text;    // where the text itself is drawn (the box less the plate's caps)
};
TCaptionTextBox CaptionTextBox(const TCaptionTextFacts& f);

// ---- Caption buttons ----
// The window's facts that the visibility codes read.
struct TButtonFacts {
  bool Maximized = false;
  bool Active = true;
  bool MinimizeBox = false, MaximizeBox = false, SystemMenu = false;
  bool ChildMaximizedInBar = false;  // MDI frame with a maximised child and a skinned bar
  int BorderKind = bkFixed;
  bool SystemDialog = false;
  // Asked for codes 1000..2000 of the first condition: the window's answer to the
  // button-visible query (code, action); above 0 shows the button.
  std::function<long(int code, int action)> AskWindow;
};
// Both conditions hold: first = Visibility, second = Visibility1.
bool ButtonConditionsHold(int visibility, int visibility1, int action, const TButtonFacts& f);
// The conditions, then the action's own rule: close needs the system menu, the icon
// buttons do not show on a dialog border.
bool ButtonVisible(int visibility, int visibility1, int action, const TButtonFacts& f);
// Maximise needs the maximise box and the system menu, minimise the minimise box and the
// system menu; the rest are always enabled.
bool ButtonEnabled(int action, const TButtonFacts& f);
inline bool IsIconAction(int action) { return action == 3 || action == 11 || action == 12; }

struct TButtonPlaceFacts {
  int WindowWidth = 0;
  TSkinRect TextRect;
  TFrameMetrics Metrics;
  int MenuTileLeft = 0;  // the menu bar object's TileLeftMenu
  bool RightToLeft = false;
};
// Bounds of a button of the given size by its Align: 0 at (x, y); 1 at (W - x, y); 2 and 8
// ending x left of the text box; 3 and 9 starting x right of it; 100 in the menu band.
TSkinRect PlaceButton(int align, int x, int y, int width, int height, const TButtonPlaceFacts& f);
