#include "framework/message_form_win32.h"

#include <algorithm>
#include <memory>

#include "framework/application_win32.h"
#include "framework/gdi_owners_win32.h"
#include "framework/guard.h"
#include "framework/std_controls_win32.h"

NV_DEFINE_CLASS(TMessageForm, TForm)

static BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM list) {
  return Guard(
      [&] {
        if (IsWindowVisible(h) && IsWindowEnabled(h))
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
        return TRUE;
      },
      FALSE);
}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  Font()->SetName("宋体");
  Font()->SetHeight(-12);
}

void TMessageForm::Setup(const std::string& caption, const std::string& text,
                         const std::vector<std::string>& buttons) {
  SetCaption(caption);
  // Measure the text the way the label will draw it.
  RECT r{0, 0, 360, 0};
  {
    TWindowDC screen(nullptr);
    TSelectObject font(screen.Get(), Font()->Handle());
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }

  const int margin = 14, buttonWidth = 75, buttonHeight = 25, gap = 8;
  int buttonsWidth = static_cast<int>(buttons.size()) * (buttonWidth + gap) - gap;
  int width = std::max<int>(r.right + 2 * margin, buttonsWidth + 2 * margin);
  width = std::max(width, 160);
  message_ = new TLabel(this);
  message_->SetParent(this);
  message_->SetAutoSize(false);
  message_->SetBounds(margin, margin, r.right, r.bottom);
  message_->SetCaption(text);
  int y = margin + r.bottom + margin;
  int x = (width - buttonsWidth) / 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetTabOrder(static_cast<int>(i));
    b->SetCaption(buttons[i]);
    b->SetBounds(x, y, buttonWidth, buttonHeight);
    b->OnClick = [this, i](TObject*) {
      result_ = static_cast<int>(i);
      done_ = true;
    };
    buttons_.push_back(b);
    x += buttonWidth + gap;
  }
  SetClientWidth(width);
  SetClientHeight(y + buttonHeight + margin);
}

int TMessageForm::ShowModal() {
  // The window the user was working in gets the activation back when the message goes;
  // otherwise hiding the message leaves the system to pick a window (often none of ours).
  HWND previous = GetActiveWindow();
  // Every other window of the thread is disabled while the message is up.
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  HWND self = Handle();
  for (HWND h : disabled) EnableWindow(h, FALSE);
  Show();
  if (!buttons_.empty()) buttons_.front()->SetFocus();
  MSG msg;
  while (!done_ && IsWindow(self)) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave the outer loop too
      break;
    }
    if (got == -1) break;
    Guard([&] {
      if ((msg.hwnd == self || IsChild(self, msg.hwnd)) && msg.message == WM_KEYDOWN &&
          (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        if (msg.wParam == VK_RETURN) {
          TWinControl* f = FromHandle(GetFocus());
          auto it = std::find(buttons_.begin(), buttons_.end(), f);
          result_ = it == buttons_.end() ? 0 : static_cast<int>(it - buttons_.begin());
        }
        done_ = true;
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    });
  }
  // Enable first (a disabled window cannot be activated), then activate the previous window
  // while the message is still on screen, and only then hide it.
  for (HWND h : disabled) EnableWindow(h, TRUE);
  if (previous && previous != self && IsWindow(previous)) {
    SetActiveWindow(previous);
  } else if (!disabled.empty()) {
    SetActiveWindow(disabled.front());
  }
  if (IsWindow(self)) ShowWindow(self, SW_HIDE);
  return result_;
}

void TMessageForm::WndProc(TMessage& m) {
  if (m.Msg == WM_CLOSE) {
    done_ = true;
    m.Result = 0;
    return;
  }
  TForm::WndProc(m);
}

void ShowMessage(const std::string& text) {
  auto form = std::make_unique<TMessageForm>(nullptr);
  form->Setup(Application ? Application->Title() : std::string(), text, {"OK"});
  form->ShowModal();
}
