#include "exceptions/dialog/coordinates.h"

#include <algorithm>

namespace {
// Widths a user can drag a column to; 0 hides a column, which a stored file may well say.
constexpr int kMaxColumnWidth = 4000;
// Part of the caption that must stay on the work area for the window to be movable.
constexpr int kGrip = 40;
}  // namespace

int UsableColumnWidth(int stored, int fallback) {
  return stored >= 0 && stored <= kMaxColumnWidth ? stored : fallback;
}

TLayoutRect FitStoredPlace(const TDialogCoordinates& c, const TLayoutRect& work, int minWidth,
                           int minHeight) {
  int width = std::min(std::max(c.width, minWidth), std::max(work.Width(), minWidth));
  int height = std::min(std::max(c.height, minHeight), std::max(work.Height(), minHeight));
  int left = work.left + (work.Width() - width) / 2;
  int top = work.top + (work.Height() - height) / 2;
  if (c.hasPlace) {
    bool reachable = c.left + width - kGrip >= work.left && c.left + kGrip <= work.right &&
                     c.top >= work.top && c.top + kGrip <= work.bottom;
    // Where the stored place lies partly off the work area, as much of it as fits comes back.
    if (reachable) {
      left = std::max<int>(work.left, std::min<int>(c.left, work.right - width));
      top = std::max<int>(work.top, std::min<int>(c.top, work.bottom - height));
    }
  }
  return {left, top, left + width, top + height};
}

std::string CoordinatesFileBeside(const std::string& fileName) {
  size_t cut = std::string::npos;
  for (size_t i = 0; i < fileName.size(); ++i) {
    unsigned char ch = static_cast<unsigned char>(fileName[i]);
    if (ch >= 0x81 && ch <= 0xFE && i + 1 < fileName.size()) {
      ++i;  // a two-byte character: its second byte is no separator
      continue;
    }
    if (ch == '\\' || ch == '/' || ch == ':') cut = i;
  }
  std::string folder = cut == std::string::npos ? std::string() : fileName.substr(0, cut + 1);
  return folder + kCoordinatesFileName;
}
