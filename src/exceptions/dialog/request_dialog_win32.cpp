// The request dialog: the steps that led to the error, in the user's words.
#include <memory>
#include <vector>

#include "exceptions/dialog/auto_close_win32.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/dialog/dialog_layout.h"
#include "exceptions/dialog/dialog_resources_win32.h"
#include "exceptions/dialog/error_dialog_win32.h"

namespace {
struct TRequestState {
  const TDialogOptions* options = nullptr;
  std::unique_ptr<TAutoClose> autoClose;
  TFontHandle font;
  std::string text;
};

TLayoutRect ChildRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

void Move(HWND dialog, int id, const TLayoutRect& r) {
  SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left, r.top, r.Width(), r.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Init(HWND w, TRequestState& s) {
  const TCustomizedTexts& t = s.options->texts;
  s.font = LocaleFontLike(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
  for (int id : {QL_ID_REQUEST_PROMPT, QL_ID_REQUEST_EDIT, IDCANCEL})
    SendDlgItemMessageA(w, id, WM_SETFONT, reinterpret_cast<WPARAM>(s.font.get()), FALSE);
  SetWindowTextA(w, t[qtRequest].c_str());
  SetDlgItemTextA(w, QL_ID_REQUEST_PROMPT, t[qtRequestText].c_str());
  SetDlgItemTextA(w, IDCANCEL, t[qtRequestOK].c_str());

  // The prompt may be translated into something longer: the dialog grows by what it needs.
  TLayoutRect prompt = ChildRect(w, QL_ID_REQUEST_PROMPT);
  RECT need{0, 0, prompt.Width(), 0};
  {
    TWindowDc dc(w);
    TDcSelection keep(dc.get(), s.font.get());
    DrawTextA(dc.get(), t[qtRequestText].c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  RECT client, window;
  GetClientRect(w, &client);
  GetWindowRect(w, &window);
  TRequestLayout l = LayoutRequestDialog(prompt, ChildRect(w, QL_ID_REQUEST_EDIT), ChildRect(w, IDCANCEL),
                                         client.bottom, need.bottom);
  Move(w, QL_ID_REQUEST_PROMPT, l.prompt);
  Move(w, QL_ID_REQUEST_EDIT, l.edit);
  Move(w, IDCANCEL, l.ok);
  int grow = l.clientHeight - client.bottom;
  if (grow > 0)
    SetWindowPos(w, nullptr, window.left, window.top - grow / 2, window.right - window.left,
                 window.bottom - window.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);

  s.autoClose = std::make_unique<TAutoClose>(w, s.options->closeAfterSecs,
                                             [w] { PostMessageA(w, WM_COMMAND, IDCANCEL, 0); });
  SetForegroundWindow(w);
  SetFocus(GetDlgItem(w, QL_ID_REQUEST_EDIT));
}

INT_PTR CALLBACK RequestProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrA(w, DWLP_USER, lParam);
      Init(w, *reinterpret_cast<TRequestState*>(lParam));
      return FALSE;
    }
    auto* s = reinterpret_cast<TRequestState*>(GetWindowLongPtrA(w, DWLP_USER));
    if (!s) return FALSE;
    switch (msg) {
      case WM_COMMAND:
        if (s->autoClose) s->autoClose->Reset();
        if (LOWORD(wParam) == IDCANCEL) {  // OK (the one button), Esc and the close box
          int n = GetWindowTextLengthA(GetDlgItem(w, QL_ID_REQUEST_EDIT));
          std::vector<char> buf(static_cast<size_t>(n) + 1);
          GetDlgItemTextA(w, QL_ID_REQUEST_EDIT, buf.data(), n + 1);
          s->text = WithoutTrailingLineBreaks(buf.data());
          s->autoClose.reset();
          EndDialog(w, IDOK);
        }
        return TRUE;
      case WM_TIMER:
        if (s->autoClose) s->autoClose->OnTimer(wParam);
        return TRUE;
      case WM_DESTROY: s->autoClose.reset(); return FALSE;
      default: return FALSE;
    }
  } catch (...) {
    return FALSE;  // nothing may leave a dialog procedure
  }
}
}  // namespace

std::string ShowRequestDialog(const TDialogOptions& options, HMODULE resources) {
  if (!resources) resources = ReporterResourceModule();
  TRequestState state;
  state.options = &options;
  HWND previous = GetForegroundWindow();
  INT_PTR end =
      DialogBoxParamA(resources, "QL_REQUEST", nullptr, RequestProc, reinterpret_cast<LPARAM>(&state));
  if (previous && IsWindow(previous)) SetForegroundWindow(previous);
  return end == -1 ? std::string() : state.text;
}
