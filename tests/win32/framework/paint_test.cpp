// Painting into a given device context: WM_PAINT with a DC in wParam, WM_PRINTCLIENT, and
// the erase that the parent-background routine sends first. Pixels of a memory DC that was
// filled with a marker colour first.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/gdi_owners_win32.h"
#include "framework/image_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "framework/streams.h"

namespace {
constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr TColor kFormColor = 0x1EC80A;  // RGB(10, 200, 30)

// A 32-bit memory DC of the given size, filled with the marker.
class TCanvas {
 public:
  TCanvas(int w, int h) : w_(w) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB};
    bitmap_.Reset(
        CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    select_.emplace(dc_.Get(), bitmap_.Get());
    TGdiBrush marker(CreateSolidBrush(kMarker));
    RECT r{0, 0, w, h};
    FillRect(dc_.Get(), &r, marker.Get());
  }
  HDC Get() const { return dc_.Get(); }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int w_;
  uint32_t* bits_ = nullptr;
  TMemoryDC dc_;
  TGdiBitmap bitmap_;
  std::optional<TSelectObject> select_;
};

class PaintInto : public ::testing::Test {
 protected:
  void SetUp() override {
    app = new TApplication(nullptr);
    form = app->CreateForm<TForm>();
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    form->SetColor(kFormColor);
    form->Show();
  }
  void TearDown() override { delete app; }
  template <class C>
  C* Add(int x, int y, int w, int h) {
    auto* c = new C(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    c->Handle();
    return c;
  }
  TApplication* app = nullptr;
  TForm* form = nullptr;
};
}  // namespace

TEST_F(PaintInto, AFormPaintedIntoAMemoryDCShowsItsColor) {
  // Erase and paint into a given DC, as the parent-background routine does; the window's
  // own update region is left alone.
  InvalidateRect(form->Handle(), nullptr, FALSE);
  {
    TCanvas canvas(300, 200);
    SendMessageA(form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Get()), 0);
    SendMessageA(form->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(canvas.Get()), 0);
    EXPECT_EQ(canvas.Pixel(150, 100), ColorToRGB(kFormColor));
    EXPECT_EQ(canvas.Pixel(299, 199), ColorToRGB(kFormColor));
  }
  RECT update;
  EXPECT_TRUE(GetUpdateRect(form->Handle(), &update, FALSE));
  {
    TCanvas canvas(300, 200);
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(canvas.Pixel(10, 10), ColorToRGB(kFormColor));
  }
  {
    TCanvas canvas(300, 200);  // without PRF_ERASEBKGND the form has nothing of its own to paint
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()), PRF_CLIENT);
    EXPECT_EQ(canvas.Pixel(10, 10), kMarker);
  }
}

TEST_F(PaintInto, EveryControlKindPrintsItsClientArea) {
  struct Case {
    TWinControl* control;
    int x, y;
    COLORREF expected;
  };
  auto* edit = Add<TEdit>(0, 0, 80, 22);
  auto* button = Add<TButton>(0, 30, 80, 24);
  auto* group = Add<TGroupBox>(100, 0, 80, 60);
  auto* list = Add<TListBox>(200, 0, 80, 60);
  auto* label = Add<TLabel>(0, 60, 40, 15);
  label->SetAutoSize(false);
  label->SetBounds(0, 60, 40, 15);
  auto* bar = Add<TStatusBar>(0, 180, 300, 20);
  auto* image = Add<TImage>(0, 100, 60, 40);
  std::vector<uint8_t> gif = ReadFileBytes(std::string("Z:") + NV_SOURCE_DIR + "/resources/app/banner.gif");
  image->Picture()->SetData(gif);
  // Where the banner's first pixel would be painted, as the picture holds it.
  TCanvas reference(1, 1);
  {
    TMemoryDC mem(reference.Get());
    TSelectObject sel(mem.Get(), image->Picture()->Handle());
    BitBlt(reference.Get(), 0, 0, 1, 1, mem.Get(), 0, 0, SRCCOPY);
  }
  COLORREF face = GetSysColor(COLOR_BTNFACE), window = GetSysColor(COLOR_WINDOW);
  std::vector<Case> cases{{edit, 40, 11, window},
                          {button, 40, 4, face},
                          {group, 40, 40, face},
                          {list, 40, 30, window},
                          {label, 20, 7, ColorToRGB(kFormColor)},
                          {bar, 150, 10, face},
                          {image, 0, 0, reference.Pixel(0, 0)}};
  for (const Case& c : cases) {
    TCanvas canvas(c.control->Width(), c.control->Height());
    SendMessageA(c.control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(canvas.Pixel(c.x, c.y), c.expected) << c.control->ClassName() << " (WM_PRINTCLIENT)";
    TCanvas painted(c.control->Width(), c.control->Height());
    SendMessageA(c.control->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(painted.Get()), 0);
    SendMessageA(c.control->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(painted.Get()), 0);
    EXPECT_EQ(painted.Pixel(c.x, c.y), c.expected) << c.control->ClassName() << " (WM_PAINT with a DC)";
  }
}
