#include "exceptions/dialog/auto_close_win32.h"

namespace {
thread_local TAutoClose* watched = nullptr;
}

TAutoClose::TAutoClose(HWND dialog, int limitSecs, std::function<void()> close)
    : dialog_(dialog), counter_(limitSecs), close_(std::move(close)) {
  if (!counter_.Enabled()) return;
  previous_ = watched;
  watched = this;
  hook_.reset(SetWindowsHookExA(WH_MSGFILTER, FilterProc, nullptr, GetCurrentThreadId()));
  SetTimer(dialog_, kTimerId, 1000, nullptr);
}

TAutoClose::~TAutoClose() {
  if (!counter_.Enabled()) return;
  KillTimer(dialog_, kTimerId);
  hook_.reset();
  if (watched == this) watched = previous_;
}

bool TAutoClose::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  if (!closing_ && counter_.Tick()) {
    closing_ = true;
    KillTimer(dialog_, kTimerId);
    if (close_) close_();
  }
  return true;
}

LRESULT CALLBACK TAutoClose::FilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && watched && lParam) {
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    if (IsUserActionMessage(m->message)) watched->Reset();
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
