// Drawing-routine costs per output pixel, beside memcpy of the same bytes in the same run:
// a 479 x 30 caption piece from a 3-frame strip (stretched and tiled), the run scan of a
// 479 x 342 window region, and a 342-line gradient.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "skin/data/bitmap_routines.h"

namespace {
constexpr int kW = 479, kCaptionH = 30, kWindowH = 342;

// Three 120 x 30 caption frames with some texture, so nothing is uniform by accident.
const TSkinBitmap& CaptionStrip() {
  static TSkinBitmap strip = [] {
    TSkinBitmap b(360, kCaptionH);
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, uint32_t(x * 7 + y * 131) & 0xFFFFFF);
    return b;
  }();
  return strip;
}

// A window picture with rounded magenta corners and a few key holes in its caption.
TSkinBitmap WindowPicture(int holesEvery) {
  TSkinBitmap b(kW, kWindowH);
  for (int y = 0; y < kWindowH; ++y)
    for (int x = 0; x < kW; ++x) {
      int cx = x < 8 ? 8 - x : x >= kW - 8 ? x - (kW - 9) : 0;
      int cy = y < 8 ? 8 - y : y >= kWindowH - 8 ? y - (kWindowH - 9) : 0;
      bool key = cx * cx + cy * cy > 64 || (holesEvery && y < 30 && x % holesEvery == 0);
      b.SetPixel(x, y, key ? uint32_t(kKeyColor) : 0x303030u + uint32_t(x & 0x3F));
    }
  return b;
}

void PerPixel(benchmark::State& state, int64_t pixels) {
  state.counters["per_px"] =
      benchmark::Counter(double(pixels), benchmark::Counter::kIsIterationInvariantRate |
                                             benchmark::Counter::kInvert);
}

void BM_MemcpyCaption(benchmark::State& state) {
  const size_t bytes = size_t(TSkinBitmap::StrideFor(kW, pf24bit)) * kCaptionH;
  std::vector<uint8_t> a(bytes, 1), b(bytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  PerPixel(state, int64_t(kW) * kCaptionH);
}

void BM_MemcpyWindow(benchmark::State& state) {
  const size_t bytes = size_t(TSkinBitmap::StrideFor(kW, pf24bit)) * kWindowH;
  std::vector<uint8_t> a(bytes, 1), b(bytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  PerPixel(state, int64_t(kW) * kWindowH);
}

void BM_CaptionPiece(benchmark::State& state) {
  const bool tile = state.range(0) != 0;
  for (auto _ : state) {
    TSkinBitmap p = BuildFramePiece({0, 0, kW, kCaptionH}, CaptionStrip(), {40, 8, 40, 8}, false,
                                    tile, 3, 2);
    benchmark::DoNotOptimize(p.ScanLine(0));
  }
  PerPixel(state, int64_t(kW) * kCaptionH);
}

void BM_CaptionHorzPiece(benchmark::State& state) {
  for (auto _ : state) {
    TSkinBitmap p = BuildHorzPiece({0, 0, kW, kCaptionH}, CaptionStrip(), false, 3, 2, {40, 0, 40, 0});
    benchmark::DoNotOptimize(p.ScanLine(0));
  }
  PerPixel(state, int64_t(kW) * kCaptionH);
}

void BM_RegionScan(benchmark::State& state) {
  const TSkinBitmap pic = WindowPicture(int(state.range(0)));
  int64_t rects = 0;
  for (auto _ : state) {
    rects = 0;
    ScanRegionRects(pic, 0, 0, 0, 0, 0, kKeyColor,
                    [&](std::span<const TSkinRect> r, const TSkinRect&) { rects += int64_t(r.size()); });
    benchmark::DoNotOptimize(rects);
  }
  state.counters["rects"] = double(rects);
  PerPixel(state, int64_t(kW) * kWindowH);
}

void BM_Gradient342(benchmark::State& state) {
  TSkinBitmap b(kW, kWindowH);
  const bool fresh = state.range(0) != 0;
  int i = 0;
  for (auto _ : state) {
    // A fresh colour every time defeats the ramp cache: the ramp is computed per paint.
    TColor c2 = fresh ? TColor(0x400000 + (i++ & 0xFFFF)) : 0xFF8040;
    FillGradient(b, {0, 0, kW, kWindowH}, 0x000000, true, c2);
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  PerPixel(state, int64_t(kW) * kWindowH);
}
}  // namespace

BENCHMARK(BM_MemcpyCaption);
BENCHMARK(BM_CaptionPiece)->ArgName("tile")->Arg(0)->Arg(1);
BENCHMARK(BM_CaptionHorzPiece);
BENCHMARK(BM_MemcpyWindow);
BENCHMARK(BM_RegionScan)->ArgName("holes_every")->Arg(0)->Arg(4);
BENCHMARK(BM_Gradient342)->ArgName("uncached")->Arg(0)->Arg(1);
