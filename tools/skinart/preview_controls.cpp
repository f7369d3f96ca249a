// Controls of the preview, drawn as their painters draw them.
#include <algorithm>

#include "preview_painter.h"

namespace {
TColor C(uint32_t c) { return TColor(c & 0xFFFFFF); }
}  // namespace

void TPreviewPainter::Label(int x, int y, const std::string& text, TColor colour) {
  text_.Draw(canvas_, x, y, text, colour < 0 ? C(skin_.Colours.WindowText) : colour);
}

void TPreviewPainter::Button(const TSkinRect& r, const std::string& caption, TPreviewState s) {
  const TDataSkinButton& b = *skin_.Buttons;
  int index = s == psDisabled ? 3 : s == psDown ? 2 : s == psHot ? 4 : s == psFocus ? 5 : 1;
  canvas_.Piece(r, b, b.Frame, index);
  uint32_t colour = skin_.Colours.ButtonText;
  if (index == 1 && b.HasNormalColour2) colour = b.NormalColour2;
  if (index == 4 && b.HasMouseOverColour2) colour = b.MouseOverColour2;
  if (index == 2 && b.HasPressedColour2) colour = b.PressedColour2;
  if (index == 3) colour = skin_.Colours.ButtonShadow;
  TTextSize ts = text_.Measure(caption);
  TSkinRect tr{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  int x = tr.Left + (tr.Width() - ts.Width) / 2, y = tr.Top + (tr.Height() - ts.Height) / 2 - 1;
  text_.Draw(canvas_, x, y, caption, C(colour));
  if (s == psFocus) canvas_.FocusRect({x - 2, y - 2, x + ts.Width + 2, y + ts.Height + 2}, C(colour));
}

void TPreviewPainter::GroupBox(const TSkinRect& r, const std::string& caption) {
  int t = text_.Measure("0").Height / 2 - 1;
  canvas_.RoundFrame({r.Left + 1, r.Top + t, r.Right - 1, r.Bottom - 1}, 5, C(skin_.Colours.ButtonShadow));
  if (caption.empty()) return;
  TTextSize ts = text_.Measure(caption);
  canvas_.Fill({r.Left + 8, r.Top, r.Left + 8 + ts.Width, r.Top + ts.Height}, C(skin_.Colours.ButtonFace));
  text_.Draw(canvas_, r.Left + 8, r.Top, caption, C(skin_.Colours.WindowText));
}

void TPreviewPainter::Edit(const TSkinRect& r, const std::string& text) {
  canvas_.Fill(r, 0xFFFFFF);
  canvas_.Frame(r, C(skin_.Colours.ButtonShadow));
  text_.DrawIn(canvas_, {r.Left + 4, r.Top, r.Right - 3, r.Bottom}, text, C(skin_.Colours.WindowText));
}

void TPreviewPainter::ListBox(const TSkinRect& r, const std::vector<std::string>& items, int selected,
                              int top) {
  // The scroll-bar painter's own border: shadow outside, face inside.
  canvas_.Fill(r, 0xFFFFFF);
  canvas_.Frame(r, C(skin_.Colours.ButtonShadow));
  canvas_.Frame({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, C(skin_.Colours.ButtonFace));
  const int itemH = 12, inner = r.Height() - 4, visible = inner / itemH;
  bool bar = int(items.size()) > visible;
  int right = r.Right - 2 - (bar ? kScrollArrow : 0);
  for (int i = 0; i < visible && top + i < int(items.size()); ++i) {
    TSkinRect ir{r.Left + 2, r.Top + 2 + i * itemH, right, r.Top + 2 + (i + 1) * itemH};
    bool sel = top + i == selected;
    // List boxes keep the system's selection colours; the preview uses the skin's.
    if (sel) canvas_.Fill(ir, C(skin_.Colours.Hilight));
    text_.DrawIn(canvas_, {ir.Left + 2, ir.Top, ir.Right, ir.Bottom}, items[size_t(top + i)],
                 sel ? C(skin_.Colours.HilightText) : C(skin_.Colours.WindowText));
  }
  if (!bar) return;
  int len = inner, track = len - 2 * kScrollArrow;
  int thumb = std::max(8, track * visible / int(items.size()));
  int start = kScrollArrow + (track - thumb) * top / std::max(1, int(items.size()) - visible);
  ScrollBar({right, r.Top + 2, r.Right - 2, r.Bottom - 2}, true, start, thumb, -1, false);
}

void TPreviewPainter::ScrollBar(const TSkinRect& r, bool vertical, int start, int length, int hotPart,
                                bool pressed, bool enabled) {
  const TSkinContent& k = skin_;
  if (!k.Scrollbar) return;
  const int len = vertical ? r.Height() : r.Width(), breadth = vertical ? r.Width() : r.Height();
  TPreviewCanvas bar(vertical ? breadth : len, vertical ? len : breadth, C(k.Colours.ButtonFace));
  auto along = [&](int a0, int a1) {
    return vertical ? TSkinRect{0, a0, breadth, a1} : TSkinRect{a0, 0, a1, breadth};
  };
  const int a = len < 2 * kScrollArrow ? len / 2 : kScrollArrow;
  const TDataSkinObject* track = vertical ? k.VertScroll.get() : k.HorzScroll.get();
  if (track) bar.Piece(along(kScrollArrow, len - kScrollArrow), *track, 4, enabled ? 1 : 3);
  auto arrowFrame = [&](int base, int part) {
    if (!enabled) return base + 2;
    if (hotPart != part) return base;
    return pressed ? base + 1 : base + 3;
  };
  const int first = vertical ? 9 : 1, second = vertical ? 13 : 5;
  bar.Stretched(along(0, a), k.Scrollbar->Image, 23, arrowFrame(first, 0));
  bar.Stretched(along(len - a, len), k.Scrollbar->Image, 23, arrowFrame(second, 1));
  const TDataSkinObject* thumb = vertical ? k.VertScrollThumb.get() : k.HorzScrollThumb.get();
  if (enabled && thumb) {
    int tf = hotPart == 5 ? (pressed ? 2 : 3) : 1;
    bar.Piece(along(start, start + length), thumb->Image, Margins(*thumb), false, false, thumb->Trans == 1,
              thumb->Frame, tf);
    int g = k.Scrollbar->Image.Height();
    int gf = (vertical ? 20 : 17) + (hotPart == 5 ? (pressed ? 1 : 2) : 0);
    if (g < length + 2) bar.Centered(along(start, start + length), k.Scrollbar->Image, 23, gf);
  }
  canvas_.Draw(bar.Bitmap(), r.Left, r.Top, false);
}

void TPreviewPainter::StatusBar(const TSkinRect& r, const std::string& text) {
  const TSkinContent& k = skin_;
  canvas_.Fill(r, C(k.Colours.ButtonFace));
  TColor colour = C(k.Colours.ButtonText);
  if (k.StatusBarEdges) {
    canvas_.Piece(r, k.StatusBarEdges->Image, Margins(*k.StatusBarEdges), false, k.StatusBarEdges->Tile == 1,
                  false, 3, 1);
    colour = C(k.StatusBarEdges->NormalColour2);
  }
  text_.DrawIn(canvas_, {r.Left + 4, r.Top, r.Right - 2, r.Bottom}, text, colour);
  if (k.ExtraImages) {
    TSkinRect f = FrameRect(k.ExtraImages->Image, false, 5, 5);
    canvas_.Stretched({r.Right - 1 - f.Width(), r.Bottom - 1 - f.Height(), r.Right - 1, r.Bottom - 1},
                      k.ExtraImages->Image, 5, 5);
  }
}

void TPreviewPainter::CheckBox(int x, int y, const std::string& caption, int check, TPreviewState s) {
  const TDataSkinButton& b = *skin_.Buttons;
  int n = b.CheckButtonFrame, w = b.CheckImage.Width() / n, h = b.CheckImage.Height();
  int index = check == 1 ? 2 : 1;
  if (s == psDisabled) index += 2;
  if (check == 2) index = 4;
  if (n == 12) {
    index = index == 2 ? 5 : index == 3 ? 4 : index == 4 ? 8 : index;
    if (check == 2) index = s == psDisabled ? 12 : 9;
    // Hot and pressed frames, for the painters that use them.
    if (s == psHot || s == psDown) index += s == psHot ? 1 : 2;
  }
  canvas_.Stretched({x, y, x + w, y + h}, b.CheckImage, n, index);
  Label(x + w + 4, y + (h - 12) / 2, caption,
        s == psDisabled ? C(skin_.Colours.ButtonShadow) : C(skin_.Colours.WindowText));
}

void TPreviewPainter::Radio(int x, int y, const std::string& caption, bool checked, TPreviewState s) {
  const TDataSkinButton& b = *skin_.Buttons;
  int n = b.RadioButtonFrame, w = b.RadioImage.Width() / n, h = b.RadioImage.Height();
  int index = (checked ? 2 : 1) + (s == psDisabled ? 2 : 0);
  if (n == 8) {
    index = index == 2 ? 5 : index == 3 ? 4 : index == 4 ? 8 : index;
    if (s == psHot || s == psDown) index += s == psHot ? 1 : 2;
  }
  canvas_.Stretched({x, y, x + w, y + h}, b.RadioImage, n, index);
  Label(x + w + 4, y + (h - 12) / 2, caption,
        s == psDisabled ? C(skin_.Colours.ButtonShadow) : C(skin_.Colours.WindowText));
}

void TPreviewPainter::Combo(const TSkinRect& r, const std::string& text, TPreviewState s) {
  int state = s == psDown ? 2 : (s == psHot || s == psFocus) ? 4 : s == psDisabled ? 3 : 1;
  canvas_.Fill({r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2},
               s == psDisabled ? C(skin_.Colours.ButtonFace) : 0xFFFFFF);
  text_.DrawIn(canvas_, {r.Left + 4, r.Top, r.Right - kScrollArrow - 4, r.Bottom}, text,
               C(s == psDisabled ? skin_.Colours.ButtonShadow : skin_.Colours.WindowText));
  if (comboFrames_ == 0) return;
  const TDataSkinObject& e = *skin_.SunkEdge;
  canvas_.Piece(r, comboStrip_, {2, e.TopHeight, kScrollArrow + 4, e.BottomHeight}, false, false, true,
                comboFrames_, state);
}

void TPreviewPainter::Tabs(const TSkinRect& r, const std::vector<std::string>& captions, int current) {
  const TSkinContent& k = skin_;
  if (!k.Tabs) return;
  const int stripH = 22;
  int x = r.Left + 2;
  // The page first: the strip's tabs stand on its top edge.
  canvas_.Piece({r.Left, r.Top + stripH, r.Right, r.Bottom}, k.Tabs->SecondImage, {4, 5, 4, 4}, false, false,
                false, 1, 1);
  for (size_t i = 0; i < captions.size(); ++i) {
    int w = text_.Measure(captions[i]).Width + 16;
    bool cur = int(i) == current;
    TSkinRect tr = cur ? TSkinRect{x - 2, r.Top, x + w + 2, r.Top + stripH + 1}
                       : TSkinRect{x, r.Top + 2, x + w, r.Top + stripH};
    canvas_.Piece(tr, *k.Tabs, k.Tabs->Frame, cur ? 2 : 1);
    text_.DrawIn(canvas_, {tr.Left, tr.Top + (cur ? 1 : 0), tr.Right, tr.Bottom}, captions[i],
                 C(cur ? k.Tabs->MouseOverColour2 : k.Tabs->NormalColour2), TPreviewText::taCenter);
    x += w;
  }
}

void TPreviewPainter::Progress(const TSkinRect& r, int pos, int max) {
  const TSkinContent& k = skin_;
  if (!k.Progress) return;
  canvas_.Fill(r, C(k.Colours.ButtonFace));
  canvas_.Piece(r, k.Progress->Image, Margins(*k.Progress), false, k.Progress->Tile == 1, true, 2, 1);
  if (pos > 0 && max > 0)
    canvas_.Piece({r.Left, r.Top, r.Left + r.Width() * pos / max, r.Bottom}, k.Progress->Image,
                  Margins(*k.Progress), false, k.Progress->Tile == 1, true, 2, 2);
}

void TPreviewPainter::TrackBar(const TSkinRect& r, int pos, int max, bool vertical) {
  const TSkinContent& k = skin_;
  const TDataSkinObject* ch = vertical ? k.TrackVert.get() : k.Track.get();
  const TDataSkinObject* th = vertical ? k.TrackbarThumbVert.get() : k.TrackbarThumbDown.get();
  if (!ch || !th) return;
  const int tw = th->Image.Width() / th->Frame, tl = th->Image.Height();
  if (!vertical) {
    int gh = ch->Image.Height(), cy = r.Top + 8;
    TSkinRect channel{r.Left + 8, cy, r.Right - 8, cy + gh};
    canvas_.Draw(BuildThreePart({0, 0, channel.Width(), gh}, ch->Image, false, 1, 1,
                                {ch->LeftWidth, 0, ch->RightWidth, 0}),
                 channel.Left, channel.Top, false);
    int x = channel.Left + (channel.Width() - tw) * pos / max;
    canvas_.Stretched({x, r.Top + 1, x + tw, r.Top + 1 + tl}, th->Image, 5, 2);
    for (int i = 0; i <= 10; ++i) {
      int tx = channel.Left + tw / 2 + (channel.Width() - tw) * i / 10;
      canvas_.Fill({tx, r.Top + tl + 3, tx + 1, r.Top + tl + 6}, C(k.Colours.ButtonShadow));
    }
  }
}

void TPreviewPainter::Header(const TSkinRect& r, const std::vector<std::string>& captions,
                             const std::vector<int>& widths, int hot) {
  const TSkinContent& k = skin_;
  if (!k.Headerbar) return;
  int x = r.Left;
  for (size_t i = 0; i < captions.size(); ++i) {
    TSkinRect ir{x, r.Top, x + widths[i], r.Bottom};
    canvas_.Piece(ir, *k.Headerbar, k.Headerbar->Frame, int(i) == hot ? 2 : 1);
    text_.DrawIn(canvas_, {ir.Left + 6, ir.Top, ir.Right - 3, ir.Bottom}, captions[i],
                 C(k.Headerbar->NormalColour2));
    x += widths[i];
  }
  if (x < r.Right) canvas_.Piece({x, r.Top, r.Right, r.Bottom}, *k.Headerbar, k.Headerbar->Frame, 1);
}

void TPreviewPainter::UpDown(const TSkinRect& r, int hotHalf, bool pressed) {
  const TSkinContent& k = skin_;
  if (!k.UpDownVert) return;
  const TDataSkinBorder& o = *k.UpDownVert;
  int mid = r.Top + r.Height() / 2;
  TSkinRect halves[2] = {{r.Left, r.Top, r.Right, mid}, {r.Left, mid, r.Right, r.Bottom}};
  for (int i = 0; i < 2; ++i) {
    int state = hotHalf == i ? (pressed ? 2 : 4) : 1;
    int f = i * 4 + state;
    canvas_.Stretched(halves[i], o.Image, 8, f);
    if (!o.SecondImage.Empty()) canvas_.Centered(halves[i], o.SecondImage, 8, f);
  }
}
