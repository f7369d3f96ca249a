// BMP reader on arbitrary bytes.
#include <cstdint>

#include "framework/exception.h"
#include "skin/data/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TSkinBitmap b = LoadBitmapFromBytes(data, size);
    uint32_t sum = 0;
    for (int y = 0; y < b.Height(); ++y) sum += b.Pixel(0, y) + b.Pixel(b.Width() - 1, y);
    (void)sum;
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
