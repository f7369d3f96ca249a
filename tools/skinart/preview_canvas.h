// Drawing surface of the skin preview: a 24-bit picture with the few operations the
// painters need, the skin's compositions laid on it with magenta as the key, and PNG output.
#pragma once

#include <cstdint>
#include <string>

#include "skin/data/bitmap_routines.h"
#include "skin/data/skin_objects.h"

class TPreviewCanvas {
 public:
  TPreviewCanvas(int w, int h, TColor fill);

  TSkinBitmap& Bitmap() { return bmp_; }
  int Width() const { return bmp_.Width(); }
  int Height() const { return bmp_.Height(); }

  // All drawing is moved by this origin (a window's or control's top-left corner).
  void SetOrigin(int x, int y) { ox_ = x, oy_ = y; }
  int OriginX() const { return ox_; }
  int OriginY() const { return oy_; }

  void Fill(const TSkinRect& r, TColor c);
  void Frame(const TSkinRect& r, TColor c);
  void Pixel(int x, int y, TColor c);
  // Laid over the picture with opacity a (0..1).
  void Blend(int x, int y, TColor c, double a);
  // The dotted rectangle of a focused control.
  void FocusRect(const TSkinRect& r, TColor c);
  // An outline with rounded corners, as a one-pixel pen draws it with corner ellipses of
  // the given size.
  void RoundFrame(const TSkinRect& r, int ellipse, TColor c);

  // Copies a picture to (x, y); with `keyed` magenta pixels are left out.
  void Draw(const TSkinBitmap& pic, int x, int y, bool keyed);
  // A frame of an element composed at the rect's size (9-grid), drawn keyed when `trans`.
  void Piece(const TSkinRect& r, const TSkinBitmap& pic, const TSkinRect& margins, bool stacked, bool tile,
             bool trans, int count, int frame);
  void Piece(const TSkinRect& r, const TDataSkinObject& o, int count, int frame, bool stacked = false);
  // Frame k stretched to the rect, keyed.
  void Stretched(const TSkinRect& r, const TSkinBitmap& pic, int count, int frame);
  // Frame k at natural size, centred in the rect, keyed.
  void Centered(const TSkinRect& r, const TSkinBitmap& pic, int count, int frame);

  // Writes an 8-bit RGB PNG; false when the file cannot be written.
  bool SavePng(const std::string& path) const;

 private:
  TSkinBitmap bmp_;
  int ox_ = 0, oy_ = 0;
};

TSkinRect Margins(const TDataSkinObject& o);
