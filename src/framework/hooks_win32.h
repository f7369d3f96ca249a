// TWindowsHook: a guarded thread hook (WH_CBT, WH_MSGFILTER, WH_CALLWNDPROC …) of the
// calling thread.
//
// Each thread has one system hook per hook type, installed while any TWindowsHook of that
// type exists; the handlers run newest first, each inside the guard, and then the next
// hook of the system chain is called with the unchanged arguments, unless a handler marked
// the call handled. Handlers may be added and removed in any order, also from inside a
// handler. Calls with a negative code go straight to the next hook, as the system asks.
// A hook belongs to the thread that made it and is removed on that thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

struct THookCall {
  int type;  // WH_…
  int code;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool handled = false;  // set with result: the call ends here, without the next hook
};

class TWindowsHook {
 public:
  using THandler = std::function<void(THookCall& call)>;
  TWindowsHook() = default;
  // Raises EOSError when the system refuses the hook, EInvalidArgument for an unknown type.
  TWindowsHook(int type, THandler handler);
  ~TWindowsHook();
  TWindowsHook(TWindowsHook&& o) noexcept;
  TWindowsHook& operator=(TWindowsHook&& o) noexcept;
  TWindowsHook(const TWindowsHook&) = delete;
  TWindowsHook& operator=(const TWindowsHook&) = delete;

  void Remove();
  bool Installed() const;

  struct TImpl;

 private:
  std::unique_ptr<TImpl> impl_;
};
