#include "skin/data/bmp_reader.h"

#include <cstring>

#include "framework/exception.h"

namespace {

constexpr uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

[[noreturn]] void Bad(const char* why) { throw EInvalidGraphic(Format("Invalid bitmap: %s", why)); }

// One colour channel described by a bit mask, scaled to 8 bits.
struct TMask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit TMask(uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint8_t Get(uint32_t v) const {
    if (!bits) return 0;
    uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return uint8_t(c >> (bits - 8));
    // Replicate the high bits so that full-scale maps to 255.
    uint32_t out = 0;
    for (int got = 0; got < 8; got += bits) out = (out << bits) | c;
    return uint8_t(out >> ((8 + bits - 1) / bits * bits - 8));
  }
};

}  // namespace

TSkinBitmap LoadBitmapFromBytes(const uint8_t* data, size_t size) {
  if (!data || size < 14 + 12) Bad("the data is too short");
  if (data[0] != 'B' || data[1] != 'M') Bad("no BM signature");
  uint32_t pixelOffset = Le32(data + 10);
  const uint8_t* h = data + 14;
  uint32_t headerSize = Le32(h);
  if (headerSize < 12 || headerSize > size - 14) Bad("the info header is truncated");

  int64_t width, height;
  uint32_t bpp, compression = kBiRgb, colorsUsed = 0;
  size_t paletteEntry = 4;
  if (headerSize == 12) {  // OS/2 core header
    width = Le16(h + 4);
    height = int16_t(Le16(h + 6));
    bpp = Le16(h + 10);
    paletteEntry = 3;
  } else {
    if (headerSize < 40) Bad("unknown info header size");
    width = int32_t(Le32(h + 4));
    height = int32_t(Le32(h + 8));
    bpp = Le16(h + 14);
    compression = Le32(h + 16);
    colorsUsed = Le32(h + 32);
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) Bad("the width or height is not positive");
  if (width > TSkinBitmap::kMaxSide || height > TSkinBitmap::kMaxSide) Bad("the picture is too large");

  uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    if (bpp != 16 && bpp != 32) Bad("bit fields need 16 or 32 bits per pixel");
    // Masks follow a 40-byte header; larger headers carry them inside.
    size_t at = 14 + 40;
    size_t need = compression == kBiAlphaBitfields ? 16 : 12;
    if (size < at + need) Bad("the colour masks are truncated");
    rMask = Le32(data + at);
    gMask = Le32(data + at + 4);
    bMask = Le32(data + at + 8);
    if (compression == kBiAlphaBitfields || headerSize >= 56) aMask = Le32(data + at + 12);
    if (headerSize < 56 && compression == kBiBitfields) aMask = 0;
  } else if (compression != kBiRgb) {
    Bad("compressed bitmaps are not supported");
  } else if (bpp == 16) {
    rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    Bad("unsupported bits per pixel");

  // Palette for the indexed formats.
  uint32_t palette[256] = {};
  uint32_t paletteCount = 0;
  if (bpp <= 8) {
    uint32_t max = 1u << bpp;
    paletteCount = colorsUsed && colorsUsed < max ? colorsUsed : max;
    size_t at = 14 + size_t(headerSize);
    if (compression == kBiBitfields) at += 12;
    size_t avail = size > at ? (size - at) / paletteEntry : 0;
    if (avail < paletteCount) {
      if (avail == 0) Bad("the palette is missing");
      paletteCount = uint32_t(avail);  // short palettes: missing entries stay black
    }
    for (uint32_t i = 0; i < paletteCount; ++i) {
      const uint8_t* p = data + at + i * paletteEntry;
      palette[i] = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    }
  }

  size_t srcStride = ((size_t(width) * bpp + 31) / 32) * 4;
  if (pixelOffset > size || (size - pixelOffset) / srcStride < size_t(height)) {
    // Some writers leave bfOffBits zero; the pixels then follow header, masks and palette.
    size_t guess = 14 + headerSize + (compression == kBiBitfields && headerSize == 40 ? 12 : 0) +
                   paletteCount * paletteEntry;
    if (pixelOffset != 0 || guess > size || (size - guess) / srcStride < size_t(height))
      Bad("the pixel data is truncated");
    pixelOffset = uint32_t(guess);
  }

  TPixelFormat pf = bpp == 32 ? pf32bit : pf24bit;
  TSkinBitmap bmp(int(width), int(height), pf);
  TMask r(rMask), g(gMask), b(bMask), a(aMask);
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* s = data + pixelOffset + size_t(row) * srcStride;
    uint8_t* d = bmp.ScanLine(int(topDown ? row : height - 1 - row));
    switch (bpp) {
      case 1:
      case 4:
      case 8: {
        uint32_t perByte = 8 / bpp, m = (1u << bpp) - 1;
        for (int64_t x = 0; x < width; ++x) {
          uint32_t shift = 8 - bpp * (1 + uint32_t(x) % perByte);
          uint32_t idx = (s[x / perByte] >> shift) & m;
          uint32_t c = palette[idx];
          d[0] = uint8_t(c), d[1] = uint8_t(c >> 8), d[2] = uint8_t(c >> 16);
          d += 3;
        }
        break;
      }
      case 16:
        for (int64_t x = 0; x < width; ++x, s += 2, d += 3) {
          uint32_t v = Le16(s);
          d[0] = b.Get(v), d[1] = g.Get(v), d[2] = r.Get(v);
        }
        break;
      case 24: std::memcpy(d, s, size_t(width) * 3); break;
      case 32:
        if (compression == kBiRgb) {
          std::memcpy(d, s, size_t(width) * 4);
        } else {
          for (int64_t x = 0; x < width; ++x, s += 4, d += 4) {
            uint32_t v = Le32(s);
            d[0] = b.Get(v), d[1] = g.Get(v), d[2] = r.Get(v), d[3] = aMask ? a.Get(v) : 0;
          }
        }
        break;
    }
  }
  return bmp;
}
