// The error dialog's custom look: it paints its own frame and caption in fixed colours instead
// of the system's, with its own close button.
#pragma once

#include <windows.h>

#include "exceptions/dialog/dialog_handles_win32.h"

class TCustomLook {
 public:
  static constexpr COLORREF kFace = 0x00C8D0D4;  // red 212, green 208, blue 200
  static constexpr COLORREF kCaptionShadow = 0x00222222;
  static constexpr COLORREF kCaptionText = 0x00FFFFFF;
  static constexpr COLORREF kInactiveCaptionText = 0x00E0E0E0;
  static constexpr COLORREF kActiveCaption = RGB(36, 72, 128);
  static constexpr COLORREF kActiveCaptionEnd = RGB(92, 136, 196);
  static constexpr COLORREF kInactiveCaption = RGB(128, 128, 128);
  static constexpr COLORREF kInactiveCaptionEnd = RGB(176, 176, 176);

  explicit TCustomLook(HWND window);
  TCustomLook(const TCustomLook&) = delete;
  TCustomLook& operator=(const TCustomLook&) = delete;

  // The brush of the dialog's and its pages' background.
  HBRUSH Brush() const { return brush_.get(); }
  void SetResizable(bool resizable) { resizable_ = resizable; }
  // Non-client painting, hit testing, activation and the close button. True when the message
  // was handled, with its result in *result.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  void Repaint();

 private:
  struct Geometry {
    SIZE window;
    int border, top;  // frame width; client top within the window
    RECT caption, close;
  };
  Geometry Measure() const;
  void Paint(HDC windowDc, bool active, bool closePressed);
  LRESULT HitTest(POINT screen) const;

  HWND w_;
  TBrushHandle brush_;
  TFontHandle captionFont_;
  bool active_ = true;
  bool resizable_ = false;
  bool tracking_ = false;  // the close button is held down
  bool pressed_ = false;   // …and the cursor is over it
};
