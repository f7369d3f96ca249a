// Move-only owners of GDI resources: one owner per cleanup rule (DeleteObject, DeleteDC,
// ReleaseDC, EndPaint, a restored selection, RestoreDC, restored DC colours and modes).
// Every GDI object the framework, the skin engine and the reporter make has one of these.
#pragma once

#include <windows.h>

#include <utility>

// A GDI object freed with DeleteObject.
template <class H>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(H h) : h_(h) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  // Hands the object over (to SetWindowRgn, for instance); the owner forgets it.
  H Release() { return std::exchange(h_, nullptr); }
  void Reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

using TGdiRegion = TGdiObject<HRGN>;
using TGdiBitmap = TGdiObject<HBITMAP>;
using TGdiBrush = TGdiObject<HBRUSH>;
using TGdiFont = TGdiObject<HFONT>;
using TGdiPen = TGdiObject<HPEN>;

// A memory DC compatible with a given DC (or the screen), deleted with DeleteDC.
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~TMemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  TMemoryDC(TMemoryDC&& o) noexcept : dc_(std::exchange(o.dc_, nullptr)) {}
  TMemoryDC& operator=(TMemoryDC&& o) noexcept {
    if (this != &o) {
      if (dc_) DeleteDC(dc_);
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~TSelectObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  // False when the object could not be selected (a bitmap already selected elsewhere).
  bool Ok() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// SaveDC on construction, RestoreDC of that state on destruction.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  ~TSavedDC() {
    if (id_ > 0) RestoreDC(dc_, id_);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;
  bool Ok() const { return id_ > 0; }

 private:
  HDC dc_;
  int id_;
};

// Sets a DC's background and text colours and puts the previous ones back.
class TDCColors {
 public:
  TDCColors(HDC dc, COLORREF back, COLORREF text)
      : dc_(dc), back_(SetBkColor(dc, back)), text_(SetTextColor(dc, text)) {}
  ~TDCColors() {
    if (back_ != CLR_INVALID) SetBkColor(dc_, back_);
    if (text_ != CLR_INVALID) SetTextColor(dc_, text_);
  }
  TDCColors(const TDCColors&) = delete;
  TDCColors& operator=(const TDCColors&) = delete;

 private:
  HDC dc_;
  COLORREF back_;
  COLORREF text_;
};

// Sets a DC's stretch mode and puts the previous one back.
class TStretchMode {
 public:
  TStretchMode(HDC dc, int mode) : dc_(dc), old_(SetStretchBltMode(dc, mode)) {}
  ~TStretchMode() {
    if (old_) SetStretchBltMode(dc_, old_);
  }
  TStretchMode(const TStretchMode&) = delete;
  TStretchMode& operator=(const TStretchMode&) = delete;

 private:
  HDC dc_;
  int old_;
};

// A window's DC from GetDC (client area) or GetWindowDC (whole window, with
// TWindowDC::kWholeWindow), released with ReleaseDC. GetDC(nullptr) is the screen.
class TWindowDC {
 public:
  enum TArea { kClient, kWholeWindow };
  explicit TWindowDC(HWND wnd, TArea area = kClient)
      : wnd_(wnd), dc_(area == kWholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND wnd_;
  HDC dc_;
};

// BeginPaint on construction, EndPaint on destruction (inside WM_PAINT only).
class TPaintDC {
 public:
  explicit TPaintDC(HWND wnd) : wnd_(wnd), dc_(BeginPaint(wnd, &ps_)) {}
  ~TPaintDC() { EndPaint(wnd_, &ps_); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Info() const { return ps_; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Sets a DC's background mode and puts the previous one back.
class TBkMode {
 public:
  TBkMode(HDC dc, int mode) : dc_(dc), old_(SetBkMode(dc, mode)) {}
  ~TBkMode() {
    if (old_) SetBkMode(dc_, old_);
  }
  TBkMode(const TBkMode&) = delete;
  TBkMode& operator=(const TBkMode&) = delete;

 private:
  HDC dc_;
  int old_;
};
