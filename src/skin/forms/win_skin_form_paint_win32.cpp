// Painting of the skinned frame: the border pieces, the caption band (composed off-screen
// and copied in one block, so nothing flickers), the caption text and buttons, and the
// window region cut from the border pictures.
#include <algorithm>
#include <optional>

#include "framework/guard.h"
#include "skin/data/bitmap_routines_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_data_win32.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"
#include "skin/forms/win_skin_form_win32.h"

namespace {

// A memory DC with a skin bitmap selected into it.
struct TBitmapDC {
  explicit TBitmapDC(TSkinBitmap& bmp) : sel(dc.Get(), static_cast<HBITMAP>(bmp.DibHandle())) {}
  HDC Get() const { return dc.Get(); }
  TMemoryDC dc;
  TSelectObject sel;
};

TSkinRect Margins(const TDataSkinObject& o) { return {o.LeftWidth, o.TopHeight, o.RightWidth, o.BottomHeight}; }
int Frames(const TDataSkinObject& o) { return o.Frame < 1 ? 1 : o.Frame; }
COLORREF Rgb(uint32_t c) { return COLORREF(ResolveColor(TColor(c)) & 0xFFFFFF); }

enum { kLeftPiece, kRightPiece, kBottomPiece, kTopPiece };
// Top and bottom pictures hold their frames stacked.
bool Stacked(int piece) { return piece == kBottomPiece || piece == kTopPiece; }

}  // namespace

std::string TWinSkinForm::WindowTextAnsi() const {
  if (IsUnicode) {
    const int n = GetWindowTextLengthW(Handle);
    std::wstring w(size_t(n) + 1, L'\0');
    const int got = GetWindowTextW(Handle, w.data(), n + 1);
    w.resize(size_t(got > 0 ? got : 0));
    if (w.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), s.data(), bytes, nullptr, nullptr);
    return s;
  }
  const int n = GetWindowTextLengthA(Handle);
  std::string s(size_t(n) + 1, '\0');
  const int got = GetWindowTextA(Handle, s.data(), n + 1);
  s.resize(size_t(got > 0 ? got : 0));
  return s;
}

int TWinSkinForm::MeasureCaptionText(const std::string& text) const {
  TMemoryDC dc;
  TSelectObject font(dc.Get(), CaptionFont.Get() ? HGDIOBJ(CaptionFont.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, 0, 0};
  DrawTextA(dc.Get(), text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  return r.right - r.left;
}

const TSkinBitmap& TWinSkinForm::CachedPiece(int piece, const TDataSkinBorder& border, int w, int h) {
  const int frame = (Active || Frames(border) == 1) ? 1 : 2;
  TPieceCache& c = pieceCache_[piece * 2 + frame - 1];
  if (w <= 0 || h <= 0 || border.Image.Empty()) {
    c = TPieceCache();
    return c.Picture;
  }
  if (c.Width != w || c.Height != h || c.Picture.Empty()) {
    c.Picture = BuildFramePiece({0, 0, w, h}, border.Image, Margins(border), Stacked(piece), border.Tile != 1,
                                Frames(border), frame);
    c.Width = w;
    c.Height = h;
  }
  return c.Picture;
}

void TWinSkinForm::PaintPiece(HDC dc, const TSkinRect& rect, int piece, const TDataSkinBorder& border) {
  if (rect.Inverted() || rect.Width() == 0 || rect.Height() == 0) return;
  const TSkinBitmap& pic = CachedPiece(piece, border, rect.Width(), rect.Height());
  if (pic.Empty()) return;
  TBitmapDC src(const_cast<TSkinBitmap&>(pic));
  BitBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src.Get(), 0, 0, SRCCOPY);
}

void TWinSkinForm::PaintFrame(HDC given) {
  if (AttachState != asRunning && AttachState != asReapplying) return;
  if (BorderKind == bkNoCaption || IsMaximizedMDIChild() || !SkinData || !SkinData->SkinLoaded()) return;
  Guard([&] {
    std::optional<TWindowDC> own;
    HDC dc = given;
    if (!dc) {
      own.emplace(Handle, TWindowDC::kWholeWindow);
      dc = own->Get();
    }
    if (!dc) return;
    GetWindowRect(Handle, &WindowRect);
    WindowSize = {WindowRect.right - WindowRect.left, WindowRect.bottom - WindowRect.top};
    const int w = WindowSize.cx, h = WindowSize.cy;
    if (WindowState == wsMinimizedState) {
      PaintCaptionBand(dc, w, h);
      return;
    }
    const TSkinContent& c = SkinData->Content();
    const TFramePieces pieces = FramePieceRects(w, h, Metrics());
    PaintPiece(dc, pieces.Left, kLeftPiece, *c.Left);
    PaintPiece(dc, pieces.Right, kRightPiece, *c.Right);
    PaintPiece(dc, pieces.Bottom, kBottomPiece, *c.Bottom);
    PaintCaptionBand(dc, w, h);
    if (MenuHeight > 0 && !pieces.Menu.Inverted()) {
      // The menu band: the skinned menu bar draws here; until it does, the face colour.
      if (TSkinDataWin32* side = Win32Side(*SkinData)) {
        RECT r{pieces.Menu.Left, pieces.Menu.Top, pieces.Menu.Right, pieces.Menu.Bottom};
        FillRect(dc, &r, side->FaceBrush());
      }
    }
  });
  // After a full paint no object is hot; the next mouse move makes one hot again.
  HotObject = nullptr;
}

std::string TWinSkinForm::CaptionTextKey() const {
  if (!IsUnicode) return WindowTextAnsi();
  const int n = GetWindowTextLengthW(Handle);
  std::wstring t(size_t(n) + 1, L'\0');
  const int got = GetWindowTextW(Handle, t.data(), n + 1);
  return std::string(reinterpret_cast<const char*>(t.data()), size_t(got > 0 ? got : 0) * sizeof(wchar_t));
}

unsigned TWinSkinForm::VisibleButtonMask() const {
  unsigned mask = 0;
  for (size_t i = 0; i < CaptionButtons.size() && i < 32; ++i)
    if (CaptionButtons[i]->Visible) mask |= 1u << i;
  return mask;
}

void TWinSkinForm::InvalidateCaption() {
  for (auto& b : CaptionBands) b.Valid = false;
  ++BandGeneration;
}

void TWinSkinForm::PaintCaptionBand(HDC dc, int w, int h) {
  const TSkinContent& c = SkinData->Content();
  const bool minimized = WindowState == wsMinimizedState;
  const int bandHeight = minimized ? h : CaptionHeight;
  if (w <= 0 || bandHeight <= 0) return;
  TCaptionBand& band = CaptionBands[Active ? 1 : 0];
  std::string text = CaptionTextKey();
  if (band.Valid && band.Width == w && band.Height == bandHeight && band.State == WindowState && band.Text == text) {
    // The same band as before, unless the buttons shown have changed.
    TextRect = band.TextRect;
    LayoutButtons(w);
    if (VisibleButtonMask() == band.VisibleButtons) {
      TBitmapDC shown(band.Shown);
      BitBlt(dc, 0, 0, w, bandHeight, shown.Get(), 0, 0, SRCCOPY);
      return;
    }
  }
  ++BandGeneration;
  if (band.Background.Width() != w || band.Background.Height() != bandHeight) {
    band.Background = TSkinBitmap(w, bandHeight);
    band.Shown = TSkinBitmap(w, bandHeight);
  }
  TBitmapDC back(band.Background);
  TSkinRect caption;
  if (minimized) {
    if (TSkinDataWin32* side = Win32Side(*SkinData)) {
      RECT all{0, 0, w, h};
      FillRect(back.Get(), &all, side->FaceBrush());
    }
    caption = {0, 0, w, CaptionHeight};
  } else {
    // The side borders' top parts are in the band too, as they are painted.
    PaintPiece(back.Get(), {0, 0, BorderLeft, h}, kLeftPiece, *c.Left);
    PaintPiece(back.Get(), {w - BorderRight, 0, w, h}, kRightPiece, *c.Right);
    caption = FramePieceRects(w, h, Metrics()).Top;
  }
  if (!caption.Inverted() && caption.Width() > 0) {
    PaintPiece(back.Get(), caption, kTopPiece, *c.Top);
    DrawCaptionText(back.Get(), caption);
  }
  LayoutButtons(w);
  TBitmapDC shown(band.Shown);
  BitBlt(shown.Get(), 0, 0, w, bandHeight, back.Get(), 0, 0, SRCCOPY);
  PaintButtons(shown.Get());
  GdiFlush();
  BitBlt(dc, 0, 0, w, bandHeight, shown.Get(), 0, 0, SRCCOPY);
  SetBkMode(dc, OPAQUE);
  band.Valid = true;
  band.Width = w;
  band.Height = bandHeight;
  band.State = WindowState;
  band.Text = std::move(text);
  band.TextRect = TextRect;
  band.VisibleButtons = VisibleButtonMask();
}

void TWinSkinForm::DrawCaptionText(HDC dc, const TSkinRect& caption) {
  const TSkinContent& c = SkinData->Content();
  const TDataSkinTitle& title = *c.Title;
  const LONG style = GetWindowLongA(Handle, GWL_STYLE);
  TSelectObject font(dc, CaptionFont.Get() ? HGDIOBJ(CaptionFont.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Rgb(Active ? c.Colours.TitleTextActive : c.Colours.TitleTextNoActive));
  std::wstring wide;
  std::string text;
  RECT measure{0, 0, 0, 0};
  if (IsUnicode) {
    const int n = GetWindowTextLengthW(Handle);
    std::wstring t(size_t(n) + 1, L'\0');
    const int got = GetWindowTextW(Handle, t.data(), n + 1);
    t.resize(size_t(got > 0 ? got : 0));
    wide = L" " + t + L"  ";
    DrawTextW(dc, wide.c_str(), int(wide.size()), &measure, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  } else {
    text = TextPrefix + WindowTextAnsi() + TextSuffix;
    DrawTextA(dc, text.c_str(), int(text.size()), &measure, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  }
  TCaptionTextFacts f;
  f.Caption = caption;
  f.TextWidth = measure.right - measure.left;
  f.TextHeight = measure.bottom - measure.top;
  f.Alignment = title.TextAlignment;
  f.TextShift = title.LeftWidth;
  f.TextShiftVert = title.TopHeight;
  f.TextRightClip = title.RightWidth;
  f.TxtBackLeft = title.TXTBackleft;
  f.TxtBackRight = title.TXTBackRight;
  f.RightToLeft = IsRightToLeft;
  f.Popup = (style & WS_POPUP) != 0;
  f.RightButtonsLeft = RightButtonsLeft;
  f.BorderKind = BorderKind;
  const TCaptionTextBox box = CaptionTextBox(f);
  TextRect = {box.Box.Left, box.Box.Top, box.Box.Right, box.Box.Bottom};
  if (!title.Image.Empty() && box.Box.Width() > 0) {
    RECT plate{box.Box.Left, caption.Top, box.Box.Right, caption.Bottom};
    DrawHorzPiece(dc, plate, title.Image, true, true, 2, Active ? 1 : 2,
                  {title.TXTBackleft, 0, title.TXTBackRight, 0});
  }
  RECT r{box.Text.Left, box.Text.Top, box.Text.Right, box.Text.Bottom};
  if (r.right <= r.left) return;
  const UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | (IsRightToLeft ? DT_RIGHT : DT_LEFT);
  if (IsUnicode)
    DrawTextW(dc, wide.c_str(), int(wide.size()), &r, flags);
  else
    DrawTextA(dc, text.c_str(), int(text.size()), &r, flags);
}

TButtonFacts TWinSkinForm::ButtonFactsNow() {
  TButtonFacts f;
  f.Maximized = WindowState == wsMaximizedState;
  f.Active = Active;
  f.MinimizeBox = (Boxes & bxMinimize) != 0;
  f.MaximizeBox = (Boxes & bxMaximize) != 0;
  f.SystemMenu = (Boxes & bxSystemMenu) != 0;
  // The buttons of a maximised MDI child show in a skinned menu bar of ours; until the
  // frame has one, there is none to show them in.
  f.ChildMaximizedInBar = false;
  f.BorderKind = BorderKind;
  f.SystemDialog = IsSystemDialog;
  HWND wnd = Handle;
  f.AskWindow = [wnd](int code, int action) {
    return long(SendMessageA(wnd, XM_BUTTONVISIBLE, WPARAM(code), LPARAM(action)));
  };
  return f;
}

void TWinSkinForm::LayoutButtons(int width) {
  const TButtonFacts facts = ButtonFactsNow();
  TButtonPlaceFacts place;
  place.WindowWidth = width;
  place.TextRect = {TextRect.left, TextRect.top, TextRect.right, TextRect.bottom};
  place.Metrics = Metrics();
  place.MenuTileLeft = SkinData->Content().MenuBar ? SkinData->Content().MenuBar->LeftWidth : 0;
  place.RightToLeft = IsRightToLeft;
  RightButtonsLeft = 0;
  for (auto& b : CaptionButtons) {
    const TDataSkinSysButton& s = *b->Source;
    b->Visible = ButtonVisible(s.Visibility, s.Visibility1, s.Action, facts);
    b->Enabled = ButtonEnabled(s.Action, facts);
    int bw = 0, bh = 0;
    if (!s.Image.Empty()) {
      bw = s.Image.Width() / Frames(s);
      bh = s.Image.Height();
    } else if ((s.Action == 3 || s.Action == 11) && IconSize > 0) {
      // The icon button without a picture of its own shows the window's icon.
      bw = bh = IconSize;
    }
    if (!b->Visible || bw <= 0 || bh <= 0) {
      b->Visible = false;
      continue;
    }
    const TSkinRect r = PlaceButton(s.Align, s.Xcoord, s.Ycoord, bw, bh, place);
    b->Bounds = {r.Left, r.Top, r.Right, r.Bottom};
    if (s.Align == 1) RightButtonsLeft = std::max(RightButtonsLeft, int(r.Left));
  }
}

void TWinSkinForm::PaintButtons(HDC dc) {
  for (auto& b : CaptionButtons) {
    if (!b->Visible || b->Source->Visibility == 100) continue;
    const TDataSkinSysButton& s = *b->Source;
    const int frame = (!Active && Frames(s) >= 4) ? 4 : 1;
    b->PaintInto(dc, frame);
  }
}

void TWinSkinForm::BuildRegion(bool force, bool redraw) {
  if (!FrameEnabled || AttachState == asDestroying || AttachState == asDestroyed || !SkinData ||
      !SkinData->SkinLoaded())
    return;
  if (Kind == wkMDIChild && WindowState != wsNormalState) return;
  RECT wr{};
  GetWindowRect(Handle, &wr);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  if (w <= 0 || h <= 0) return;
  if (!force && RegionSet && RegionSize.cx == w && RegionSize.cy == h && Kind != wkMDIChild &&
      AttachState != asReapplying)
    return;
  Guard([&] {
    const TSkinContent& c = SkinData->Content();
    const bool anyTrans = c.Left->Trans || c.Right->Trans || c.Top->Trans || c.Bottom->Trans;
    TGdiRegion rgn;
    if (!anyTrans) {
      rgn.Reset(CreateRectRgn(0, 0, w, h));
    } else {
      // The client part (kept valid for a window smaller than its borders).
      const int l = std::min(BorderLeft, w), t = std::min(CaptionHeight, h);
      rgn.Reset(CreateRectRgn(l, t, std::max(l, w - BorderRight), std::max(t, h - BorderBottom)));
      auto add = [&](TGdiRegion piece) {
        if (piece && rgn) CombineRgn(rgn.Get(), rgn.Get(), piece.Get(), RGN_OR);
      };
      auto fromPixels = [&](const TDataSkinBorder& b, const TSkinRect& r, int piece) {
        const TSkinBitmap& pic = CachedPiece(piece, b, r.Width(), r.Height());
        if (pic.Empty()) return TGdiRegion(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
        return BitmapToRegion(pic, r.Left, r.Top, 1, 1, 1, kKeyColor);
      };
      if (BorderKind != bkNoCaption) {
        const TFramePieces p = FramePieceRects(w, h, Metrics());
        if (BorderLeft > 0)
          add(c.Left->Trans == 1 && h > 1 ? fromPixels(*c.Left, p.Left, kLeftPiece)
                                          : TGdiRegion(CreateRectRgn(0, 0, BorderLeft, h)));
        if (BorderRight > 0)
          add(c.Right->Trans == 1 && h > 1 ? fromPixels(*c.Right, p.Right, kRightPiece)
                                           : TGdiRegion(CreateRectRgn(w - BorderRight, 0, w, h)));
        if (BorderBottom > 0 && !p.Bottom.Inverted())
          add(c.Bottom->Trans == 1 && BorderBottom >= 2
                  ? fromPixels(*c.Bottom, p.Bottom, kBottomPiece)
                  : TGdiRegion(CreateRectRgn(p.Bottom.Left, p.Bottom.Top, p.Bottom.Right, p.Bottom.Bottom)));
        if (CaptionHeight > 0 && !p.Top.Inverted())
          add(c.Top->Trans == 1 && CaptionHeight > 1 && p.Top.Width() > 0
                  ? fromPixels(*c.Top, p.Top, kTopPiece)
                  : TGdiRegion(CreateRectRgn(p.Top.Left, p.Top.Top, p.Top.Right, p.Top.Bottom)));
      }
    }
    if (!rgn) return;
    // The window takes the region it is given; we keep a copy of our own.
    Region.Reset(CreateRectRgn(0, 0, 0, 0));
    if (Region) CombineRgn(Region.Get(), rgn.Get(), nullptr, RGN_COPY);
    if (SetWindowRgn(Handle, rgn.Get(), redraw ? TRUE : FALSE)) {
      rgn.Release();
      RegionSet = true;
      RegionSize = {w, h};
    }
  });
}
