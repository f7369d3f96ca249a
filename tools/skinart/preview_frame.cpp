// Window frames, caption bands, menu bars and popup menus of the preview.
#include <algorithm>

#include "preview_painter.h"

namespace {
TColor C(uint32_t c) { return TColor(c & 0xFFFFFF); }
}  // namespace

TPreviewPainter::TPreviewPainter(const TSkinContent& skin, TPreviewText& text, TPreviewCanvas& canvas,
                                 const TSkinBitmap& icon)
    : skin_(skin), text_(text), canvas_(canvas), icon_(icon) {
  // The combined combo picture the skin data builds: per frame the sunken edge over 50 x 21,
  // the drop-down button in the right part, the arrow centred in it, the inside keyed.
  if (!skin.SunkEdge || !skin.ComboButton) return;
  const int n = skin.SunkEdge->Frame, s = kScrollArrow + 2;
  comboFrames_ = n;
  comboStrip_ = TSkinBitmap(50 * n, 21);
  TPreviewCanvas work(50, 21, kKeyColor);
  for (int b = 1; b <= n; ++b) {
    work.Fill({0, 0, 50, 21}, kKeyColor);
    work.Piece({0, 0, 50, 21}, skin.SunkEdge->Image, Margins(*skin.SunkEdge), false, false,
               skin.SunkEdge->Trans == 1, n, b);
    work.Piece({50 - s, 0, 50, 21}, skin.ComboButton->Image, Margins(*skin.ComboButton), false, false, true,
               skin.ComboButton->Frame, b);
    if (skin.ExtraImages)
      work.Centered({50 - s, 0, 50, 21}, skin.ExtraImages->Image, skin.ExtraImages->Frame, b);
    work.Fill({2, 2, 49 - s, 18}, kKeyColor);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 50; ++x) comboStrip_.SetPixel(50 * (b - 1) + x, y, work.Bitmap().Pixel(x, y));
  }
}

bool TPreviewPainter::ButtonVisible(const TDataSkinSysButton& b, const TPreviewWindow& w) const {
  bool sysMenu = true, anyBox = w.MinBox || w.MaxBox;
  auto cond = [&](int code, bool a) {
    switch (code) {
      case 0: return true;
      case 1: return w.Maximized;
      case 2: return !w.Maximized;
      case 3: return w.Active;
      case 4: return !w.Active;
      case 6:
      case 8: return anyBox && (!a || sysMenu);
      case 7: return !w.MaxBox;
      case 9: return !w.MinBox;
      case 200: return w.BorderKind == 3;
      default:
        if (code >= 201 && code <= 999) return true;
        if (code >= 1000 && code <= 2000) return a ? w.Help : true;
        return false;
    }
  };
  if (!cond(b.Visibility, true) || !cond(b.Visibility1, false)) return false;
  if ((b.Action == 3 || b.Action == 11 || b.Action == 12) && w.BorderKind == 3) return false;
  return b.Visibility != 100;
}

void TPreviewPainter::Window(const TPreviewWindow& w) {
  const TSkinContent& k = skin_;
  const int bl = k.Left->Image.Width() / k.Left->Frame, br = k.Right->Image.Width() / k.Right->Frame;
  const int capH = k.Top->Image.Height() / k.Top->Frame, bb = k.Bottom->Image.Height() / k.Bottom->Frame;
  const int menuH = w.Menu.empty() ? 0 : kMenuHeight;
  const int W = w.ClientW + bl + br, H = w.ClientH + capH + bb + menuH;
  const int frame = w.Active ? 1 : 2;
  canvas_.SetOrigin(w.X, w.Y);
  // Border pieces are copied whole; their magenta pixels stand for the window region.
  auto border = [&](const TDataSkinBorder& o, const TSkinRect& r, bool stacked) {
    int f = o.Frame == 1 ? 1 : frame;
    canvas_.Piece(r, o.Image, Margins(o), stacked, o.Tile != 1, true, o.Frame, f);
  };
  border(*k.Left, {0, 0, bl, H}, false);
  border(*k.Right, {W - br, 0, W, H}, false);
  border(*k.Bottom, {bl, H - bb, W - br, H}, true);
  border(*k.Top, {bl, 0, W - br, capH}, true);
  CaptionBand(w, W, capH, bl, br, w.BorderKind);

  if (menuH > 0) {
    TSkinRect bar{bl, capH, W - br, capH + menuH};
    if (k.MenuBar)
      canvas_.Piece(bar, k.MenuBar->Image, {k.MenuBar->LeftWidth, 0, k.MenuBar->RightWidth, 0}, true, false,
                    false, 2, frame);
    else
      canvas_.Fill(bar, C(k.Colours.Menubar));
    int x = bar.Left + (k.MenuBar ? k.MenuBar->LeftWidth + 4 : 6);
    for (size_t i = 0; i < w.Menu.size(); ++i) {
      int iw = text_.Measure(w.Menu[i]).Width + 10;
      TSkinRect r{x, bar.Top, x + iw, bar.Bottom - 1};
      if (int(i) == w.HotMenu) canvas_.Frame(r, C(k.Colours.ButtonHilight));
      text_.DrawIn(canvas_, r, w.Menu[i], C(k.Colours.MenuBarText), TPreviewText::taCenter);
      x += iw;
    }
  }
  canvas_.SetOrigin(w.X + bl, w.Y + capH + menuH);
  canvas_.Fill({0, 0, w.ClientW, w.ClientH}, C(k.Colours.ButtonFace));
}

void TPreviewPainter::CaptionBand(const TPreviewWindow& w, int W, int capH, int bl, int br, int bk) {
  const TDataSkinTitle& t = *skin_.Title;
  const TSkinRect cap{bl, 0, W - br, capH};

  // Buttons first laid out: the text is clipped left of the right-aligned ones.
  struct TPlaced {
    const TDataSkinSysButton* b;
    TSkinRect r;
  };
  std::vector<TPlaced> placed;
  for (const auto& b : skin_.SysButtons) {
    if (!ButtonVisible(*b, w)) continue;
    bool icon = b->Action == 3 || b->Action == 11;
    int bw = icon ? icon_.Width() : b->Image.Width() / std::max(b->Frame, 1);
    int bh = icon ? icon_.Height() : b->Image.Height();
    if (bw <= 0 || bh <= 0) continue;
    int x = b->Align == 1 ? W - b->Xcoord : b->Xcoord;
    placed.push_back({b.get(), {x, b->Ycoord, x + bw, b->Ycoord + bh}});
  }

  std::string text = " " + w.Caption + "  ";
  TTextSize ts = text_.Measure(text);
  int boxW = t.TXTBackleft + ts.Width + t.TXTBackRight;
  int left = cap.Left + t.LeftWidth;
  if (t.TextAlignment == 1) left = cap.Left + (cap.Width() - boxW) / 2;
  if (t.TextAlignment == 2) left = cap.Right - t.RightWidth - boxW;
  if (bk == 3 && t.TextAlignment == 0) left -= 16;
  int right = std::min(left + boxW, cap.Right - t.RightWidth);
  if (!t.Image.Empty())
    canvas_.Draw(BuildHorzPiece({0, 0, right - left, capH}, t.Image, true, 2, w.Active ? 1 : 2,
                                {t.TXTBackleft, 0, t.TXTBackRight, 0}),
                 left, 0, true);
  int ty = (capH - ts.Height) / 2 + t.TopHeight / 2;
  TColor colour = C(w.Active ? skin_.Colours.TitleTextActive : skin_.Colours.TitleTextNoActive);
  text_.DrawIn(canvas_, {left + t.TXTBackleft, ty, right - t.TXTBackRight, ty + ts.Height}, text, colour);

  for (const TPlaced& p : placed) {
    const TDataSkinSysButton& b = *p.b;
    if (b.Action == 3 || b.Action == 11) {
      for (int y = 0; y < icon_.Height(); ++y)
        for (int x = 0; x < icon_.Width(); ++x) {
          const uint8_t* px = icon_.ScanLine(y) + 4 * x;
          canvas_.Blend(p.r.Left + x, p.r.Top + y, TColor(px[2] | (px[1] << 8) | (px[0] << 16)),
                        px[3] / 255.0);
        }
      continue;
    }
    int f = 1;
    if (!w.Active && b.Frame >= 4) f = 4;
    if (w.Active && b.Action == w.HotAction) f = 3;
    if (w.Active && b.Action == w.DownAction) f = 2;
    canvas_.Stretched(p.r, b.Image, b.Frame, f);
  }
}

void TPreviewPainter::PopupMenu(int x, int y, int width, const std::vector<TPreviewMenuItem>& items,
                                int selected) {
  const TSkinContent& k = skin_;
  int h = 6;
  for (const auto& it : items) h += it.Text == "-" ? 8 : 20;
  TSkinRect r{x, y, x + width, y + h};
  if (k.MenuBackground)
    canvas_.Piece(r, k.MenuBackground->Image, Margins(*k.MenuBackground), false, k.MenuBackground->Tile == 1,
                  false, 1, 1);
  else
    canvas_.Fill(r, C(k.Colours.Menu));
  int top = y + 3;
  const int lw = k.MenuItem ? k.MenuItem->LeftWidth : 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const TPreviewMenuItem& it = items[i];
    int ih = it.Text == "-" ? 8 : 20;
    TSkinRect ir{x + 3, top, x + width - 3, top + ih};
    if (it.Text == "-") {
      if (k.MenuItem) {
        // The second frame's bottom rows, caps fixed and middle stretched.
        const TSkinBitmap& pic = k.MenuItem->Image;
        TSkinRect f = FrameRect(pic, false, 5, 2);
        TSkinBitmap part(f.Width(), ih);
        StretchCopy(pic, {f.Left, f.Bottom - ih, f.Right, f.Bottom}, part, {0, 0, f.Width(), ih});
        canvas_.Draw(BuildThreePart({0, 0, ir.Width(), ih}, part, false, 1, 1, Margins(*k.MenuItem)), ir.Left,
                     ir.Top, true);
      }
    } else {
      bool sel = int(i) == selected;
      if (k.MenuItem) canvas_.Piece(ir, *k.MenuItem, 5, sel ? 4 : 1);
      TColor colour = C(!it.Enabled ? k.Colours.ButtonShadow
                        : sel       ? k.Colours.HilightText
                                    : k.Colours.MenuText);
      TSkinRect tr{ir.Left + 1 + lw + 16 + 3, ir.Top, ir.Right - 1, ir.Bottom};
      text_.DrawIn(canvas_, tr, it.Text, colour);
      if (!it.Shortcut.empty())
        text_.DrawIn(canvas_, {tr.Left, tr.Top, ir.Right - 10, tr.Bottom}, it.Shortcut, colour,
                     TPreviewText::taRight);
    }
    top += ih;
  }
}
