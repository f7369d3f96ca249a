// Frame location and composition of frame pieces from skin pictures.
#include <algorithm>
#include <cstring>

#include "framework/per_thread.h"
#include "skin/data/bitmap_routines.h"

namespace {
TSkinRect Intersect(const TSkinRect& a, const TSkinRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}
TSkinRect Bounds(const TSkinBitmap& b) { return {0, 0, b.Width(), b.Height()}; }
bool HasArea(const TSkinRect& r) { return r.Width() > 0 && r.Height() > 0; }

// Copies n pixels between rows of possibly different formats (alpha stays as it was when
// only one side has it).
void CopyPixels(uint8_t* d, int db, const uint8_t* s, int sb, int n) {
  if (db == sb) {
    std::memcpy(d, s, size_t(n) * size_t(db));
    return;
  }
  for (int i = 0; i < n; ++i, d += db, s += sb) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}

// The parts of a frame: the frame's rect in the picture and the composition target.
struct TComposer {
  const TSkinBitmap& pic;
  TSkinRect frame;
  TSkinBitmap& out;

  // Source part in frame coordinates, cut to the frame; target in output coordinates.
  void Stretch(int sx0, int sy0, int sx1, int sy1, const TSkinRect& d) const {
    TSkinRect s = Intersect({frame.Left + sx0, frame.Top + sy0, frame.Left + sx1, frame.Top + sy1},
                            frame);
    if (HasArea(s) && HasArea(d)) StretchCopy(pic, s, out, d);
  }
  void Tile(int sx0, int sy0, int sx1, int sy1, const TSkinRect& d) const {
    TSkinRect s = Intersect({frame.Left + sx0, frame.Top + sy0, frame.Left + sx1, frame.Top + sy1},
                            frame);
    if (HasArea(s) && HasArea(d)) TileCopy(pic, s, out, d);
  }
};
}  // namespace

namespace {
// Source pixel for target pixel i when s pixels are stretched to d, picked as GDI's
// colour-on-colour mode picks them (measured under Wine): enlarging samples pixel centres,
// halves going down; shrinking keeps the last source pixel of each span along a row and the
// nearest span start down a column.
// Each rule is floor((a*i + b) / c) + e; the stepper walks it without dividing per pixel.
class TStretchStepper {
 public:
  TStretchStepper(int s, int d, bool vertical, int first) {
    const int64_t S = s, D = d;
    c_ = 2 * D;
    a_ = 2 * S;
    if (d == s) {
      a_ = c_ = 1;
    } else if (d > s) {
      b_ = S + 2 * D - 1, e_ = -1;
    } else if (vertical) {
      b_ = D;
    } else {
      b_ = 2 * S + D, e_ = -1;
    }
    const int64_t v = a_ * first + b_;
    q_ = v / c_;
    r_ = v % c_;
    stepQ_ = a_ / c_;
    stepR_ = a_ % c_;
  }
  int Current() const { return int(q_ + e_); }
  void Next() {
    q_ += stepQ_;
    r_ += stepR_;
    if (r_ >= c_) r_ -= c_, ++q_;
  }

 private:
  int64_t a_ = 0, b_ = 0, c_ = 1, e_ = 0, q_ = 0, r_ = 0, stepQ_ = 0, stepR_ = 0;
};

int StretchIndex(int i, int s, int d, bool vertical) {
  return TStretchStepper(s, d, vertical, i).Current();
}
}  // namespace

TSkinRect FrameRect(int width, int height, bool stacked, int count, int frame) {
  count = std::max(count, 1);
  frame = std::clamp(frame, 1, count);
  if (stacked) {
    int fh = height / count;
    return {0, fh * (frame - 1), width, fh * frame};
  }
  int fw = width / count;
  return {fw * (frame - 1), 0, fw * frame, height};
}

void StretchCopy(const TSkinBitmap& src, const TSkinRect& srcPart, TSkinBitmap& dst,
                 const TSkinRect& dstPart) {
  const TSkinRect s = Intersect(srcPart, Bounds(src));
  if (!HasArea(s) || !HasArea(dstPart)) return;
  const TSkinRect d = Intersect(dstPart, Bounds(dst));
  if (!HasArea(d)) return;
  const int sw = s.Width(), sh = s.Height(), dw = dstPart.Width(), dh = dstPart.Height();
  const int sb = src.BytesPerPixel(), db = dst.BytesPerPixel(), n = d.Width();
  // Reused between calls (a frame piece stretches up to nine parts); looked up once.
  struct TStore {
    std::vector<int> xmap;
    std::vector<std::pair<int, int>> runs;  // source offset, repeat count
  };
  static auto* stores = new TPerThread<TStore>;
  TStore& store = stores->Get();
  std::vector<int>& xmap = store.xmap;
  std::vector<std::pair<int, int>>& runs = store.runs;
  xmap.clear();
  if (sw != dw) {
    xmap.resize(size_t(n));
    TStretchStepper step(sw, dw, false, d.Left - dstPart.Left);
    for (int i = 0; i < n; ++i, step.Next()) xmap[size_t(i)] = (s.Left + step.Current()) * sb;
  }
  // Large 24-bit enlargements repeat each source pixel several times: copy runs.
  runs.clear();
  if (sb == 3 && db == 3 && dw >= 3 * sw) {
    for (int i = 0; i < n; ++i)
      if (runs.empty() || runs.back().first != xmap[size_t(i)])
        runs.emplace_back(xmap[size_t(i)], 1);
      else
        ++runs.back().second;
  }
  // Pixels that may be moved with four-byte copies (xmap rises, so they come first).
  int fast3 = 0;
  if (!xmap.empty() && runs.empty()) {
    const int limit = src.RowStride() - 4;
    while (fast3 < n - 1 && xmap[size_t(fast3)] <= limit) ++fast3;
  }
  const std::pair<int, int>* lastRun = runs.empty() ? nullptr : &runs.back();
  int prevSy = -1;
  const uint8_t* prevRow = nullptr;
  for (int y = d.Top; y < d.Bottom; ++y) {
    const int sy = s.Top + StretchIndex(y - dstPart.Top, sh, dh, true);
    uint8_t* out = dst.ScanLine(y) + size_t(d.Left) * db;
    if (sy == prevSy) {
      std::memcpy(out, prevRow, size_t(n) * size_t(db));
      continue;
    }
    const uint8_t* row = src.ScanLine(sy);
    if (xmap.empty()) {
      CopyPixels(out, db, row + size_t(s.Left + d.Left - dstPart.Left) * sb, sb, n);
    } else if (sb == 4 && db == 4) {
      for (int i = 0; i < n; ++i) std::memcpy(out + 4 * i, row + xmap[size_t(i)], 4);
    } else if (!runs.empty()) {
      uint8_t* o = out;
      for (const auto& run : runs) {
        const auto [off, count] = run;
        // Four copies of the pixel, built in registers (bytes B G R B G R B G | R B G R).
        const uint8_t* p = row + off;
        const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        const uint64_t lo = uint64_t(v) | uint64_t(v) << 24 | uint64_t(v) << 48;
        const uint32_t hi = v >> 16 | v << 8;
        int k = count;
        for (; k >= 4; k -= 4, o += 12) {
          std::memcpy(o, &lo, 8);
          std::memcpy(o + 8, &hi, 4);
        }
        // Four-byte stores spill into the next pixel, which is written next; only the row's
        // very last pixel must not spill.
        for (; k > 1; --k, o += 3) std::memcpy(o, &lo, 4);
        if (k == 1) {
          if (&run == lastRun)
            std::memcpy(o, &lo, 3);
          else
            std::memcpy(o, &lo, 4);
          o += 3;
        }
      }
    } else if (sb == 3 && db == 3) {
      // Four-byte moves, each overwriting the spare byte of the one before; the last pixel,
      // and any whose fourth byte would lie past the source row, move three bytes.
      int i = 0;
      for (; i < fast3; ++i) std::memcpy(out + 3 * i, row + xmap[size_t(i)], 4);
      for (; i < n; ++i) std::memcpy(out + 3 * i, row + xmap[size_t(i)], 3);
    } else {
      uint8_t* o = out;
      for (int i = 0; i < n; ++i, o += db) std::memcpy(o, row + xmap[size_t(i)], 3);
    }
    prevSy = sy;
    prevRow = out;
  }
}

void TileCopy(const TSkinBitmap& src, const TSkinRect& srcPart, TSkinBitmap& dst,
              const TSkinRect& dstPart) {
  const TSkinRect s = Intersect(srcPart, Bounds(src));
  if (!HasArea(s) || !HasArea(dstPart)) return;
  const TSkinRect d = Intersect(dstPart, Bounds(dst));
  if (!HasArea(d)) return;
  const int sw = s.Width(), sh = s.Height(), sb = src.BytesPerPixel(), db = dst.BytesPerPixel();
  for (int y = d.Top; y < d.Bottom; ++y) {
    const uint8_t* row = src.ScanLine(s.Top + (y - dstPart.Top) % sh) + size_t(s.Left) * sb;
    uint8_t* out = dst.ScanLine(y);
    int ox = (d.Left - dstPart.Left) % sw;
    for (int x = d.Left; x < d.Right; ox = 0) {
      int n = std::min(sw - ox, d.Right - x);
      CopyPixels(out + size_t(x) * db, db, row + size_t(ox) * sb, sb, n);
      x += n;
    }
  }
}

namespace {
// Black, as a fresh picture is, so that parts a frame cannot supply look the same whether a
// picture is new or reused.
void Clear(TSkinBitmap& out) {
  const size_t bytes = size_t(out.Width()) * size_t(out.BytesPerPixel());
  for (int y = 0; y < out.Height(); ++y) std::memset(out.ScanLine(y), 0, bytes);
}

void ComposeFramePieceInto(TSkinBitmap& out, const TSkinBitmap& pic, const TSkinRect& margins,
                           bool stacked, bool tile, int count, int frame) {
  const int w = out.Width(), h = out.Height();
  const TSkinRect f = FrameRect(pic, stacked, count, frame);
  const int F = f.Width(), G = f.Height();
  if (F <= 0 || G <= 0) return;
  int l = std::max(margins.Left, 0), t = std::max(margins.Top, 0);
  int r = std::max(margins.Right, 0), b = std::max(margins.Bottom, 0);
  if (w < l + r) l = r = 0;
  if (h < t + b) t = b = 0;
  const TComposer c{pic, f, out};
  // Parts never overlap in the target (tiles are cut at the centre's edges), so the order
  // in which they are copied does not change the result.
  if (l > 0 && t > 0) c.Stretch(0, 0, l, t, {0, 0, l, t});
  if (l > 0 && b > 0) c.Stretch(0, G - b, l, G, {0, h - b, l, h});
  if (r > 0 && t > 0) c.Stretch(F - r, 0, F, t, {w - r, 0, w, t});
  if (l > 0) c.Stretch(0, t, l, G - b, {0, t, l, h - b});
  if (t > 0) c.Stretch(l, 0, F - r, t, {l, 0, w - r, t});
  if (tile)
    c.Tile(l, t, F - r, G - b, {l, t, w - r, h - b});
  else
    c.Stretch(l, t, F - r, G - b, {l, t, w - r, h - b});
  if (r > 0 && b > 0) c.Stretch(F - r, G - b, F, G, {w - r, h - b, w, h});
  if (r > 0) c.Stretch(F - r, t, F, G - b, {w - r, t, w, h - b});
  if (b > 0) c.Stretch(l, G - b, F - r, G, {l, h - b, w - r, h});
}

void ComposeHorzPieceInto(TSkinBitmap& out, const TSkinBitmap& pic, bool stacked, int count,
                          int frame, const TSkinRect& margins) {
  const int w = out.Width(), h = out.Height();
  const TSkinRect f = FrameRect(pic, stacked, count, frame);
  const int F = f.Width(), G = f.Height();
  if (F <= 0 || G <= 0) return;
  const int l = std::max(margins.Left, 0), r = std::max(margins.Right, 0);
  const int mid = F - l - r;
  const TComposer c{pic, f, out};
  if (mid <= 0) {
    c.Stretch(0, 0, F, G, {0, 0, w, h});
    return;
  }
  c.Stretch(0, 0, l, G, {0, 0, l, h});
  // The middle is stretched once and then repeated; the right cap covers any overflow.
  if (l < w - r) {
    c.Stretch(l, 0, l + mid, G, {l, 0, l + mid, h});
    TileCopy(out, {l, 0, std::min(l + mid, w), h}, out, {l + mid, 0, w - r, h});
  }
  c.Stretch(F - r, 0, F, G, {w - r, 0, w, h});
}
}  // namespace

TSkinBitmap BuildFramePiece(const TSkinRect& target, const TSkinBitmap& pic,
                            const TSkinRect& margins, bool stacked, bool tile, int count,
                            int frame) {
  if (target.Inverted() || pic.Empty()) return {};
  TSkinBitmap out(target.Width(), target.Height(), pic.PixelFormat());
  if (!out.Empty()) ComposeFramePieceInto(out, pic, margins, stacked, tile, count, frame);
  return out;
}

void ComposeFramePiece(TSkinBitmap& out, const TSkinBitmap& pic, const TSkinRect& margins,
                       bool stacked, bool tile, int count, int frame) {
  if (out.Empty() || pic.Empty()) return;
  Clear(out);
  ComposeFramePieceInto(out, pic, margins, stacked, tile, count, frame);
}

TSkinBitmap BuildHorzPiece(const TSkinRect& target, const TSkinBitmap& pic, bool stacked,
                           int count, int frame, const TSkinRect& margins) {
  if (target.Inverted() || pic.Empty()) return {};
  TSkinBitmap out(target.Width(), target.Height(), pic.PixelFormat());
  if (!out.Empty()) ComposeHorzPieceInto(out, pic, stacked, count, frame, margins);
  return out;
}

void ComposeHorzPiece(TSkinBitmap& out, const TSkinBitmap& pic, bool stacked, int count,
                      int frame, const TSkinRect& margins) {
  if (out.Empty() || pic.Empty()) return;
  Clear(out);
  ComposeHorzPieceInto(out, pic, stacked, count, frame, margins);
}

TSkinBitmap BuildStretchedFrame(const TSkinRect& target, const TSkinBitmap& pic, int count,
                                int frame) {
  if (target.Inverted() || pic.Empty()) return {};
  TSkinBitmap out(target.Width(), target.Height(), pic.PixelFormat());
  if (out.Empty()) return out;
  const TSkinRect f = FrameRect(pic, false, count, frame);
  if (HasArea(f)) StretchCopy(pic, f, out, Bounds(out));
  return out;
}

TSkinBitmap BuildThreePart(const TSkinRect& target, const TSkinBitmap& pic, bool stacked,
                           int count, int frame, const TSkinRect& margins) {
  if (target.Inverted() || pic.Empty()) return {};
  const int w = target.Width(), h = target.Height();
  TSkinBitmap out(w, h, pic.PixelFormat());
  if (out.Empty()) return out;
  const TSkinRect f = FrameRect(pic, stacked, count, frame);
  const int F = f.Width(), G = f.Height();
  if (F <= 0 || G <= 0) return out;
  const TComposer c{pic, f, out};
  if (w < F) {
    c.Stretch(0, 0, F, G, {0, 0, w, h});
    return out;
  }
  const int l = std::max(margins.Left, 0), r = std::max(margins.Right, 0);
  c.Stretch(0, 0, l, G, {0, 0, l, h});
  c.Stretch(l, 0, F - r, G, {l, 0, w - r, h});
  c.Stretch(F - r, 0, F, G, {w - r, 0, w, h});
  return out;
}

std::vector<std::uint8_t> KeyMaskBits(const TSkinBitmap& pic, const TSkinRect& part, TColor key,
                                      int rowAlign) {
  const TSkinRect p = Intersect(part, Bounds(pic));
  if (!HasArea(p)) return {};
  rowAlign = std::max(rowAlign, 1);
  const int w = p.Width(), bpp = pic.BytesPerPixel();
  const size_t stride = size_t(((w + 7) / 8 + rowAlign - 1) / rowAlign * rowAlign);
  std::vector<std::uint8_t> bits(stride * size_t(p.Height()), 0);
  key = ResolveColor(key);
  const uint8_t kr = uint8_t(key), kg = uint8_t(key >> 8), kb = uint8_t(key >> 16);
  for (int y = 0; y < p.Height(); ++y) {
    const uint8_t* s = pic.ScanLine(p.Top + y) + size_t(p.Left) * bpp;
    uint8_t* m = bits.data() + size_t(y) * stride;
    for (int x = 0; x < w; ++x, s += bpp)
      if (s[0] == kb && s[1] == kg && s[2] == kr) m[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
  return bits;
}
