#include "skin/forms/frame_layout.h"

#include <algorithm>

TFramePieces FramePieceRects(int w, int h, const TFrameMetrics& m) {
  TFramePieces p;
  p.Left = {0, 0, m.BorderLeft, h};
  p.Right = {w - m.BorderRight, 0, w, h};
  p.Bottom = {m.BorderLeft, h - m.BorderBottom, w - m.BorderRight, h};
  p.Top = {m.BorderLeft, 0, w - m.BorderRight, m.CaptionHeight};
  p.Menu = {m.BorderLeft, m.CaptionHeight, w - m.BorderRight, m.CaptionHeight + m.MenuHeight};
  return p;
}

TSkinnedSize SkinnedWindowSize(int cw, int ch, const TFrameMetrics& m) {
  return {cw + m.BorderLeft + m.BorderRight, ch + m.CaptionHeight + m.BorderBottom + m.MenuHeight};
}

TDialogWidening WidenForCaption(int width, int textShift, int textWidth, int textRightClip) {
  const int wanted = textShift + textWidth + textRightClip;
  if (wanted <= width) return {width, 0};
  return {wanted, (wanted - width) / 2};
}

TCaptionTextBox CaptionTextBox(const TCaptionTextFacts& f) {
  const TSkinRect& c = f.Caption;
  const int boxWidth = f.TxtBackLeft + f.TextWidth + f.TxtBackRight;
  const int alignment = f.RightToLeft ? 2 : f.Alignment;
  int left;
  switch (alignment) {
    case 0: left = c.Left + f.TextShift; break;
    case 1: left = c.Left + (c.Width() - boxWidth) / 2; break;
    case 2: left = c.Right - f.TextRightClip - boxWidth; break;
    default: left = c.Left; break;
  }
  TSkinRect box{left, c.Top, left + boxWidth, c.Bottom};
  if (f.Popup) {
    if (f.RightButtonsLeft > 5 && f.RightButtonsLeft - 5 < box.Right) box.Right = f.RightButtonsLeft - 5;
  } else {
    box.Right = std::min(box.Right, c.Right - f.TextRightClip);
  }
  // A dialog border has no icon button; its text takes the icon's place.
  if (f.BorderKind == bkDialog && alignment == 0) box.Left -= 16;
  TCaptionTextBox r;
  r.Box = box;
  r.TextTop = c.Top + (c.Height() - f.TextHeight) / 2 + f.TextShiftVert / 2;
  r.Text = {box.Left + f.TxtBackLeft, r.TextTop, box.Right - f.TxtBackRight, r.TextTop + f.TextHeight};
  return r;
}

namespace {

bool ConditionHolds(int code, bool first, int action, const TButtonFacts& f) {
  switch (code) {
    case 0: return true;
    case 1: return f.Maximized;
    case 2: return !f.Maximized;
    case 3: return f.Active;
    case 4: return !f.Active;
    case 6:
    case 8: return (f.MinimizeBox || f.MaximizeBox) && (!first || f.SystemMenu);
    case 7: return !f.MaximizeBox;
    case 9: return !f.MinimizeBox;
    case 100: return f.ChildMaximizedInBar;
    case 200: return f.BorderKind == bkDialog && !f.SystemDialog;
    case -1: return false;  // a first condition of -1 is read as "never" too
    default: break;
  }
  if (code >= 201 && code <= 999) return true;
  if (code >= 1000 && code <= 2000) return !first || (f.AskWindow && f.AskWindow(code, action) > 0);
  return false;
}

}  // namespace

bool ButtonConditionsHold(int visibility, int visibility1, int action, const TButtonFacts& f) {
  return ConditionHolds(visibility, true, action, f) && ConditionHolds(visibility1, false, action, f);
}

bool ButtonVisible(int visibility, int visibility1, int action, const TButtonFacts& f) {
  if (!ButtonConditionsHold(visibility, visibility1, action, f)) return false;
  if (action == 0 && !f.SystemMenu) return false;
  if (IsIconAction(action) && f.BorderKind == bkDialog) return false;
  return true;
}

bool ButtonEnabled(int action, const TButtonFacts& f) {
  if (action == 1) return f.MaximizeBox && f.SystemMenu;
  if (action == 2) return f.MinimizeBox && f.SystemMenu;
  return true;
}

TSkinRect PlaceButton(int align, int x, int y, int w, int h, const TButtonPlaceFacts& f) {
  int left = 0, top = 0;
  switch (align) {
    case 0: left = x; top = y; break;
    case 1: left = f.WindowWidth - x; top = y; break;
    case 2:
    case 8: left = f.TextRect.Left - x - w; top = y; break;
    case 3:
    case 9: left = f.TextRect.Right + x; top = y; break;
    case 100: {
      const TFrameMetrics& m = f.Metrics;
      top = m.CaptionHeight + (m.MenuHeight - h) / 2;
      left = f.RightToLeft ? m.BorderLeft + f.MenuTileLeft + x
                           : f.WindowWidth - m.BorderRight - f.MenuTileLeft - x;
      break;
    }
    default: break;
  }
  return {left, top, left + w, top + h};
}
