// Text for the skin preview, rendered with FreeType from a CJK outline font at the pixel
// size of the program's 9-point UI font (12 pixels at 96 dpi).
#pragma once

#include <memory>
#include <string>

#include "preview_canvas.h"

struct TTextSize {
  int Width = 0;
  int Height = 0;
};

class TPreviewText {
 public:
  // Raises std::runtime_error when the font cannot be opened.
  TPreviewText(const std::string& fontFile, int pixelSize);
  ~TPreviewText();
  TPreviewText(const TPreviewText&) = delete;
  TPreviewText& operator=(const TPreviewText&) = delete;

  // One line of UTF-8 text; the height is the font's cell height.
  TTextSize Measure(const std::string& text);
  // Draws with the cell's top-left corner at (x, y).
  void Draw(TPreviewCanvas& c, int x, int y, const std::string& text, TColor colour);
  enum TAlign { taLeft, taCenter, taRight };
  // Single line, vertically centred in the rect; cut at the rect's right edge.
  void DrawIn(TPreviewCanvas& c, const TSkinRect& r, const std::string& text, TColor colour,
              TAlign align = taLeft);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};
