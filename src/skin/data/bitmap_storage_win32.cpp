// Windows build: the rows are the bits of a top-down DIB section, so GDI can select and draw
// the bitmap directly. The section is owned here and deleted with the storage.
#include <windows.h>

#include "framework/exception.h"
#include "skin/data/bitmap.h"

namespace nv_skin_detail {
namespace {
class TDibStorage : public TBitmapStorage {
 public:
  TDibStorage(int width, int height, int bpp) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(bpp);
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib_ || !bits)
      throw EOutOfMemory(Format("Cannot create a %dx%d bitmap (error %lu)", width, height, GetLastError()));
    bits_ = static_cast<uint8_t*>(bits);  // the system hands out zeroed pages
  }
  ~TDibStorage() override { DeleteObject(dib_); }
  TDibStorage(const TDibStorage&) = delete;
  TDibStorage& operator=(const TDibStorage&) = delete;
  uint8_t* Bits() override {
    GdiFlush();  // GDI may still be drawing into the section
    return bits_;
  }
  void* DibHandle() const override { return dib_; }

 private:
  HBITMAP dib_ = nullptr;
  uint8_t* bits_ = nullptr;
};
}  // namespace

std::unique_ptr<TBitmapStorage> AllocateBitmapStorage(int width, int height, int bpp, size_t) {
  return std::make_unique<TDibStorage>(width, height, bpp);
}
}  // namespace nv_skin_detail
