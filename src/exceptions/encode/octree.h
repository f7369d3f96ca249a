// Colour reduction for screenshots: an octree brings any picture down to at most 256 colours.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// A 32-bit picture as a device-independent bitmap holds it in memory: rows top to bottom,
// each pixel one 32-bit word with blue in the low byte, then green, then red (0x00RRGGBB).
struct TBgraImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height words
};

// 8 bits per pixel into a colour table of 256 entries (0x00RRGGBB; unused entries zero).
struct TIndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;  // width * height bytes, rows top to bottom
  std::array<uint32_t, 256> palette{};
  int colorCount = 0;            // entries of the palette in use
};

// Inserts every pixel's colour into an octree, merges the children of the deepest reducible
// node while more than maxColors leaves exist, and maps each pixel to its leaf's average
// colour. A picture with no more than maxColors colours keeps every colour exactly.
TIndexedImage QuantizeOctree(const TBgraImage& image, int maxColors = 256);
