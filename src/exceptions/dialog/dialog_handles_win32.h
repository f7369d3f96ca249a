// Owners of the system objects the dialogs use, one per cleanup rule.
#pragma once

// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <utility>

template <class H, class Traits>
class TDialogHandle {
 public:
  TDialogHandle() = default;
  explicit TDialogHandle(H h) : h_(h) {}
  ~TDialogHandle() { reset(); }
  TDialogHandle(TDialogHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  TDialogHandle& operator=(TDialogHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, H{});
    }
    return *this;
  }
  TDialogHandle(const TDialogHandle&) = delete;
  TDialogHandle& operator=(const TDialogHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  void reset(H h = H{}) {
    if (h_ != H{}) Traits::Close(h_);
    h_ = h;
  }
  H release() { return std::exchange(h_, H{}); }

 private:
  H h_{};
};

struct TGdiObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct TLibraryTraits {
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct TImageListTraits {
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct THookTraits {
  static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct TMemoryDcTraits {
  static void Close(HDC h) { DeleteDC(h); }
};
// Kernel handles whose invalid value is null (not INVALID_HANDLE_VALUE).
struct TKernelTraits {
  static void Close(HANDLE h) { CloseHandle(h); }
};

using TFontHandle = TDialogHandle<HFONT, TGdiObjectTraits>;
using TBrushHandle = TDialogHandle<HBRUSH, TGdiObjectTraits>;
using TBitmapHandle = TDialogHandle<HBITMAP, TGdiObjectTraits>;
using TLibraryHandle = TDialogHandle<HMODULE, TLibraryTraits>;
using TImageListHandle = TDialogHandle<HIMAGELIST, TImageListTraits>;
using THookHandle = TDialogHandle<HHOOK, THookTraits>;
using TMemoryDc = TDialogHandle<HDC, TMemoryDcTraits>;
using TKernelHandle = TDialogHandle<HANDLE, TKernelTraits>;

// A file handle, invalid as INVALID_HANDLE_VALUE.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE h) : h_(h) {}
  ~TFileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// Puts the previously selected object back into a DC.
class TDcSelection {
 public:
  TDcSelection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~TDcSelection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  TDcSelection(const TDcSelection&) = delete;
  TDcSelection& operator=(const TDcSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window DC (GetDC / GetWindowDC) released on the same window.
class TWindowDc {
 public:
  explicit TWindowDc(HWND w, bool whole = false) : w_(w), dc_(whole ? GetWindowDC(w) : GetDC(w)) {}
  ~TWindowDc() {
    if (dc_) ReleaseDC(w_, dc_);
  }
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND w_;
  HDC dc_;
};
