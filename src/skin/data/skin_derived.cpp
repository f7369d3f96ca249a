#include "skin/data/skin_derived.h"

#include <algorithm>

#include "skin/data/bitmap_routines.h"

namespace {

constexpr int kComboWidth = 50;
constexpr int kComboHeight = 21;
constexpr int kArrowHeight = 17;
constexpr uint32_t kMagenta = 0xFF00FF;
constexpr TColor kWhite = 0xFFFFFF;

int AtLeastOne(int n) { return n < 1 ? 1 : n; }

TSkinRect MarginsOf(const TDataSkinObject& o) {
  return {o.LeftWidth, o.TopHeight, o.RightWidth, o.BottomHeight};
}

void Fill(TSkinBitmap& bmp, const TSkinRect& r, uint32_t color) {
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, bmp.Height()); ++y)
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, bmp.Width()); ++x) bmp.SetPixel(x, y, color);
}

// Copies part `from` of src to (x, y) of dst; with `transparent`, magenta pixels are skipped.
void Blit(TSkinBitmap& dst, int x, int y, const TSkinBitmap& src, const TSkinRect& from, bool transparent) {
  for (int sy = std::max(from.Top, 0); sy < std::min(from.Bottom, src.Height()); ++sy)
    for (int sx = std::max(from.Left, 0); sx < std::min(from.Right, src.Width()); ++sx) {
      const uint32_t c = src.Pixel(sx, sy);
      if (!transparent || c != kMagenta) dst.SetPixel(x + sx - from.Left, y + sy - from.Top, c);
    }
}

void BlitWhole(TSkinBitmap& dst, int x, int y, const TSkinBitmap& src, bool transparent) {
  Blit(dst, x, y, src, {0, 0, src.Width(), src.Height()}, transparent);
}

TSkinBitmap To24(const TSkinBitmap& src) {
  TSkinBitmap out = src.Clone();
  out.SetPixelFormat(pf24bit);
  return out;
}

void BuildComboStrip(TSkinContent& c, int s) {
  if (!c.SunkEdge || !c.ComboButton) return;
  TDataSkinObject& edge = *c.SunkEdge;
  TDataSkinBorder& button = *c.ComboButton;
  const TDataSkinObject* extra =
      c.ExtraImages && !c.ExtraImages->Image.Empty() ? c.ExtraImages.get() : nullptr;
  const int n = AtLeastOne(edge.Frame);
  const TSkinRect buttonPart{kComboWidth - s, 0, kComboWidth, kComboHeight};

  TSkinBitmap strip(kComboWidth * n, kComboHeight, pf24bit);
  Fill(strip, {0, 0, strip.Width(), strip.Height()}, kMagenta);
  TSkinBitmap work(kComboWidth, kComboHeight, pf24bit);
  for (int b = 1; b <= n; ++b) {
    // Each frame starts from the key colour, so what no picture covers stays transparent.
    Fill(work, {0, 0, kComboWidth, kComboHeight}, kMagenta);
    if (!edge.Image.Empty())
      BlitWhole(work, 0, 0,
                BuildFramePiece({0, 0, kComboWidth, kComboHeight}, edge.Image, MarginsOf(edge), false, false,
                                edge.Frame, b),
                edge.Trans == 1);
    if (!button.Image.Empty())
      BlitWhole(work, buttonPart.Left, 0,
                BuildFramePiece({0, 0, s, kComboHeight}, button.Image, MarginsOf(button), false, false,
                                button.Frame, b),
                true);
    if (extra) {
      const TSkinRect f = FrameRect(extra->Image, false, extra->Frame, b);
      Blit(work, buttonPart.Left + (s - f.Width()) / 2, (kComboHeight - f.Height()) / 2, extra->Image, f,
           true);
    }
    Fill(work, {2, 2, kComboWidth - 1 - s, kComboHeight - 3}, kMagenta);
    BlitWhole(strip, kComboWidth * (b - 1), 0, work, false);
  }

  button.Style = 2;
  button.LeftWidth = 2;
  button.TopHeight = edge.TopHeight;
  button.RightWidth = s + 2;
  button.BottomHeight = edge.BottomHeight;
  edge.Image = MirroredFrames24(strip, n);
  edge.LeftWidth = s + 2;
  edge.RightWidth = 2;
  button.Image = std::move(strip);
}

void BuildComboArrow(TSkinContent& c, int s) {
  auto arrow = std::make_unique<TDataSkinObject>("ComboxArrow");
  arrow->Frame = 1;
  if (!c.SunkEdge && c.ComboButton) {
    if (!c.ComboButton->Image.Empty()) {
      arrow->Image = To24(c.ComboButton->Image);
      ReplaceKeyColor(arrow->Image, TColor(c.Colours.ButtonFace));
    }
    arrow->Frame = c.ComboButton->Frame;
  } else if (c.ComboButton && c.ComboButton->Style == 2) {
    const TSkinBitmap& pic = c.ComboButton->Image;
    const int frames = AtLeastOne(c.SunkEdge->Frame);
    const int w = pic.Width() / AtLeastOne(c.ComboButton->Frame);
    const int partWidth = s - 2;
    arrow->Image = TSkinBitmap(partWidth * frames, kArrowHeight, pf24bit);
    Fill(arrow->Image, {0, 0, arrow->Image.Width(), kArrowHeight}, kMagenta);
    for (int i = 0; i < frames; ++i) {
      const int right = w * (i + 1) - 2;
      Blit(arrow->Image, partWidth * i, 0, pic, {right - partWidth, 2, right, 2 + kArrowHeight}, false);
    }
    arrow->Frame = frames;
  }
  c.ComboxArrow = std::move(arrow);
}

uint32_t TitleColour(const TSkinContent& c) {
  if (!c.Top || c.Top->Image.Empty()) return c.Colours.ButtonFace;
  const TSkinBitmap& top = c.Top->Image;
  const int frameHeight = top.Height() / AtLeastOne(c.Top->Frame);
  return top.Pixel(top.Width() / 3, frameHeight / 3);
}

void BuildToolbar(TSkinContent& c) {
  auto bar = std::make_unique<TDataSkinObject>("Toolbar");
  const TColor title = TColor(c.TitleColor);
  const TColor top = MixColors(TColor(c.Colours.ButtonFace), kWhite, 150);
  TColor bottom = MixColors(0x808080, title, 150);
  const int sat = ColorSaturation(title);
  if (sat > 110) bottom = MixColors(title, kWhite, (5625 - 25 * sat) / 140 + 50);
  bar->Image = TSkinBitmap(10, 40, pf24bit);
  FillGradient(bar->Image, {0, 0, 10, 40}, top, true, bottom);
  bar->Frame = 1;
  c.Toolbar = std::move(bar);
}

}  // namespace

void BuildDerivedObjects(TSkinContent& content, int scrollArrowWidth) {
  // The button part must leave the edge some room; metrics outside this are not real.
  const int s = std::clamp(scrollArrowWidth + 2, 3, kComboWidth - 4);
  BuildComboStrip(content, s);
  BuildComboArrow(content, s);
  content.TitleColor = TitleColour(content);
  BuildToolbar(content);
}
