// Timing of the control painters under Wine; run by hand, prints its figures: attaching the
// painters of a window like the main one, one button's paint, a hover repaint (move in,
// leave), each control's repaint and the whole client area, skinned and with the system look.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "skin/controls/attach_controls_win32.h"
#include "skin/controls/skin_painters_win32.h"
#include "skin/data/skin_data.h"
#include "win32/test_files.h"

namespace {
LARGE_INTEGER freq, t0, t1;
void Start() { QueryPerformanceCounter(&t0); }
double Micros(int n = 1) {
  QueryPerformanceCounter(&t1);
  return double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart) / n;
}
template <class T>
T* Add(TForm* form, TWinControl* parent, int x, int y, int w, int h, const char* caption = "") {
  auto* c = new T(form);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  if (*caption) c->SetCaption(caption);
  return c;
}
void Redraw(HWND w, UINT extra, int n) {
  for (int i = 0; i < n; ++i) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | extra);
}
}  // namespace

int main() {
  QueryPerformanceFrequency(&freq);
  TApplication app(nullptr);
  std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
  TSkinData data(nullptr);
  data.SetSkinStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  data.SetSkinControls(DefaultSkinControls());
  auto* form = new TForm(nullptr);
  form->SetBounds(30, 30, 480, 360);
  auto* box1 = Add<TGroupBox>(form, form, 0, 0, 145, 257, "IP列表");
  auto* list = Add<TListBox>(form, box1, 2, 14, 141, 241);
  auto* box2 = Add<TGroupBox>(form, form, 147, 0, 330, 226);
  for (int i = 0; i < 6; ++i) Add<TEdit>(form, box2, 64, 18 + 24 * i, 239, 20);
  Add<TButton>(form, box2, 133, 182, 69, 23, "删除");
  auto* save = Add<TButton>(form, form, 208, 182, 72, 23, "保存");
  for (int i = 0; i < 4; ++i) Add<TButton>(form, form, 157 + 75 * i, 230, 72, 25, "设置");
  auto* bar = Add<TStatusBar>(form, form, 0, 323, 479, 19);
  bar->SetPanels({{50, "精品包包天天特价"}});
  form->Show();
  ShowWindow(form->Handle(), SW_SHOWNORMAL);
  Redraw(form->Handle(), RDW_ALLCHILDREN, 3);

  const int key = 0;
  Start();
  AttachSkinControls(&key, &data, form->Handle(), form);
  const double attach = Micros();
  auto* button = FindPainter(save->Handle());
  const int n = 200;
  Start();
  for (int i = 0; i < n; ++i) button->PaintWindow(nullptr);
  const double paint = Micros(n);
  Start();
  for (int i = 0; i < n; ++i) {
    SendMessageA(save->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(save->Handle(), WM_MOUSELEAVE, 0, 0);
  }
  const double hover = Micros(2 * n);
  std::printf("attach %zu painters %.0f us; button paint %.0f us; hover repaint %.0f us\n",
              SkinPaintersOf(&key)->Items().size(), attach, paint, hover);
  for (TWinControl* c : std::initializer_list<TWinControl*>{box1, box2, bar, save, list}) {
    Start();
    Redraw(c->Handle(), 0, 20);
    std::printf("  repaint %s %.0f us\n", c->ClassName().c_str(), Micros(20));
  }
  Start();
  Redraw(form->Handle(), RDW_ALLCHILDREN, 20);
  const double skinned = Micros(20);
  DetachSkinControls(&key);
  Start();
  Redraw(form->Handle(), RDW_ALLCHILDREN, 20);
  std::printf("client area %.0f us skinned, %.0f us with the system look\n", skinned, Micros(20));
  delete form;
  return 0;
}
