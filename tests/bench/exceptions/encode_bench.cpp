// The reporter's encoders: the screenshot PNG of a full-HD desktop, and Base64 and CRC-32
// throughput beside a plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "exceptions/encode/base64.h"
#include "exceptions/encode/crc32.h"
#include "exceptions/encode/png_writer.h"

namespace {

// A desktop as a screenshot shows it: a gradient wallpaper, windows with flat faces and
// shaded captions, lines of text-like strokes, and a photo-like picture of many colours.
TBgraImage desktopPicture() {
  TBgraImage img;
  img.width = 1920;
  img.height = 1080;
  img.pixels.resize(size_t(img.width) * size_t(img.height));
  auto px = [&](int x, int y) -> uint32_t& { return img.pixels[size_t(y) * size_t(img.width) + size_t(x)]; };
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) px(x, y) = uint32_t(20 + y / 12) << 8 | uint32_t(90 + y / 8);
  std::mt19937 rng(1);
  struct Win { int x, y, w, h; } wins[] = {{100, 80, 900, 650}, {700, 300, 1000, 700}, {1300, 60, 560, 400}};
  for (const Win& w : wins) {
    for (int y = w.y; y < w.y + w.h; ++y)
      for (int x = w.x; x < w.x + w.w; ++x) {
        bool caption = y < w.y + 28, border = x < w.x + 4 || x >= w.x + w.w - 4 || y >= w.y + w.h - 4;
        px(x, y) = caption ? (uint32_t(40 + (x - w.x) * 150 / w.w) << 16 | 0x5080C0) : border ? 0xC0C0C0 : 0xF0F0F0;
      }
    for (int line = w.y + 40; line + 12 < w.y + w.h - 10; line += 18)  // text: dark strokes in glyph cells
      for (int x = w.x + 12; x < w.x + w.w - 60; x += 7)
        for (int k = 0; k < 14; ++k)
          if (rng() % 5 == 0) px(x + int(rng() % 6), line + int(rng() % 12)) = (rng() & 1) ? 0x000000 : 0x404040;
  }
  for (int y = 400; y < 400 + 53; ++y)  // a banner picture
    for (int x = 760; x < 760 + 466; ++x) px(x, y) = rng() & 0xFFFFFF;
  return img;
}

void BM_ScreenshotPng(benchmark::State& state) {
  TBgraImage img = desktopPicture();
  size_t bytes = 0;
  for (auto _ : state) {
    std::vector<uint8_t> png = EncodeScreenshotPng(img);
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["png_bytes"] = double(bytes);
}
BENCHMARK(BM_ScreenshotPng)->Unit(benchmark::kMillisecond);

void BM_OctreeOnly(benchmark::State& state) {
  TBgraImage img = desktopPicture();
  for (auto _ : state) benchmark::DoNotOptimize(QuantizeOctree(img).indices.data());
}
BENCHMARK(BM_OctreeOnly)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> randomBuffer(size_t n) {
  std::vector<uint8_t> v(n);
  std::mt19937 rng(2);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

constexpr size_t kBytes = 4 << 20;

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> src = randomBuffer(kBytes), dst(kBytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Memcpy);

void BM_Crc32(benchmark::State& state) {
  std::vector<uint8_t> src = randomBuffer(kBytes);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(src.data(), src.size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Crc32);

void BM_Base64Encode(benchmark::State& state) {
  std::vector<uint8_t> src = randomBuffer(kBytes);
  for (auto _ : state) benchmark::DoNotOptimize(Base64Encode(src.data(), src.size()).data());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Base64Encode);

void BM_Base64Decode(benchmark::State& state) {
  std::vector<uint8_t> src = randomBuffer(kBytes);
  std::string text = Base64Encode(src.data(), src.size());
  for (auto _ : state) benchmark::DoNotOptimize(Base64Decode(text)->data());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));  // decoded bytes
}
BENCHMARK(BM_Base64Decode);

}  // namespace
