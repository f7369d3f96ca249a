// The screenshot's file format: an 8-bit palette PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/encode/octree.h"

// Size of the compressor's output buffer; each time it fills, one IDAT chunk is written.
constexpr size_t kPngIdatChunk = 262143;

// Signature, IHDR (colour type 3, bit depth 8), PLTE with all 256 entries, IDAT chunks (rows
// unfiltered, zlib level 9) and IEND. Raises EPngError for a picture without pixels.
std::vector<uint8_t> EncodePng(const TIndexedImage& image);
// Colour reduction and encoding in one step.
std::vector<uint8_t> EncodeScreenshotPng(const TBgraImage& image);
// Writes the screenshot file; raises EFCreateError / EWriteError / EPngError.
void SaveScreenshotPng(const TBgraImage& image, const std::string& path);
