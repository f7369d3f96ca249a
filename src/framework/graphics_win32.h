// Colours and fonts of the Windows side.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/gdi_owners_win32.h"
#include "framework/object.h"
#include "framework/properties.h"

// Colours: red in the low byte; a negative value names a system colour by its low byte.
using TColor = int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Resolves system colours through the system's colour table.
COLORREF ColorToRGB(TColor c);
// "clBtnFace", "clRed", "$00FF00FF" … as layouts write them; raises EConvertError.
TColor IdentToColor(const std::string& ident);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font description with its GDI font made on demand. Changes call OnChange.
class TFont : public TObject {
  NV_CLASS(TFont)
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  void Assign(const TFont& other);

  std::string Name() const { return name_; }
  void SetName(const std::string& n);
  int Height() const { return height_; }
  void SetHeight(int h);
  int Charset() const { return charset_; }
  void SetCharset(int c);
  unsigned Style() const { return style_; }
  void SetStyle(unsigned s);
  TColor Color() const { return color_; }
  void SetColor(TColor c);

  HFONT Handle();  // shared by fonts of the same description; valid until the next change
  std::function<void()> OnChange;

 private:
  void Changed();
  std::string name_ = "宋体";
  int height_ = -12;
  int charset_ = DEFAULT_CHARSET;
  unsigned style_ = 0;
  TColor color_ = clWindowText;
  std::shared_ptr<TGdiFont> handle_;
};

enum TCursor { crDefault = 0, crArrow = -2, crHandPoint = -21, crHourGlass = -11 };
HCURSOR CursorHandle(int cursor);
