// The one bitmap type of the skin engine.
//
// Pixels live in a single block of DIB-stride rows, top row first, bytes B,G,R[,A]. In the
// Windows build that block is a DIB section, so GDI draws the bitmap without copying it; the
// host build keeps a plain heap block. Move-only: copies are explicit (Clone()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/object.h"

enum TPixelFormat { pf24bit, pf32bit };

namespace nv_skin_detail {
// Platform storage for the pixel rows (bitmap_storage_host.cpp / bitmap_storage_win32.cpp).
class TBitmapStorage {
 public:
  virtual ~TBitmapStorage() = default;
  virtual uint8_t* Bits() = 0;
  virtual void* DibHandle() const = 0;
};
// Zeroed storage for a top-down DIB of the given size; throws EOutOfMemory on failure.
std::unique_ptr<TBitmapStorage> AllocateBitmapStorage(int width, int height, int bitsPerPixel, size_t bytes);
}  // namespace nv_skin_detail

class TSkinBitmap : public TObject {
  NV_CLASS(TSkinBitmap)
 public:
  // Largest side we accept: keeps width*height*4 far inside 32-bit sizes.
  static constexpr int kMaxSide = 16384;

  TSkinBitmap();
  TSkinBitmap(int width, int height, TPixelFormat pf = pf24bit);  // pixels zeroed
  TSkinBitmap(TSkinBitmap&&) noexcept;
  TSkinBitmap& operator=(TSkinBitmap&&) noexcept;
  TSkinBitmap(const TSkinBitmap&) = delete;
  TSkinBitmap& operator=(const TSkinBitmap&) = delete;
  ~TSkinBitmap() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  TPixelFormat PixelFormat() const { return format_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  // Reallocates; the contents are zeroed (sizes outside 0..kMaxSide raise EInvalidGraphic).
  void SetSize(int w, int h);
  // Converts the pixels in place; 24->32 sets alpha 0, 32->24 drops alpha.
  void SetPixelFormat(TPixelFormat pf);

  // Row 0 is the top row. Null for an empty bitmap.
  uint8_t* ScanLine(int y);
  const uint8_t* ScanLine(int y) const;
  int BytesPerPixel() const { return format_ == pf32bit ? 4 : 3; }
  // DIB stride: width*bpp rounded up to 4 bytes.
  int RowStride() const { return StrideFor(width_, format_); }
  static int StrideFor(int width, TPixelFormat pf) { return ((width * (pf == pf32bit ? 4 : 3)) + 3) & ~3; }

  // Colour 0x00BBGGRR (red in the low byte). Out-of-range reads give 0, writes are ignored.
  uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t color);

  TSkinBitmap Clone() const;

  // Windows build: the HBITMAP of the DIB section whose bits are these rows (owned by the
  // bitmap; do not delete it). Host build and empty bitmaps: nullptr.
  void* DibHandle() const;

 private:
  void Allocate(int w, int h, TPixelFormat pf);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = pf24bit;
  std::unique_ptr<nv_skin_detail::TBitmapStorage> storage_;
  uint8_t* bits_ = nullptr;
};
