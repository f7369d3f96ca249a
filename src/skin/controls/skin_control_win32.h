// TSkinControl: the painter in front of one control. It does not replace the control: it
// enters the framework control's message chain (or subclasses a raw window), lets the
// control do its normal work and paints the skin over it, or instead of it for the classes
// that cannot let the control paint (buttons, group boxes, status bars).
//
// Life of one painter:
//   created (owned by its control; by the form's painter list for a raw window)
//   Attach / AttachHandle   hooks in place, registered with the form's list, stage 1
//   XM_SKINACTIVE           wParam 0: the control paints itself; > 0: skinned again
//   Detach                  colours given back; at WM_NCDESTROY also, then stage 6 and
//                           the painter stays out of the way
//   destroyed               hooks restored, unregistered
// A painter may be freed while one of its messages runs (a click that ends the form): the
// freeing then waits until that message has left the painter.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/controls_win32.h"
#include "framework/message_win32.h"
#include "framework/subclass_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_objects.h"

class TSkinControl;

// An off-screen bitmap with its memory DC, kept between paints and grown as needed.
class TPaintBuffer {
 public:
  TPaintBuffer() = default;
  ~TPaintBuffer();
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;
  // A DC holding a bitmap of at least w x h pixels compatible with ref; null on failure.
  HDC Prepare(HDC ref, int w, int h);

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  SIZE size_{};
};

// The painters of one skinned form, in the order they were attached.
class TSkinPainters {
 public:
  TSkinPainters(TSkinData* skinData, HWND form, TWinControl* formControl)
      : SkinData(skinData), FormWindow(form), FormControl(formControl) {}
  ~TSkinPainters();
  TSkinPainters(const TSkinPainters&) = delete;
  TSkinPainters& operator=(const TSkinPainters&) = delete;

  void Register(TSkinControl* p);
  void Unregister(TSkinControl* p);
  TSkinControl* Find(HWND wnd) const;
  TSkinControl* FindControl(const TControl* control) const;
  const std::vector<TSkinControl*>& Items() const { return items_; }
  // Detaches and frees every painter, last attached first.
  void Clear();

  TSkinData* SkinData;
  HWND FormWindow;
  TWinControl* FormControl;  // null for a raw window

 private:
  std::vector<TSkinControl*> items_;
};

// Bits of FState.
enum : unsigned { ssHot = 1, ssDown = 2 };

// Private messages of the painters (the forms' ones are in skin/forms/skin_messages.h).
constexpr UINT XM_SKINACTIVE = 0x3506;   // wParam > 0 paints skinned, 0 lets the control paint
constexpr UINT XM_TABCLOSE = 0x3507;     // to the form: a tab's page is about to close
constexpr UINT XM_PAINTCLIENT = 0xBC4A;  // lParam 0x41A2: paint the client area into wParam

class TSkinControl : public TComponent {
  NV_CLASS(TSkinControl)
 public:
  explicit TSkinControl(TComponent* owner);
  ~TSkinControl() override;

  // Hooks the framework control that owns the painter. A second call does nothing.
  virtual void Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor);
  // Hooks a window without a framework control. Raises EOSError when it cannot.
  virtual void AttachHandle(HWND handle, TSkinData* skinData, TSkinPainters* form);
  // Gives back what Attach changed on the control (colour, ParentBackground).
  virtual void Detach();
  // Before the control's own handling: true lets the message go on to the control and then
  // to AfterMessage; false when the painter has handled it (m.Result set).
  virtual bool BeforeMessage(TMessage& m);
  virtual void AfterMessage(TMessage& m);
  // Paints the whole window rectangle into dc, or into the window's own DC when dc is null.
  // Never raises.
  virtual void PaintWindow(HDC dc);
  // The drawing proper; rect is the window rectangle moved to the origin.
  virtual void PaintSkin(HDC dc, const RECT& rect) {}
  // The skin was replaced: colours again, repaint.
  virtual void SkinChanged();
  virtual bool IsSkinActive() { return true; }

  // Invalidates and repaints at once.
  void Repaint();
  HWND Handle() const { return FHandle; }
  TWinControl* Control() const { return FControl; }
  bool Attached() const { return FAttached; }
  bool Active() const { return FActive; }
  int Stage() const { return FStage; }
  // Frees the painter now, or once the message under way has left it.
  void Release();

  // ---- Shared fields ----
  unsigned FState = 0;
  bool FEnabled = false;
  bool FFocused = false;
  std::string FCaption;
  bool FActive = true;
  bool FUnicode = false;
  TSkinData* FSkinData = nullptr;
  HWND FHandle = nullptr;
  TWinControl* FControl = nullptr;
  RECT FWindowRect{};
  bool FOwnColor = false;
  TColor FSavedColor = clBtnFace;
  bool FAttached = false;
  int FStage = 0;
  int FMode = 0;
  bool FParentBackgroundCleared = false;
  TSkinPainters* FForm = nullptr;

 protected:
  // The control's own handling (the rest of the chain, or the previous window procedure).
  void CallDefault(TMessage& m);
  // The WM_PAINT handler of painters that paint instead of the control.
  void PaintOwn(TMessage& m);
  void SwitchParentBackground(bool off);

  // ---- Shared drawing ----
  const TSkinContent& Skin() const { return FSkinData->Content(); }
  COLORREF FaceColor() const;
  void FillSkinColor(HDC dc, const RECT& r) const;
  void FillParentColor(HDC dc, const RECT& r) const;
  static void FillColor(HDC dc, const RECT& r, COLORREF c);
  TColor GetParentColor(TColor def) const;
  UINT TextFlags(UINT flags) const;
  // Frame `frame` of `count`, composed at the rect's size with the object's margins.
  static void DrawSkinFrame(HDC dc, const RECT& r, int count, int frame, const TDataSkinObject& obj);
  static void DrawImageFrame(HDC dc, const RECT& r, int count, int frame, const TSkinBitmap& pic);
  void DrawCaptionFocus(HDC dc, UINT flags, const RECT& r);
  void DrawPanelText(HDC dc, const RECT& r, UINT alignment, bool enabled, const std::string& text) const;
  // The window's caption: the framework control's Caption, else the window text.
  std::string ReadCaption() const;
  // The font to draw with: the control's, else the window's WM_GETFONT font.
  HFONT ControlFont() const;

 private:
  void SkinWndProc(TMessage& m, const TMessageNext& next);

  TMessageChainEntry chainEntry_;
  TWindowSubclass subclass_;
  const TMessageNext* next_ = nullptr;
  int dispatching_ = 0;
  bool releaseLater_ = false;
};

// The painter behind a window, or null (any window may be asked).
TSkinControl* FindPainter(HWND wnd);
// Asks for WM_MOUSELEAVE when the mouse leaves wnd; false where the system cannot tell.
bool RequestMouseLeave(HWND wnd);
