// Timing of the skinned frame under Wine on a window like the main window: a full frame
// repaint, an activation switch (deactivate and activate again, each a full repaint) and a
// caption button changing state under the mouse. Run by hand; prints its figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <string>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "skin/data/skin_data.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/win_skin_form_win32.h"
#include "win32/skin/skin_test_support.h"
#include "win32/test_files.h"

namespace {

double Now() {
  static LARGE_INTEGER f{};
  if (!f.QuadPart) QueryPerformanceFrequency(&f);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1e6 / double(f.QuadPart);
}

template <class F>
double Median(int rounds, int each, F f) {
  std::vector<double> v;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    for (int i = 0; i < each; ++i) f();
    GdiFlush();
    v.push_back((Now() - t0) / each);
  }
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  auto* app = new TApplication(nullptr);
  RegisterSkinClasses();
  std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
  auto* data = new TSkinData(nullptr);
  data->BeginLoading();
  data->SetSkinStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  data->SetActive(true);
  data->Loaded();
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsSingle);
  form->SetBorderIcons(biSystemMenu);
  form->SetCaption("Netvosk2.1--免费版");
  form->SetBounds(60, 60, 400, 300);
  form->SetClientWidth(479);
  form->SetClientHeight(342);
  form->Show();
  SetActiveWindow(form->Handle());
  Pump(400);
  TWinSkinForm* sf = SkinManage() ? SkinManage()->FindSkinForm(form->Handle()) : nullptr;
  if (!sf || sf->AttachState != asRunning) {
    std::printf("the form was not skinned\n");
    return 1;
  }
  HWND w = form->Handle();
  const double full = Median(9, 100, [&] { sf->PaintFrame(nullptr); });
  const double activation = Median(9, 50, [&] {
    SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
  });
  TWinSysButton* close = nullptr;
  for (auto& b : sf->CaptionButtons)
    if (b->Action() == 0 && b->Visible) close = b.get();
  double hover = 0;
  if (close)
    hover = Median(9, 100, [&] {
      close->MouseMove();
      close->MouseLeave();
    }) / 2;
  // The same repaint with nothing kept from before: what a new size, text or skin costs.
  const double composed = Median(9, 100, [&] {
    sf->InvalidateCaption();
    sf->PaintFrame(nullptr);
  });
  std::printf("full frame repaint: %.0f us (composing the caption band anew: %.0f us)\n", full, composed);
  std::printf("activation switch (deactivate + activate): %.0f us\n", activation);
  std::printf("caption button state change: %.0f us\n", hover);
  delete form;
  FreeSkinManager();
  delete data;
  delete app;
  return 0;
}
