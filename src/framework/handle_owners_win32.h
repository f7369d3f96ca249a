// Move-only owners of kernel and window-manager resources, one per cleanup rule: kernel
// handles (null is invalid) and file handles (INVALID_HANDLE_VALUE is invalid) are closed
// with CloseHandle, hooks are unhooked, window timers killed, windows destroyed.
// GDI objects and device contexts have their owners in gdi_owners_win32.h.
#pragma once

#include <windows.h>

#include <utility>

namespace nv_detail {
// One owner per rule: Traits gives the invalid value and the release call.
template <class H, class Traits>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(H h) : h_(h) {}
  ~TUniqueHandle() { Reset(); }
  TUniqueHandle(TUniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  TUniqueHandle& operator=(TUniqueHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, Traits::Invalid());
    }
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  // Hands the handle over; the owner forgets it.
  H Release() { return std::exchange(h_, Traits::Invalid()); }
  void Reset(H h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Free(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::Invalid();
};

struct KernelTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Free(HANDLE h) { CloseHandle(h); }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { CloseHandle(h); }
};
struct HookTraits {
  static HHOOK Invalid() { return nullptr; }
  static void Free(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Free(HWND h) { DestroyWindow(h); }
};
}  // namespace nv_detail

// Threads, events, processes, mutexes: handles whose failure value is null.
using TKernelHandle = nv_detail::TUniqueHandle<HANDLE, nv_detail::KernelTraits>;
// CreateFile handles, whose failure value is INVALID_HANDLE_VALUE.
using TFileHandle = nv_detail::TUniqueHandle<HANDLE, nv_detail::FileTraits>;
// A SetWindowsHookEx hook, unhooked on destruction (see hooks_win32.h for guarded hooks).
using THookHandle = nv_detail::TUniqueHandle<HHOOK, nv_detail::HookTraits>;
// A window made outside the framework's controls (a tooltip, a helper window).
using TOwnedWindow = nv_detail::TUniqueHandle<HWND, nv_detail::WindowTraits>;

// A window timer (SetTimer on a window), killed on destruction.
class TWindowTimer {
 public:
  TWindowTimer() = default;
  // Starts (or restarts) timer `id` of the window; false when the system refuses.
  bool Start(HWND wnd, UINT_PTR id, UINT milliseconds) {
    Stop();
    if (!SetTimer(wnd, id, milliseconds, nullptr)) return false;
    wnd_ = wnd;
    id_ = id;
    return true;
  }
  void Stop() {
    if (wnd_) KillTimer(wnd_, id_);
    wnd_ = nullptr;
    id_ = 0;
  }
  ~TWindowTimer() { Stop(); }
  TWindowTimer(TWindowTimer&& o) noexcept
      : wnd_(std::exchange(o.wnd_, nullptr)), id_(std::exchange(o.id_, 0)) {}
  TWindowTimer& operator=(TWindowTimer&& o) noexcept {
    if (this != &o) {
      Stop();
      wnd_ = std::exchange(o.wnd_, nullptr);
      id_ = std::exchange(o.id_, 0);
    }
    return *this;
  }
  TWindowTimer(const TWindowTimer&) = delete;
  TWindowTimer& operator=(const TWindowTimer&) = delete;
  bool Running() const { return wnd_ != nullptr; }
  UINT_PTR Id() const { return id_; }

 private:
  HWND wnd_ = nullptr;
  UINT_PTR id_ = 0;
};
