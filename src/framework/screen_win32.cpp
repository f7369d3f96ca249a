#include "framework/screen_win32.h"

#include <algorithm>

#include "framework/forms_win32.h"

NV_DEFINE_CLASS(TScreen, TObject)

TScreen& TheScreen() {
  static auto* screen = new TScreen;  // forms may still go while the program ends
  return *screen;
}
TScreen* Screen = &TheScreen();

std::vector<TForm*> TScreen::Forms() const {
  std::lock_guard<std::mutex> guard(lock_);
  return forms_;
}

int TScreen::FormCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(forms_.size());
}

TForm* TScreen::FindForm(HWND wnd) const {
  if (!wnd) return nullptr;
  std::lock_guard<std::mutex> guard(lock_);
  for (TForm* f : forms_)
    if (f->HandleAllocated() && f->Handle() == wnd) return f;
  return nullptr;
}

TForm* TScreen::ActiveForm() const {
  std::lock_guard<std::mutex> guard(lock_);
  return active_;
}

TWinControl* TScreen::ActiveControl() const {
  for (HWND w = GetFocus(); w; w = GetParent(w))
    if (TWinControl* c = TWinControl::FromHandle(w)) return c;
  return nullptr;
}

void TScreen::AddForm(TForm* form) {
  std::lock_guard<std::mutex> guard(lock_);
  forms_.push_back(form);
}

void TScreen::RemoveForm(TForm* form) {
  std::lock_guard<std::mutex> guard(lock_);
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (active_ == form) active_ = nullptr;
}

void TScreen::FormActivated(TForm* form) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (active_ == form) return;
    active_ = form;
  }
  if (OnActiveFormChange) OnActiveFormChange(this);
}
