#include "framework/graphics_win32.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/exception.h"

COLORREF ColorToRGB(TColor c) {
  if (c < 0) return GetSysColor(c & 0xFF);
  return static_cast<COLORREF>(c) & 0xFFFFFF;
}

TColor IdentToColor(const std::string& ident) {
  static const struct {
    const char* name;
    TColor value;
  } table[] = {
      {"clBlack", 0x000000},
      {"clMaroon", 0x000080},
      {"clGreen", 0x008000},
      {"clOlive", 0x008080},
      {"clNavy", 0x800000},
      {"clPurple", 0x800080},
      {"clTeal", 0x808000},
      {"clGray", 0x808080},
      {"clSilver", 0xC0C0C0},
      {"clRed", 0x0000FF},
      {"clLime", 0x00FF00},
      {"clYellow", 0x00FFFF},
      {"clBlue", 0xFF0000},
      {"clFuchsia", 0xFF00FF},
      {"clAqua", 0xFFFF00},
      {"clWhite", 0xFFFFFF},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clBtnFace", clBtnFace},
      {"clWindow", clWindow},
      {"clWindowText", clWindowText},
      {"clBtnText", clBtnText},
      {"clHighlight", clSystemColor | COLOR_HIGHLIGHT},
      {"clHighlightText", clSystemColor | COLOR_HIGHLIGHTTEXT},
      {"clBtnShadow", clSystemColor | COLOR_BTNSHADOW},
      {"clBtnHighlight", clSystemColor | COLOR_BTNHIGHLIGHT},
      {"clGrayText", clSystemColor | COLOR_GRAYTEXT},
      {"clInfoBk", clSystemColor | COLOR_INFOBK},
      {"clInfoText", clSystemColor | COLOR_INFOTEXT},
      {"clActiveCaption", clSystemColor | COLOR_ACTIVECAPTION},
  };
  for (const auto& e : table)
    if (SameText(e.name, ident)) return e.value;
  throw EConvertError(Format("'%s' is not a valid colour", ident.c_str()));
}

static std::vector<TPropInfo> fontProps() {
  return {
      StrProp("Name", &TFont::Name, &TFont::SetName), IntProp("Height", &TFont::Height, &TFont::SetHeight),
      TPropInfo{"Charset", TPropKind::Identifier, nullptr,
                [](TObject& o, const TPropValue& v) {
                  auto& f = static_cast<TFont&>(o);
                  if (v.kind == TPropKind::Integer) {
                    f.SetCharset(static_cast<int>(v.integer));
                    return;
                  }
                  if (SameText(v.text, "ANSI_CHARSET"))
                    f.SetCharset(ANSI_CHARSET);
                  else if (SameText(v.text, "GB2312_CHARSET"))
                    f.SetCharset(GB2312_CHARSET);
                  else
                    f.SetCharset(DEFAULT_CHARSET);
                }},
      TPropInfo{"Color", TPropKind::Identifier, nullptr,
                [](TObject& o, const TPropValue& v) {
                  static_cast<TFont&>(o).SetColor(
                      v.kind == TPropKind::Integer ? static_cast<TColor>(v.integer) : IdentToColor(v.text));
                }},
      TPropInfo{"Style", TPropKind::Set, nullptr, [](TObject& o, const TPropValue& v) {
                  unsigned s = 0;
                  for (const auto& m : v.list) {
                    if (SameText(m, "fsBold"))
                      s |= fsBold;
                    else if (SameText(m, "fsItalic"))
                      s |= fsItalic;
                    else if (SameText(m, "fsUnderline"))
                      s |= fsUnderline;
                    else if (SameText(m, "fsStrikeOut"))
                      s |= fsStrikeOut;
                  }
                  static_cast<TFont&>(o).SetStyle(s);
                }}};
}
NV_DEFINE_CLASS_EX(TFont, TObject, nullptr, fontProps)

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(const TFont& other) {
  name_ = other.name_;
  height_ = other.height_;
  charset_ = other.charset_;
  style_ = other.style_;
  color_ = other.color_;
  Changed();
}

void TFont::SetName(const std::string& n) {
  if (n != name_) {
    name_ = n;
    Changed();
  }
}
void TFont::SetHeight(int h) {
  if (h != height_) {
    height_ = h;
    Changed();
  }
}
void TFont::SetCharset(int c) {
  if (c != charset_) {
    charset_ = c;
    Changed();
  }
}
void TFont::SetStyle(unsigned s) {
  if (s != style_) {
    style_ = s;
    Changed();
  }
}
void TFont::SetColor(TColor c) {
  if (c != color_) {
    color_ = c;
    Changed();
  }
}

void TFont::Changed() {
  handle_.reset();
  if (OnChange) OnChange();
}

namespace {
// Controls of one window mostly share one font; asking GDI (and under Wine, fontconfig) for
// each of them again costs more than the rest of creating the window. A font handle lives as
// long as some TFont uses it.
std::shared_ptr<TGdiFont> SharedFont(const LOGFONTA& lf) {
  struct Entry {
    LOGFONTA lf;
    std::weak_ptr<TGdiFont> font;
  };
  static std::vector<Entry>* cache = new std::vector<Entry>;
  for (auto it = cache->begin(); it != cache->end();) {
    if (it->font.expired()) {
      it = cache->erase(it);
      continue;
    }
    if (std::memcmp(&it->lf, &lf, sizeof lf) == 0) return it->font.lock();
    ++it;
  }
  auto font = std::make_shared<TGdiFont>(CreateFontIndirectA(&lf));
  if (!*font) return nullptr;
  cache->push_back({lf, font});
  return font;
}
}  // namespace

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) != 0;
    lf.lfUnderline = (style_ & fsUnderline) != 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) != 0;
    // Chinese text needs a Chinese charset whatever the layout says, or GDI picks a
    // Latin face that shows question marks.
    lf.lfCharSet = static_cast<BYTE>(charset_ == ANSI_CHARSET && GetACP() == 936 ? GB2312_CHARSET : charset_);
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = SharedFont(lf);
  }
  return handle_ ? handle_->Get() : nullptr;
}

HCURSOR CursorHandle(int cursor) {
  switch (cursor) {
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crHourGlass: return LoadCursor(nullptr, IDC_WAIT);
    default: return LoadCursor(nullptr, IDC_ARROW);
  }
}
