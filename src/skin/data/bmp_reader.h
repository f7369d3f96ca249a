// Reads a Windows BMP file image from memory into a TSkinBitmap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/data/bitmap.h"

// 1/4/8/16/24/32 bits per pixel, bottom-up and top-down, BI_RGB and BI_BITFIELDS. The result
// is pf24bit, except for 32-bit sources, which stay pf32bit. Anything else (truncated data,
// RLE, JPEG/PNG payloads, absurd sizes) raises EInvalidGraphic with the reason.
TSkinBitmap LoadBitmapFromBytes(const uint8_t* data, size_t size);
