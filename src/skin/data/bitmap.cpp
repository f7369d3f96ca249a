#include "skin/data/bitmap.h"

#include <cstring>

#include "framework/exception.h"

NV_DEFINE_CLASS(TSkinBitmap, TObject)

TSkinBitmap::TSkinBitmap() = default;

TSkinBitmap::TSkinBitmap(int width, int height, TPixelFormat pf) { Allocate(width, height, pf); }

TSkinBitmap::TSkinBitmap(TSkinBitmap&& o) noexcept
    : width_(o.width_),
      height_(o.height_),
      format_(o.format_),
      storage_(std::move(o.storage_)),
      bits_(o.bits_) {
  o.width_ = o.height_ = 0;
  o.bits_ = nullptr;
}

TSkinBitmap& TSkinBitmap::operator=(TSkinBitmap&& o) noexcept {
  if (this != &o) {
    width_ = o.width_;
    height_ = o.height_;
    format_ = o.format_;
    storage_ = std::move(o.storage_);
    bits_ = o.bits_;
    o.width_ = o.height_ = 0;
    o.bits_ = nullptr;
  }
  return *this;
}

TSkinBitmap::~TSkinBitmap() = default;

void TSkinBitmap::Allocate(int w, int h, TPixelFormat pf) {
  if (w < 0 || h < 0 || w > kMaxSide || h > kMaxSide)
    throw EInvalidGraphic(Format("Bitmap size %dx%d is out of range", w, h));
  std::unique_ptr<nv_skin_detail::TBitmapStorage> s;
  uint8_t* bits = nullptr;
  if (w > 0 && h > 0) {
    size_t bytes = size_t(StrideFor(w, pf)) * size_t(h);
    s = nv_skin_detail::AllocateBitmapStorage(w, h, pf == pf32bit ? 32 : 24, bytes);
    bits = s->Bits();
  }
  storage_ = std::move(s);
  bits_ = bits;
  width_ = w;
  height_ = h;
  format_ = pf;
}

void TSkinBitmap::SetSize(int w, int h) { Allocate(w, h, format_); }

void TSkinBitmap::SetPixelFormat(TPixelFormat pf) {
  if (pf == format_) return;
  if (Empty()) {
    format_ = pf;
    return;
  }
  TSkinBitmap out(width_, height_, pf);
  int sb = BytesPerPixel(), db = out.BytesPerPixel();
  for (int y = 0; y < height_; ++y) {
    const uint8_t* s = ScanLine(y);
    uint8_t* d = out.ScanLine(y);
    for (int x = 0; x < width_; ++x, s += sb, d += db) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      if (db == 4) d[3] = 0;
    }
  }
  *this = std::move(out);
}

uint8_t* TSkinBitmap::ScanLine(int y) {
  if (!bits_ || y < 0 || y >= height_) return nullptr;
  return bits_ + size_t(y) * size_t(RowStride());
}

const uint8_t* TSkinBitmap::ScanLine(int y) const { return const_cast<TSkinBitmap*>(this)->ScanLine(y); }

uint32_t TSkinBitmap::Pixel(int x, int y) const {
  if (x < 0 || x >= width_) return 0;
  const uint8_t* row = ScanLine(y);
  if (!row) return 0;
  const uint8_t* p = row + size_t(x) * BytesPerPixel();
  return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
}

void TSkinBitmap::SetPixel(int x, int y, uint32_t color) {
  if (x < 0 || x >= width_) return;
  uint8_t* row = ScanLine(y);
  if (!row) return;
  uint8_t* p = row + size_t(x) * BytesPerPixel();
  p[0] = uint8_t(color >> 16);
  p[1] = uint8_t(color >> 8);
  p[2] = uint8_t(color);
}

TSkinBitmap TSkinBitmap::Clone() const {
  TSkinBitmap out(width_, height_, format_);
  if (!Empty()) std::memcpy(out.bits_, bits_, size_t(RowStride()) * size_t(height_));
  return out;
}

void* TSkinBitmap::DibHandle() const { return storage_ ? storage_->DibHandle() : nullptr; }
