// The application object: title, hidden application window, message loop, exception
// handling and message boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls_win32.h"
#include "framework/exception.h"
#include "framework/guard.h"
#include "framework/handle_owners_win32.h"

// Keeps a function real and spliceable by a code hook: never inlined, cloned or folded with
// another, and starting with the ordinary frame set-up (push ebp; mov ebp, esp) instead of
// an early test moved in front of it.
#define NV_SPLICEABLE __attribute__((noipa, optimize("no-omit-frame-pointer", "no-shrink-wrap")))

class TForm;

class TApplication : public TWinControl {
  NV_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  std::string Title() const { return title_; }
  void SetTitle(const std::string& t);

  // Creates a form owned by the application; the first one becomes the main form.
  template <class F>
  F* CreateForm() {
    F* form = new F(this);
    if (!mainForm_) mainForm_ = form;
    return form;
  }
  TForm* MainForm() const { return mainForm_; }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // One pass of the loop over waiting messages; false once WM_QUIT arrived.
  bool ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Every exception that a guard caught (window procedures, subclass and hook procedures,
  // timers, enumeration callbacks, the message loops, the creation of the main form) comes
  // here, on the thread that raised it and inside the catch block, so the object is alive:
  // a framework exception is the thrown object itself, any other C++ exception an
  // ECppException (cpp_exception.h) named after its type and holding the thrown object.
  // EAbort is dropped silently; otherwise OnException gets it when set, else ShowException.
  // Both are real, out-of-line functions that a code hook can splice (see NV_SPLICEABLE).
  NV_SPLICEABLE void HandleException(Exception* e);
  // When set, HandleException hands exceptions here instead of showing them.
  std::function<void(Exception*)> OnException;
  // Shows the exception's message in a message box with the application's title.
  NV_SPLICEABLE void ShowException(Exception* e);
  // The code addresses of the two, for a code hook.
  static void* HandleExceptionAddress();
  static void* ShowExceptionAddress();

  // The program's icon, as its windows show it (shared; not to be destroyed).
  HICON Icon() const { return ProgramIcon(false); }
  HICON SmallIcon() const { return ProgramIcon(true); }

  // A system message box owned by the application window.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // Tooltips for controls with ShowHint and a hint.
  void UpdateHint(TWinControl* control);

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;

 private:
  bool IsKeyMsg(MSG& msg);
  void HandleMessage(MSG& msg);
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool handlingException_ = false;
  void SetHintTool(HWND hwnd);
  void CreateHintWindow();  // the tooltip window, with the hints waiting for it
  TOwnedWindow hintWindow_;
  TExceptionSink previousSink_ = nullptr;
  std::vector<HWND> pendingHints_;  // windows whose hints wait for the tooltip window
};

extern TApplication* Application;

// Makes the framework's controls known by class name to the layout reader.
void RegisterFrameworkClasses();

// The framework's plain message box: the application title as caption, one OK button.
void ShowMessage(const std::string& text);
