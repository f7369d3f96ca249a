#include "skin/data/skin_data_win32.h"

#include <cstddef>

#include "skin/data/bmp_reader.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kGlyphSize = 16;

TImageListOwner LoadMenuGlyphs() {
  size_t n = 0;
  const uint8_t* bytes = FallbackBitmapBytes("MENUGLYPHS", &n);
  if (!bytes) return {};
  TSkinBitmap strip;
  try {
    strip = LoadBitmapFromBytes(bytes, n);
  } catch (const Exception&) {
    return {};
  }
  TImageListOwner list(ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR24 | ILC_MASK, 4, 0));
  if (!list.Get()) return {};
  // ImageList_AddMasked blackens the masked pixels of the bitmap it is given: a copy.
  TSkinBitmap copy = strip.Clone();
  if (ImageList_AddMasked(list.Get(), static_cast<HBITMAP>(copy.DibHandle()), RGB(255, 255, 255)) < 0)
    return {};
  return list;
}

HICON ProgramSmallIcon(int cx, int cy) {
  // The icon the program's forms register (see the framework's form classes).
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (HICON small = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, cx, cy, LR_SHARED)))
    return small;
  return static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

}  // namespace

TSkinDataWin32::TSkinDataWin32()
    : faceBrush_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))), glyphs_(LoadMenuGlyphs()) {}

uint32_t TSkinDataWin32::SysColor(int index) { return GetSysColor(index); }
int TSkinDataWin32::ScrollArrowWidth() { return GetSystemMetrics(SM_CXHSCROLL); }

bool TSkinDataWin32::HasScrollBarInfo() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 && GetProcAddress(user32, "GetScrollBarInfo");
}

int TSkinDataWin32::MaximizedWidth() { return GetSystemMetrics(SM_CXMAXIMIZED); }
int TSkinDataWin32::MaximizedHeight() { return GetSystemMetrics(SM_CYMAXIMIZED); }

void TSkinDataWin32::SkinBuilt(const TSkinContent& content) {
  if (HBRUSH b = CreateSolidBrush(COLORREF(content.Colours.ButtonFace & 0xFFFFFF))) faceBrush_.Reset(b);
}

void TSkinDataWin32::ReadCaptionFont() {
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  BOOL ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0);
  if (!ok) {
    // Systems before Vista know the structure without its last field.
    m.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0);
  }
  LOGFONTA lf = ok ? m.lfCaptionFont : LOGFONTA{};
  if (!ok) {
    lf.lfHeight = -12;
    lf.lfWeight = FW_BOLD;
  }
  // The caption reads "Netvosk2.1--免费版": with the system's own character set the Chinese
  // part comes out garbled.
  lf.lfCharSet = GB2312_CHARSET;
  if (HFONT f = CreateFontIndirectA(&lf)) captionFont_.Reset(f);
}

TSkinBitmap TSkinDataWin32::CaptionIconPicture() {
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HICON icon = ProgramSmallIcon(cx, cy);
  if (!icon || cx <= 0 || cy <= 0) return TSkinBitmap();
  TSkinBitmap pic(cx, cy, pf24bit);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) pic.SetPixel(x, y, kMagenta);
  TMemoryDC dc;
  if (!dc) return TSkinBitmap();
  TSelectObject sel(dc.Get(), static_cast<HBITMAP>(pic.DibHandle()));
  if (!sel.Ok()) return TSkinBitmap();
  DrawIconEx(dc.Get(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  GdiFlush();
  return pic;
}

TSkinDataWin32* Win32Side(TSkinData& skinData) { return dynamic_cast<TSkinDataWin32*>(&skinData.System()); }

std::unique_ptr<TSkinDataSystem> CreateSkinDataSystem() { return std::make_unique<TSkinDataWin32>(); }
