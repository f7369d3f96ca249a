// TScreen: the program's forms as a whole — every form that exists (message forms too, while
// they are shown), the form that was activated last and the control with the focus.
// One instance, Screen, for the life of the process.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "framework/object.h"
#include "framework/properties.h"

class TForm;
class TWinControl;

class TScreen : public TObject {
  NV_CLASS(TScreen)
 public:
  // Forms in creation order; the copy is safe to keep while forms come and go.
  std::vector<TForm*> Forms() const;
  int FormCount() const;
  // The form of a window (a form's own window, not its children); null when none.
  TForm* FindForm(HWND wnd) const;
  // The form activated last that still exists; null before any.
  TForm* ActiveForm() const;
  // The framework control that has (or contains) the keyboard focus of the calling
  // thread; null when the focus is elsewhere.
  TWinControl* ActiveControl() const;
  // Raised on the GUI thread when another form becomes the active one.
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TForm;
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  void FormActivated(TForm* form);
  mutable std::mutex lock_;
  std::vector<TForm*> forms_;
  TForm* active_ = nullptr;
};

// The one screen object (made on first use, never freed).
TScreen& TheScreen();
extern TScreen* Screen;
