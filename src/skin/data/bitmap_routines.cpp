// Colour arithmetic, gradient ramps and the in-place pixel transforms.
#include <algorithm>
#include <array>
#include <cstring>

#include "framework/exception.h"
#include "skin/data/bitmap_routines.h"

namespace {
int Red(TColor c) { return c & 0xFF; }
int Green(TColor c) { return (c >> 8) & 0xFF; }
int Blue(TColor c) { return (c >> 16) & 0xFF; }
TColor Rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
int Clamp8(long long v) { return int(std::clamp<long long>(v, 0, 255)); }

struct TRampSlot {
  int n = 0;
  TColor c1 = 0;
  TColor c2 = 0;
  std::vector<TColor> colors;
};
std::array<TRampSlot, kGradientSlots> rampSlots;
int rampCounter = 0;

int RampChannel(int a, int b, int i, int n) {
  int d = b - a;
  if (n == 1) return a + d / 2;
  int m = n - 1;
  // C++ division truncates toward zero, as the ramp's rounding expects.
  return a + int((static_cast<long long>(d) * i + m / 2) / m);
}
}  // namespace

TColor ResolveColor(TColor c) {
  if (c < 0) return TColor(SystemColor(c & 0xFF) & 0xFFFFFF);
  return c & 0xFFFFFF;
}

TColor MixColors(TColor c1, TColor c2, int weight) {
  TColor a = ResolveColor(c1), b = ResolveColor(c2);
  const long long base = weight < 100 ? 100 : 1000;
  const long long w = weight;
  auto mix = [&](int x, int y) { return Clamp8((x * w + y * (base - w) + base / 2) / base); };
  return Rgb(mix(Red(a), Red(b)), mix(Green(a), Green(b)), mix(Blue(a), Blue(b)));
}

int GradientRamp(int n, TColor c1, TColor c2) {
  if (n < 1) throw EAssertionFailed(Format("A gradient ramp needs at least 1 colour, not %d", n));
  c1 = ResolveColor(c1);
  c2 = ResolveColor(c2);
  // Slots are keyed by what they were built from: a ramp is then the same whatever else
  // the cache has seen (endpoints alone do not identify a rounded ramp).
  for (int i = kGradientSlots - 1; i >= 0; --i) {
    const TRampSlot& s = rampSlots[i];
    if (s.n == n && s.c1 == c1 && s.c2 == c2) return i;
  }
  int slot = rampCounter;
  rampCounter = (rampCounter + 1) % kGradientSlots;
  TRampSlot& s = rampSlots[slot];
  s.n = 0;  // stays invalid should the allocation fail
  s.colors.resize(size_t(n));
  for (int i = 0; i < n; ++i)
    s.colors[size_t(i)] = Rgb(RampChannel(Red(c1), Red(c2), i, n),
                              RampChannel(Green(c1), Green(c2), i, n),
                              RampChannel(Blue(c1), Blue(c2), i, n));
  s.n = n;
  s.c1 = c1;
  s.c2 = c2;
  return slot;
}

std::span<const TColor> GradientColors(int slot) {
  if (slot < 0 || slot >= kGradientSlots)
    throw EInvalidArgument(Format("No gradient slot %d", slot));
  return rampSlots[size_t(slot)].colors;
}

TLineRange GradientLineRange(int rectStart, int n, int clipStart, int clipEnd) {
  TLineRange r{std::max(0, clipStart - rectStart), n - 1};
  if (clipEnd - rectStart < n) r.Last = clipEnd - rectStart - 1;
  return r;
}

void FillGradient(TSkinBitmap& bmp, const TSkinRect& rect, TColor c1, bool vertical,
                  TColor c2) {
  if (rect.Inverted() || bmp.Empty()) return;
  int n = vertical ? rect.Height() : rect.Width();
  if (n <= 0) return;
  TSkinRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, bmp.Width()),
              std::min(rect.Bottom, bmp.Height())};
  if (r.Width() <= 0 || r.Height() <= 0) return;
  TLineRange lines = vertical ? GradientLineRange(rect.Top, n, r.Top, r.Bottom)
                              : GradientLineRange(rect.Left, n, r.Left, r.Right);
  std::span<const TColor> ramp = GradientColors(GradientRamp(n, c1, c2));
  const int bpp = bmp.BytesPerPixel();
  auto put = [&](uint8_t* at, TColor c) {
    at[0] = uint8_t(Blue(c));
    at[1] = uint8_t(Green(c));
    at[2] = uint8_t(Red(c));
    if (bpp == 4) at[3] = 0;
  };
  // Fills `bytes` at `at` from the pixel already there, doubling the copied span each time.
  auto spread = [](uint8_t* at, size_t done, size_t bytes) {
    while (done < bytes) {
      size_t k = std::min(done, bytes - done);
      std::memcpy(at + done, at, k);
      done += k;
    }
  };
  const size_t spanBytes = size_t(r.Width()) * size_t(bpp);
  if (vertical) {
    for (int i = lines.First; i <= lines.Last; ++i) {
      uint8_t* row = bmp.ScanLine(rect.Top + i) + size_t(r.Left) * bpp;
      put(row, ramp[size_t(i)]);
      spread(row, size_t(bpp), spanBytes);
    }
    return;
  }
  // Across: every row is the same, so build the first and copy it down.
  uint8_t* first = bmp.ScanLine(r.Top) + size_t(r.Left) * bpp;
  for (int i = lines.First; i <= lines.Last; ++i)
    put(first + size_t(rect.Left + i - r.Left) * bpp, ramp[size_t(i)]);
  for (int y = r.Top + 1; y < r.Bottom; ++y)
    std::memcpy(bmp.ScanLine(y) + size_t(r.Left) * bpp, first, spanBytes);
}

int ColorSaturation(TColor c) {
  c = ResolveColor(c);
  int r = Red(c), g = Green(c), b = Blue(c);
  int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  if (mx <= 159) return 200;
  // round((mx - mn) / mx * 255), a half going to the even neighbour, in exact integers.
  int num = (mx - mn) * 255;
  int q = num / mx, rem = num % mx;
  if (2 * rem > mx || (2 * rem == mx && (q & 1))) ++q;
  return q;
}

// ---- Pixel transforms ----

void GrayBitmap(TSkinBitmap& bmp) {
  bmp.SetPixelFormat(pf24bit);
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.ScanLine(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3) {
      uint8_t v = uint8_t((p[0] + p[1] + p[2]) / 3);
      p[0] = p[1] = p[2] = v;
    }
  }
}

void ReplaceKeyColor(TSkinBitmap& bmp, TColor c) {
  bmp.SetPixelFormat(pf24bit);
  c = ResolveColor(c);
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.ScanLine(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3)
      if (p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF) {
        p[0] = uint8_t(Blue(c));
        p[1] = uint8_t(Green(c));
        p[2] = uint8_t(Red(c));
      }
  }
}

void MirrorBitmap(TSkinBitmap& bmp) {
  const int bpp = bmp.BytesPerPixel(), w = bmp.Width();
  uint8_t tmp[4];
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int a = 0, b = w - 1; a < b; ++a, --b) {
      std::memcpy(tmp, row + a * bpp, size_t(bpp));
      std::memcpy(row + a * bpp, row + b * bpp, size_t(bpp));
      std::memcpy(row + b * bpp, tmp, size_t(bpp));
    }
  }
}

void FlipBitmap(TSkinBitmap& bmp) {
  const size_t bytes = size_t(bmp.Width()) * size_t(bmp.BytesPerPixel());
  std::vector<uint8_t> tmp(bytes);
  for (int a = 0, b = bmp.Height() - 1; a < b; ++a, --b) {
    std::memcpy(tmp.data(), bmp.ScanLine(a), bytes);
    std::memcpy(bmp.ScanLine(a), bmp.ScanLine(b), bytes);
    std::memcpy(bmp.ScanLine(b), tmp.data(), bytes);
  }
}

namespace {
// Source pixel (x, y) lands at (y, w-1-x) turning left, at (h-1-y, x) turning right.
void Rotate(TSkinBitmap& bmp, bool left) {
  if (bmp.Empty()) return;
  const int w = bmp.Width(), h = bmp.Height(), bpp = bmp.BytesPerPixel();
  TSkinBitmap out(h, w, bmp.PixelFormat());
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x, s += bpp) {
      int dx = left ? y : h - 1 - y;
      int dy = left ? w - 1 - x : x;
      std::memcpy(out.ScanLine(dy) + size_t(dx) * bpp, s, size_t(bpp));
    }
  }
  bmp = std::move(out);
}
}  // namespace

void RotateLeft(TSkinBitmap& bmp) { Rotate(bmp, true); }
void RotateRight(TSkinBitmap& bmp) { Rotate(bmp, false); }
