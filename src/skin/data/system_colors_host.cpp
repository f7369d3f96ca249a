// Host build: no system to ask, so system colours come from the classic default scheme.
#include <array>
#include <cstddef>

#include "skin/data/system_colors.h"

namespace {
constexpr std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r | (g << 8) | (b << 16)); }
constexpr std::array<std::uint32_t, 31> kClassicScheme = {
    Rgb(212, 208, 200),  // scroll bar
    Rgb(58, 110, 165),   // desktop
    Rgb(10, 36, 106),    // active caption
    Rgb(128, 128, 128),  // inactive caption
    Rgb(212, 208, 200),  // menu
    Rgb(255, 255, 255),  // window
    Rgb(0, 0, 0),        // window frame
    Rgb(0, 0, 0),        // menu text
    Rgb(0, 0, 0),        // window text
    Rgb(255, 255, 255),  // caption text
    Rgb(212, 208, 200),  // active border
    Rgb(212, 208, 200),  // inactive border
    Rgb(128, 128, 128),  // application workspace
    Rgb(10, 36, 106),    // highlight
    Rgb(255, 255, 255),  // highlight text
    Rgb(212, 208, 200),  // button face
    Rgb(128, 128, 128),  // button shadow
    Rgb(128, 128, 128),  // grey text
    Rgb(0, 0, 0),        // button text
    Rgb(212, 208, 200),  // inactive caption text
    Rgb(255, 255, 255),  // button highlight
    Rgb(64, 64, 64),     // 3-D dark shadow
    Rgb(212, 208, 200),  // 3-D light
    Rgb(0, 0, 0),        // tooltip text
    Rgb(255, 255, 225),  // tooltip background
    Rgb(0, 0, 0),        // (unused index)
    Rgb(0, 0, 128),      // hot-tracked item
    Rgb(166, 202, 240),  // active caption gradient
    Rgb(192, 192, 192),  // inactive caption gradient
    Rgb(49, 106, 197),   // menu highlight
    Rgb(212, 208, 200),  // menu bar
};
}  // namespace

std::uint32_t SystemColor(int index) {
  if (index < 0 || index >= int(kClassicScheme.size())) return 0;
  return kClassicScheme[static_cast<std::size_t>(index)];
}
