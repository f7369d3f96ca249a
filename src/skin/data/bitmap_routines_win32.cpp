// Device-context drawing of skin pictures (see bitmap_routines_win32.h).
#include "skin/data/bitmap_routines_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "framework/per_thread.h"

namespace {
// Destination kept where the mask is set: the "D" raster operation.
constexpr DWORD kRopDest = 0x00AA0029;

bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }

// Memory DCs kept for reuse: making one costs far more than a small blit (a fifth of a
// millisecond under Wine). Each thread keeps its own; they are deleted when it ends.
class TDCPool {
 public:
  ~TDCPool() {
    for (HDC dc : free_) DeleteDC(dc);
  }
  HDC Acquire() {
    if (free_.empty()) return CreateCompatibleDC(nullptr);
    HDC dc = free_.back();
    free_.pop_back();
    return dc;
  }
  void Return(HDC dc) {
    if (!dc) return;
    if (free_.size() < 4) {
      free_.push_back(dc);
    } else {
      DeleteDC(dc);
    }
  }

 private:
  std::vector<HDC> free_;
};
TDCPool& DCPool() {
  static auto* pools = new TPerThread<TDCPool>;
  return pools->Get();
}

// A pooled memory DC with one bitmap selected for the owner's lifetime.
class TPooledDC {
 public:
  explicit TPooledDC(HBITMAP bmp)
      : pool_(DCPool()), dc_(pool_.Acquire()), old_(dc_ && bmp ? SelectObject(dc_, bmp) : nullptr) {}
  ~TPooledDC() {
    if (Ok()) SelectObject(dc_, old_);
    pool_.Return(dc_);
  }
  TPooledDC(const TPooledDC&) = delete;
  TPooledDC& operator=(const TPooledDC&) = delete;
  HDC Get() const { return dc_; }
  bool Ok() const { return dc_ && old_ && old_ != HGDI_ERROR; }

 private:
  TDCPool& pool_;
  HDC dc_;
  HGDIOBJ old_;
};

// The picture's DIB section selected into a memory DC, for use as a blit source or target.
class TPictureDC : public TPooledDC {
 public:
  TPictureDC(HDC, const TSkinBitmap& pic) : TPooledDC(static_cast<HBITMAP>(pic.DibHandle())) {}
};

// Composition pictures kept per size for reuse: a new DIB section, with its first-touch page
// faults, costs several times the composition itself. Small pieces only; larger ones are
// made for the call.
constexpr int kScratchPixels = 1 << 18;
constexpr size_t kScratchEntries = 8;
struct TScratch {
  TSkinBitmap bmp;
  unsigned lastUse = 0;
};
TSkinBitmap& ScratchPicture(int w, int h, TPixelFormat pf) {
  struct TCache {
    std::vector<TScratch> entries;
    TSkinBitmap large;
    unsigned clock = 0;
  };
  static auto* caches = new TPerThread<TCache>;
  TCache& cache = caches->Get();
  if (int64_t(w) * h > kScratchPixels) {
    cache.large = TSkinBitmap(w, h, pf);
    return cache.large;
  }
  std::vector<TScratch>& c = cache.entries;
  unsigned& clock = cache.clock;
  ++clock;
  for (TScratch& e : c)
    if (e.bmp.Width() == w && e.bmp.Height() == h && e.bmp.PixelFormat() == pf) {
      e.lastUse = clock;
      return e.bmp;
    }
  if (c.size() < kScratchEntries) {
    c.push_back({TSkinBitmap(w, h, pf), clock});
    return c.back().bmp;
  }
  TScratch& oldest = *std::min_element(c.begin(), c.end(), [](const TScratch& a, const TScratch& b) {
    return a.lastUse < b.lastUse;
  });
  oldest = {TSkinBitmap(w, h, pf), clock};
  return oldest.bmp;
}

bool IsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

// A composed picture copied opaquely or drawn with magenta transparent at (x, y).
void DrawComposed(HDC dc, int x, int y, const TSkinBitmap& piece, bool transparent) {
  if (piece.Empty()) return;
  if (transparent) {
    DrawTransparentPart(dc, x, y, piece.Width(), piece.Height(), piece, 0, 0, kKeyColor);
    return;
  }
  TPictureDC src(dc, piece);
  if (src.Ok()) BitBlt(dc, x, y, piece.Width(), piece.Height(), src.Get(), 0, 0, SRCCOPY);
}

bool StretchPart(HDC dc, const TSkinRect& d, HDC src, const TSkinRect& s) {
  if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0) return true;
  return StretchBlt(dc, d.Left, d.Top, d.Width(), d.Height(), src, s.Left, s.Top, s.Width(),
                    s.Height(), SRCCOPY);
}
}  // namespace

void FillGradient(HDC dc, const RECT& rect, TColor c1, bool vertical, TColor c2) {
  if (!dc || Inverted(rect) || !RectVisible(dc, &rect)) return;
  c1 = ResolveColor(c1);
  c2 = ResolveColor(c2);
  const int n = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  if (n <= 0) return;
  RECT clip;
  if (GetClipBox(dc, &clip) == ERROR) return;
  const TLineRange lines = vertical ? GradientLineRange(rect.top, n, clip.top, clip.bottom)
                                    : GradientLineRange(rect.left, n, clip.left, clip.right);
  if (lines.First > lines.Last) return;
  std::span<const TColor> ramp = GradientColors(GradientRamp(n, c1, c2));
  for (int i = lines.First; i <= lines.Last; ++i) {
    TGdiBrush brush(CreateSolidBrush(COLORREF(ramp[size_t(i)])));
    if (!brush) return;
    RECT line = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                         : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
    FillRect(dc, &line, brush.Get());
  }
}

TGdiRegion BitmapToRegion(const TSkinBitmap& pic, int xOffset, int yOffset, int tolBlue,
                          int tolGreen, int tolRed, TColor key) {
  static_assert(sizeof(RECT) == sizeof(TSkinRect), "rectangles are copied as they are");
  TGdiRegion result(CreateRectRgn(0, 0, 0, 0));
  if (!result) return {};
  bool failed = false;
  std::vector<uint8_t> block;
  ScanRegionRects(pic, xOffset, yOffset, tolBlue, tolGreen, tolRed, key,
                  [&](std::span<const TSkinRect> rects, const TSkinRect& bounds) {
                    if (failed) return;
                    const DWORD bytes = DWORD(rects.size() * sizeof(RECT));
                    block.resize(sizeof(RGNDATAHEADER) + bytes);
                    RGNDATAHEADER header{};
                    header.dwSize = sizeof(RGNDATAHEADER);
                    header.iType = RDH_RECTANGLES;
                    header.nCount = DWORD(rects.size());
                    header.nRgnSize = bytes;
                    header.rcBound = {bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
                    std::memcpy(block.data(), &header, sizeof header);
                    std::memcpy(block.data() + sizeof header, rects.data(), bytes);
                    TGdiRegion part(ExtCreateRegion(nullptr, DWORD(block.size()),
                                                    reinterpret_cast<const RGNDATA*>(block.data())));
                    if (!part || CombineRgn(result.Get(), result.Get(), part.Get(), RGN_OR) == ERROR)
                      failed = true;
                  });
  if (failed) return {};
  return result;
}

void DrawFramePiece(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked, bool tile,
                    bool transparent, int count, int frame, const TSkinRect& margins) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TSkinBitmap& piece = ScratchPicture(w, h, pic.PixelFormat());
  ComposeFramePiece(piece, pic, margins, stacked, tile, count, frame);
  DrawComposed(dc, rect.left, rect.top, piece, transparent);
}

void DrawHorzPiece(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked,
                   bool transparent, int count, int frame, const TSkinRect& margins) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TSkinBitmap& piece = ScratchPicture(w, h, pic.PixelFormat());
  ComposeHorzPiece(piece, pic, stacked, count, frame, margins);
  DrawComposed(dc, rect.left, rect.top, piece, transparent);
}

void DrawFrameStretched(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool transparent,
                        int count, int frame) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const TSkinRect f = FrameRect(pic, false, count, frame);
  if (w <= 0 || h <= 0 || f.Width() <= 0 || f.Height() <= 0) return;
  TPictureDC src(dc, pic);
  if (!src.Ok()) return;
  if (!transparent) {
    TStretchMode mode(dc, COLORONCOLOR);
    StretchPart(dc, ToSkinRect(rect), src.Get(), f);
    return;
  }
  // Colour-on-colour stretching keeps magenta exact, so the stretched copy masks cleanly.
  TSkinBitmap& stretched = ScratchPicture(w, h, pic.PixelFormat());
  {
    TPictureDC dst(dc, stretched);
    if (!dst.Ok()) return;
    TStretchMode mode(dst.Get(), COLORONCOLOR);
    StretchPart(dst.Get(), {0, 0, w, h}, src.Get(), f);
  }
  GdiFlush();  // the mask is read from the stretched bits
  DrawTransparentPart(dc, rect.left, rect.top, w, h, stretched, 0, 0, kKeyColor);
}

void DrawFrameCentered(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool transparent,
                       int count, int frame) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  const TSkinRect f = FrameRect(pic, false, count, frame);
  const int fw = f.Width(), fh = f.Height();
  if (fw <= 0 || fh <= 0) return;
  const int x = rect.left + (rect.right - rect.left - fw) / 2;
  const int y = rect.top + (rect.bottom - rect.top - fh) / 2;
  if (transparent) {
    DrawTransparentPart(dc, x, y, fw, fh, pic, f.Left, f.Top, kKeyColor);
    return;
  }
  TPictureDC src(dc, pic);
  if (src.Ok()) BitBlt(dc, x, y, fw, fh, src.Get(), f.Left, f.Top, SRCCOPY);
}

void StretchThreePart(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked, int count,
                      int frame, const TSkinRect& margins) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  const TSkinRect f = FrameRect(pic, stacked, count, frame);
  const int F = f.Width(), G = f.Height();
  if (F <= 0 || G <= 0) return;
  TPictureDC src(dc, pic);
  if (!src.Ok()) return;
  TStretchMode mode(dc, COLORONCOLOR);
  const TSkinRect r = ToSkinRect(rect);
  if (r.Width() < F) {
    StretchPart(dc, r, src.Get(), f);
    return;
  }
  // Parts are cut to the frame, so margins wider than the frame cannot read beside it.
  const int l = std::clamp(margins.Left, 0, F), rr = std::clamp(margins.Right, 0, F);
  StretchPart(dc, {r.Left, r.Top, r.Left + l, r.Bottom}, src.Get(),
              {f.Left, f.Top, f.Left + l, f.Bottom});
  StretchPart(dc, {r.Left + l, r.Top, r.Right - rr, r.Bottom}, src.Get(),
              {f.Left + l, f.Top, f.Right - rr, f.Bottom});
  StretchPart(dc, {r.Right - rr, r.Top, r.Right, r.Bottom}, src.Get(),
              {f.Right - rr, f.Top, f.Right, f.Bottom});
}

void DrawTransparent(HDC dc, const RECT& rect, const TSkinBitmap& pic, TColor key) {
  if (!dc || Inverted(rect) || pic.Empty()) return;
  DrawTransparentPart(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, pic,
                      0, 0, key);
}

bool DrawTransparentPart(HDC dc, int x, int y, int w, int h, const TSkinBitmap& pic, int sx,
                         int sy, TColor key, TTransparentMethod method) {
  // Cut the part to the picture, moving the destination with it.
  if (sx < 0) x -= sx, w += sx, sx = 0;
  if (sy < 0) y -= sy, h += sy, sy = 0;
  w = std::min(w, pic.Width() - sx);
  h = std::min(h, pic.Height() - sy);
  if (!dc || w <= 0 || h <= 0) return false;

  std::vector<uint8_t> bits = KeyMaskBits(pic, {sx, sy, sx + w, sy + h}, key, 2);
  TPictureDC src(dc, pic);
  if (!src.Ok()) return false;
  // Rows without a key pixel are copied plainly: masking is the slow part, and skin pictures
  // mostly have their key pixels in a few rows (rounded corners).
  const size_t stride = bits.size() / size_t(h);
  auto rowHasKey = [&](int row) {
    const uint8_t* m = bits.data() + size_t(row) * stride;
    return std::any_of(m, m + stride, [](uint8_t v) { return v != 0; });
  };
  const bool tryMaskBlt = method == TTransparentMethod::MaskBlt ||
                          (method == TTransparentMethod::Auto && IsNtFamily());
  TGdiBitmap mask;
  std::optional<TPooledDC> maskDC;
  for (int top = 0; top < h;) {
    const bool keyed = rowHasKey(top);
    int bottom = top + 1;
    while (bottom < h && rowHasKey(bottom) == keyed) ++bottom;
    const int bx = x, by = y + top, bh = bottom - top, bsy = sy + top;
    if (!keyed) {
      BitBlt(dc, bx, by, w, bh, src.Get(), sx, bsy, SRCCOPY);
      top = bottom;
      continue;
    }
    if (!mask) {
      mask.Reset(CreateBitmap(w, h, 1, 1, bits.data()));
      if (!mask) return false;
    }
    // Mask bit set (key colour): foreground operation, keep the destination.
    if (tryMaskBlt &&
        MaskBlt(dc, bx, by, w, bh, src.Get(), sx, bsy, mask.Get(), 0, top, MAKEROP4(kRopDest, SRCCOPY))) {
      top = bottom;
      continue;
    }
    if (method == TTransparentMethod::MaskBlt) return false;
    // dest ^ src, and with the mask (white where the key is), ^ src again: the key keeps the
    // destination, everything else becomes the source.
    if (!maskDC) maskDC.emplace(mask.Get());
    if (!maskDC->Ok()) return false;
    TDCColors colors(dc, RGB(255, 255, 255), RGB(0, 0, 0));
    BitBlt(dc, bx, by, w, bh, src.Get(), sx, bsy, SRCINVERT);
    BitBlt(dc, bx, by, w, bh, maskDC->Get(), 0, top, SRCAND);
    BitBlt(dc, bx, by, w, bh, src.Get(), sx, bsy, SRCINVERT);
    top = bottom;
  }
  return true;
}

void PaintParentBackground(HWND control, HDC dc) {
  if (!control || !dc || !(GetWindowLongA(control, GWL_STYLE) & WS_CHILD)) return;
  HWND parent = GetParent(control);
  if (!parent) return;
  RECT r;
  if (!GetWindowRect(control, &r)) return;
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  TSavedDC saved(dc);
  if (!saved.Ok()) return;
  OffsetViewportOrgEx(dc, -r.left, -r.top, nullptr);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  const bool wide = IsWindowUnicode(parent);
  auto send = wide ? SendMessageW : SendMessageA;
  send(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  send(parent, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}
