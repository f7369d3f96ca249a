// Drawing routines for skin pictures: colour arithmetic, gradient ramps, pixel transforms,
// frame location, 9-grid and 3-part composition, and the run scan behind window regions.
//
// Everything here works on TSkinBitmap pixel rows and compiles in both builds; the GDI
// versions that draw into device contexts live in bitmap_routines_win32.h.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "skin/data/bitmap.h"
#include "skin/data/system_colors.h"

// 0x00BBGGRR (red in the low byte). A negative value names a system colour whose index is
// the low byte.
using TColor = std::int32_t;

// The transparent key of every skin picture: red 255, green 0, blue 255.
constexpr TColor kKeyColor = 0xFF00FF;

// A rectangle record; also carries the margins of a frame (left and right widths, top and
// bottom heights), in that order.
struct TSkinRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // Routines that take a rect do nothing for an inverted one.
  bool Inverted() const { return Right < Left || Bottom < Top; }
  bool operator==(const TSkinRect&) const = default;
};

// ---- Colours ----

// Resolves system colours; the result is a plain 0x00BBGGRR colour.
TColor ResolveColor(TColor c);

// Mixes per channel: weights below 100 are percent of c1, 100 and above per mille of c1
// (150 = 15 % of c1). Channels are rounded and saturate to 0..255.
TColor MixColors(TColor c1, TColor c2, int weight);

// Index of a cached ramp of n colours from c1 to c2 (n >= 1, else EAssertionFailed). The
// cache has 16 slots reused in turn; a slot's colours stay valid until 16 further ramps
// that were not in the cache have been computed.
constexpr int kGradientSlots = 16;
int GradientRamp(int n, TColor c1, TColor c2);
std::span<const TColor> GradientColors(int slot);

// First and last line (inclusive) of an n-line gradient starting at rectStart that fall
// inside the clip span [clipStart, clipEnd). first > last when none does.
struct TLineRange {
  int First;
  int Last;
};
TLineRange GradientLineRange(int rectStart, int n, int clipStart, int clipEnd);

// The off-screen counterpart of the device-context FillGradient: c1 at the top (vertical) or
// left, c2 at the bottom or right; the rect is clipped to the bitmap.
void FillGradient(TSkinBitmap& bmp, const TSkinRect& rect, TColor c1, bool vertical, TColor c2);

// 0..255 (rounded half to even) when any channel exceeds 159, else 200.
int ColorSaturation(TColor c);

// ---- Pixel transforms (in place, whole rows) ----

void GrayBitmap(TSkinBitmap& bmp);                  // 24 bits, each pixel the mean of B,G,R
void ReplaceKeyColor(TSkinBitmap& bmp, TColor c);   // 24 bits, exact magenta becomes c
void MirrorBitmap(TSkinBitmap& bmp);                // left-right
void FlipBitmap(TSkinBitmap& bmp);                  // top-bottom
void RotateLeft(TSkinBitmap& bmp);                  // 90 degrees counter-clockwise
void RotateRight(TSkinBitmap& bmp);                 // 90 degrees clockwise

// ---- Frames and composition ----

// Frame k (from 1) of `count` equal frames, side by side or stacked; divisions truncate.
// A count below 1 counts as 1 and k is kept within 1..count, so the rect never leaves the
// picture.
TSkinRect FrameRect(int width, int height, bool stacked, int count, int frame);
inline TSkinRect FrameRect(const TSkinBitmap& pic, bool stacked, int count, int frame) {
  return FrameRect(pic.Width(), pic.Height(), stacked, count, frame);
}

// Nearest-pixel stretch of src's part into dst's part, picking the pixels GDI's
// colour-on-colour mode picks. Parts are clipped to their bitmaps; the mapping follows the unclipped target part.
void StretchCopy(const TSkinBitmap& src, const TSkinRect& srcPart, TSkinBitmap& dst,
                 const TSkinRect& dstPart);
// Copies src's part at natural size again and again from dstPart's top-left corner until
// dstPart is covered; tiles are cut at dstPart's edges.
void TileCopy(const TSkinBitmap& src, const TSkinRect& srcPart, TSkinBitmap& dst,
              const TSkinRect& dstPart);

// A new picture of the target's size made of one frame: fixed corners, stretched edges and
// a stretched or tiled centre. Side margins are dropped when the target is narrower than
// both together; likewise top and bottom. Empty for an inverted target or picture.
TSkinBitmap BuildFramePiece(const TSkinRect& target, const TSkinBitmap& pic,
                            const TSkinRect& margins, bool stacked, bool tile, int count,
                            int frame);
// Left cap, middle part repeated at natural width, right cap; all stretched to the target's
// height. A frame whose caps leave no middle is stretched whole.
TSkinBitmap BuildHorzPiece(const TSkinRect& target, const TSkinBitmap& pic, bool stacked,
                           int count, int frame, const TSkinRect& margins);
// The same two compositions into an existing picture whose size is the target's (its
// contents are replaced), so that repeated paints can reuse one picture.
void ComposeFramePiece(TSkinBitmap& out, const TSkinBitmap& pic, const TSkinRect& margins,
                       bool stacked, bool tile, int count, int frame);
void ComposeHorzPiece(TSkinBitmap& out, const TSkinBitmap& pic, bool stacked, int count,
                      int frame, const TSkinRect& margins);
// Frame k (side by side) stretched to the target.
TSkinBitmap BuildStretchedFrame(const TSkinRect& target, const TSkinBitmap& pic, int count,
                                int frame);
// Left part, stretched middle, right part at full target height; the whole frame stretched
// when the target is narrower than the frame.
TSkinBitmap BuildThreePart(const TSkinRect& target, const TSkinBitmap& pic, bool stacked,
                           int count, int frame, const TSkinRect& margins);

// Monochrome rows (most significant bit first, each row padded to rowAlign bytes) of a part
// of the picture: a bit is set where the pixel is exactly the key colour.
std::vector<std::uint8_t> KeyMaskBits(const TSkinBitmap& pic, const TSkinRect& part, TColor key,
                                      int rowAlign);

// ---- Regions ----

// Rectangles handed to the system in blocks of at most this many.
constexpr int kRegionBatch = 2000;
// One block of rectangles in row order, with their bounding box.
using TRegionBatchSink =
    std::function<void(std::span<const TSkinRect> rects, const TSkinRect& bounds)>;
// Every run of non-key pixels of a row becomes a one-row rectangle, moved by the offsets. A
// pixel is a key pixel when each channel lies from the key's value up to that value plus
// the channel's tolerance (capped at 255).
void ScanRegionRects(const TSkinBitmap& pic, int xOffset, int yOffset, int tolBlue,
                     int tolGreen, int tolRed, TColor key, const TRegionBatchSink& sink);
