// The application object: title, hidden application window, message loop, exception
// handling and message boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/controls_win32.h"
#include "framework/exception.h"

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

  // Called for every exception that reaches a window procedure or event handler. They are
  // real, out-of-line functions: the exception reporter diverts them to its own pipeline.
  __attribute__((noinline)) void HandleException(Exception* e);
  // When set, HandleException hands exceptions here instead of showing them.
  std::function<void(Exception*)> OnException;
  __attribute__((noinline)) void ShowException(Exception* e);

  // A system message box owned by the application window.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // Tooltips for controls with ShowHint and a hint.
  void UpdateHint(TWinControl* control);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void CreateParams(TCreateParams& p) override;

 private:
  bool IsKeyMsg(MSG& msg);
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool handlingException_ = false;
  void SetHintTool(HWND hwnd);
  HWND hintWindow_ = nullptr;
  std::vector<HWND> pendingHints_;  // windows whose hints wait for the tooltip window
};

extern TApplication* Application;

// Makes the framework's controls known by class name to the layout reader.
void RegisterFrameworkClasses();

// The framework's plain message box: the application title as caption, one OK button.
void ShowMessage(const std::string& text);
