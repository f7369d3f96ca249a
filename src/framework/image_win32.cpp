#include "framework/image_win32.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "framework/exception.h"

namespace {
struct GifSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int count) {
  auto* src = static_cast<GifSource*>(gif->UserData);
  size_t n = std::min(static_cast<size_t>(count < 0 ? 0 : count), src->size - src->pos);
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

// Closes the decoder on every path out.
struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    int err;
    if (gif) DGifCloseFile(gif, &err);
  }
};

std::vector<TPropInfo> pictureProps() {
  return {
      TPropInfo{"Data", TPropKind::Binary,
                [](const TObject& o) { return TPropValue::Binary(static_cast<const TPicture&>(o).Data()); },
                [](TObject& o, const TPropValue& v) { static_cast<TPicture&>(o).SetData(v.bytes); }}};
}
std::vector<TPropInfo> imageProps() {
  return {ObjectProp("Picture", &TImage::Picture),
          BoolProp("Stretch", &TImage::Stretch, &TImage::SetStretch)};
}
}  // namespace

NV_DEFINE_CLASS_EX(TPicture, TObject, nullptr, pictureProps)
NV_DEFINE_COMPONENT(TImage, TWinControl, imageProps)

TPicture::~TPicture() { Release(); }

void TPicture::Release() {
  bitmap_.Reset();
  width_ = height_ = 0;
}

void TPicture::SetData(const std::vector<uint8_t>& data) {
  LoadGif(data.data(), data.size(), GetSysColor(COLOR_BTNFACE));
  data_ = data;
  if (OnChange) OnChange();
}

void TPicture::LoadGif(const uint8_t* data, size_t size, COLORREF background) {
  GifSource src{data, size, 0};
  int err = 0;
  GifCloser closer{DGifOpen(&src, ReadGifBytes, &err)};
  if (!closer.gif) throw EInvalidGraphic(Format("Invalid GIF picture: %s", GifErrorString(err)));
  if (DGifSlurp(closer.gif) != GIF_OK || closer.gif->ImageCount < 1)
    throw EInvalidGraphic(Format("Invalid GIF picture: %s", GifErrorString(closer.gif->Error)));
  GifFileType* gif = closer.gif;
  int w = gif->SWidth, h = gif->SHeight;
  if (w <= 0 || h <= 0 || w > 8192 || h > 8192) throw EInvalidGraphic("Invalid GIF picture: bad size");
  const SavedImage& img = gif->SavedImages[0];
  const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
  if (!map) throw EInvalidGraphic("Invalid GIF picture: no colour table");
  GraphicsControlBlock gcb{};
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  DGifSavedExtensionToGCB(gif, 0, &gcb);

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp) throw EOutOfMemory("Out of memory for a picture");
  auto* px = static_cast<uint32_t*>(bits);
  uint32_t bg = (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
  std::fill(px, px + static_cast<size_t>(w) * h, bg);
  const GifImageDesc& d = img.ImageDesc;
  for (int y = 0; y < d.Height; ++y) {
    int ty = d.Top + y;
    if (ty < 0 || ty >= h) continue;
    for (int x = 0; x < d.Width; ++x) {
      int tx = d.Left + x;
      if (tx < 0 || tx >= w) continue;
      int index = img.RasterBits[static_cast<size_t>(y) * d.Width + x];
      if (index == gcb.TransparentColor || index >= map->ColorCount) continue;
      const GifColorType& c = map->Colors[index];
      px[static_cast<size_t>(ty) * w + tx] = (c.Red << 16) | (c.Green << 8) | c.Blue;
    }
  }
  Release();
  bitmap_ = std::move(bmp);
  width_ = w;
  height_ = h;
}

TImage::TImage(TComponent* owner) : TWinControl(owner) {
  picture_.OnChange = [this] {
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
  };
}

void TImage::SetStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TImage::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.classStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}

void TImage::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(dc, &r, ColorBrush());
  if (!picture_.Handle()) return;
  TMemoryDC mem(dc);
  TSelectObject select(mem.Get(), picture_.Handle());
  if (stretch_) {
    TStretchMode mode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, r.right, r.bottom, mem.Get(), 0, 0, picture_.Width(), picture_.Height(), SRCCOPY);
  } else {
    BitBlt(dc, 0, 0, picture_.Width(), picture_.Height(), mem.Get(), 0, 0, SRCCOPY);
  }
}

void TImage::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:  // Paint covers the whole client area
      m.Result = 1;
      return;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(Handle());
      m.Result = 0;
      return;
    case WM_LBUTTONUP: {
      bool wasPressed = pressed_;
      pressed_ = false;
      ReleaseCapture();
      POINT pt{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      RECT r;
      GetClientRect(Handle(), &r);
      if (wasPressed && PtInRect(&r, pt)) Click();
      m.Result = 0;
      return;
    }
    default: TWinControl::WndProc(m);
  }
}
