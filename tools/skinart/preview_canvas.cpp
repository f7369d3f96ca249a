#include "preview_canvas.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <vector>

TSkinRect Margins(const TDataSkinObject& o) {
  return {o.LeftWidth, o.TopHeight, o.RightWidth, o.BottomHeight};
}

TPreviewCanvas::TPreviewCanvas(int w, int h, TColor fill) : bmp_(w, h, pf24bit) { Fill({0, 0, w, h}, fill); }

void TPreviewCanvas::Pixel(int x, int y, TColor c) { bmp_.SetPixel(x + ox_, y + oy_, uint32_t(c)); }

void TPreviewCanvas::Fill(const TSkinRect& r, TColor c) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) Pixel(x, y, c);
}

void TPreviewCanvas::Frame(const TSkinRect& r, TColor c) {
  Fill({r.Left, r.Top, r.Right, r.Top + 1}, c);
  Fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
  Fill({r.Left, r.Top, r.Left + 1, r.Bottom}, c);
  Fill({r.Right - 1, r.Top, r.Right, r.Bottom}, c);
}

void TPreviewCanvas::Blend(int x, int y, TColor c, double a) {
  if (a <= 0) return;
  uint32_t old = bmp_.Pixel(x + ox_, y + oy_);
  if (a >= 1) return Pixel(x, y, c);
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    double v = ((old >> s) & 0xFF) * (1 - a) + ((uint32_t(c) >> s) & 0xFF) * a;
    out |= uint32_t(std::lround(v)) << s;
  }
  Pixel(x, y, TColor(out));
}

void TPreviewCanvas::FocusRect(const TSkinRect& r, TColor c) {
  for (int x = r.Left; x < r.Right; x += 2) Pixel(x, r.Top, c), Pixel(x, r.Bottom - 1, c);
  for (int y = r.Top; y < r.Bottom; y += 2) Pixel(r.Left, y, c), Pixel(r.Right - 1, y, c);
}

void TPreviewCanvas::RoundFrame(const TSkinRect& r, int ellipse, TColor c) {
  // Quarter circles of radius e/2 at the corners, straight lines between.
  double rad = ellipse / 2.0;
  int e = ellipse / 2;
  Fill({r.Left + e, r.Top, r.Right - e, r.Top + 1}, c);
  Fill({r.Left + e, r.Bottom - 1, r.Right - e, r.Bottom}, c);
  Fill({r.Left, r.Top + e, r.Left + 1, r.Bottom - e}, c);
  Fill({r.Right - 1, r.Top + e, r.Right, r.Bottom - e}, c);
  for (int dy = 0; dy < e; ++dy)
    for (int dx = 0; dx < e; ++dx) {
      double d = std::hypot(e - dx - 0.5, e - dy - 0.5);
      if (std::fabs(d - rad + 0.5) > 0.55) continue;
      Pixel(r.Left + dx, r.Top + dy, c);
      Pixel(r.Right - 1 - dx, r.Top + dy, c);
      Pixel(r.Left + dx, r.Bottom - 1 - dy, c);
      Pixel(r.Right - 1 - dx, r.Bottom - 1 - dy, c);
    }
}

void TPreviewCanvas::Draw(const TSkinBitmap& pic, int x, int y, bool keyed) {
  for (int j = 0; j < pic.Height(); ++j)
    for (int i = 0; i < pic.Width(); ++i) {
      uint32_t c = pic.Pixel(i, j) & 0xFFFFFF;
      if (keyed && c == uint32_t(kKeyColor)) continue;
      Pixel(x + i, y + j, TColor(c));
    }
}

void TPreviewCanvas::Piece(const TSkinRect& r, const TSkinBitmap& pic, const TSkinRect& margins, bool stacked,
                           bool tile, bool trans, int count, int frame) {
  if (r.Inverted() || pic.Empty()) return;
  TSkinBitmap part =
      BuildFramePiece({0, 0, r.Width(), r.Height()}, pic, margins, stacked, tile, count, frame);
  Draw(part, r.Left, r.Top, trans);
}

void TPreviewCanvas::Piece(const TSkinRect& r, const TDataSkinObject& o, int count, int frame, bool stacked) {
  Piece(r, o.Image, Margins(o), stacked, o.Tile == 1, o.Trans == 1, count, frame);
}

void TPreviewCanvas::Stretched(const TSkinRect& r, const TSkinBitmap& pic, int count, int frame) {
  if (r.Inverted() || pic.Empty()) return;
  Draw(BuildStretchedFrame({0, 0, r.Width(), r.Height()}, pic, count, frame), r.Left, r.Top, true);
}

void TPreviewCanvas::Centered(const TSkinRect& r, const TSkinBitmap& pic, int count, int frame) {
  if (pic.Empty()) return;
  TSkinRect f = FrameRect(pic, false, count, frame);
  TSkinBitmap part(f.Width(), f.Height());
  StretchCopy(pic, f, part, {0, 0, f.Width(), f.Height()});
  Draw(part, r.Left + (r.Width() - f.Width()) / 2, r.Top + (r.Height() - f.Height()) / 2, true);
}

namespace {
void PutBE32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}
void Chunk(std::FILE* f, const char* type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  PutBE32(out, uint32_t(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, uint32_t(crc32(0, out.data() + 4, uInt(out.size() - 4))));
  std::fwrite(out.data(), 1, out.size(), f);
}
}  // namespace

bool TPreviewCanvas::SavePng(const std::string& path) const {
  int w = bmp_.Width(), h = bmp_.Height();
  std::vector<uint8_t> raw;
  raw.reserve(size_t(h) * (size_t(w) * 3 + 1));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < w; ++x) {
      uint32_t c = bmp_.Pixel(x, y);
      raw.push_back(uint8_t(c)), raw.push_back(uint8_t(c >> 8)), raw.push_back(uint8_t(c >> 16));
    }
  }
  uLongf n = compressBound(uLong(raw.size()));
  std::vector<uint8_t> z(n);
  if (compress2(z.data(), &n, raw.data(), uLong(raw.size()), 9) != Z_OK) return false;
  z.resize(n);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(kSignature, 1, 8, f);
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, uint32_t(w));
  PutBE32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(f, "IHDR", ihdr);
  Chunk(f, "IDAT", z);
  Chunk(f, "IEND", {});
  return std::fclose(f) == 0;
}
