#include "preview_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <vector>

namespace {
// Code points of a UTF-8 text; invalid bytes become U+FFFD.
std::vector<char32_t> Decode(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (n < 0 || s.size() - i <= size_t(n)) {  // a sequence cut short
      out.push_back(0xFFFD), ++i;
      continue;
    }
    char32_t c = n == 0 ? b : b & (0x3F >> n);
    for (int k = 1; k <= n; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
    out.push_back(c);
    i += size_t(n) + 1;
  }
  return out;
}
}  // namespace

struct TPreviewText::TImpl {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  int size = 12;
  int ascent = 10;

  // Draws (or with c null only measures) a line; returns its advance.
  int Run(TPreviewCanvas* c, int x, int y, const std::string& text, TColor colour, int clipRight) {
    int pen = 0;
    for (char32_t ch : Decode(text)) {
      if (FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
      FT_GlyphSlot g = face->glyph;
      if (c) {
        const FT_Bitmap& b = g->bitmap;
        for (unsigned row = 0; row < b.rows; ++row)
          for (unsigned col = 0; col < b.width; ++col) {
            int px = x + pen + g->bitmap_left + int(col), py = y + ascent - g->bitmap_top + int(row);
            if (px >= clipRight) continue;
            c->Blend(px, py, colour, b.buffer[row * unsigned(b.pitch) + col] / 255.0);
          }
      }
      pen += int(g->advance.x >> 6);
    }
    return pen;
  }
};

TPreviewText::TPreviewText(const std::string& fontFile, int pixelSize) : impl_(std::make_unique<TImpl>()) {
  if (FT_Init_FreeType(&impl_->lib) != 0) throw std::runtime_error("FreeType does not start");
  if (FT_New_Face(impl_->lib, fontFile.c_str(), 0, &impl_->face) != 0)
    throw std::runtime_error("cannot open the font " + fontFile);
  FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(pixelSize));
  impl_->size = pixelSize;
  // A CJK font's cell: about five sixths above the baseline.
  impl_->ascent = (pixelSize * 10 + 6) / 12;
}

TPreviewText::~TPreviewText() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->lib) FT_Done_FreeType(impl_->lib);
}

TTextSize TPreviewText::Measure(const std::string& text) {
  return {impl_->Run(nullptr, 0, 0, text, 0, 0), impl_->size};
}

void TPreviewText::Draw(TPreviewCanvas& c, int x, int y, const std::string& text, TColor colour) {
  impl_->Run(&c, x, y, text, colour, 1 << 30);
}

void TPreviewText::DrawIn(TPreviewCanvas& c, const TSkinRect& r, const std::string& text, TColor colour,
                          TAlign align) {
  TTextSize s = Measure(text);
  int x = align == taLeft    ? r.Left
          : align == taRight ? r.Right - s.Width
                             : r.Left + (r.Width() - s.Width) / 2;
  impl_->Run(&c, x, r.Top + (r.Height() - s.Height) / 2, text, colour, r.Right);
}
