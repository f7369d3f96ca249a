// Controls: every framework control is a window of its own class, named after the framework
// class ("TButton", "TEdit" …) and superclassing the system control where there is one.
//
// One window procedure (FrameworkWndProc) serves all of them. The object comes with the
// window's creation parameter and is attached at WM_NCCREATE (messages before that go to
// the superclassed system procedure); it is detached at WM_NCDESTROY. Every message then
// runs through the control's message chain: the handlers others entered, newest first
// (EnterMessageChain), then the control's own virtual WndProc, which passes what it does
// not handle to the system procedure (DefaultHandler). A parent reflects WM_COMMAND,
// WM_NOTIFY and WM_CTLCOLOR… to the child's chain as CN_… messages marked Reflected. No
// exception leaves the window procedure: every handler runs inside the guard.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/chain.h"
#include "framework/component.h"
#include "framework/gdi_owners_win32.h"
#include "framework/graphics_win32.h"
#include "framework/message_win32.h"

class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Reflected notifications: a parent passes a notification about a child to the child's
// chain, so each control handles its own clicks and colours. The numbers are shared with
// other private messages (CN_NOTIFY is also the skin engine's "skinned" message): a
// control treats one as a reflection only when TMessage::Reflected is set, and gives any
// other message of these numbers the system's default answer.
//   CN_COMMAND   wParam, lParam of the WM_COMMAND
//   CN_NOTIFY    wParam, lParam (the NMHDR) of the WM_NOTIFY
//   CN_CTLCOLOR  wParam = the HDC, lParam = the WM_CTLCOLOR… message number
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOR = CN_BASE + WM_CTLCOLORSTATIC;  // for every WM_CTLCOLOR… kind
inline bool IsReflectionMessage(UINT msg) {
  return msg == CN_COMMAND || msg == CN_NOTIFY || msg == CN_CTLCOLOR;
}

// A place in a control's message chain; leaving it on Leave() or destruction, in any order
// and also while a message runs through the chain. Safe to outlive the control.
using TMessageChainEntry = TChain<TWndHandler>::TEntry;

struct TCreateParams {
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  std::string windowClass;            // our class name (the framework class name)
  const char* systemClass = nullptr;  // superclassed system class, or null for our own
  UINT classStyle = CS_DBLCLKS;
  bool programIcon = false;  // the class shows the program's icon (forms)
};

class TControl : public TComponent {
  NV_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);

  std::string Caption() const;
  void SetCaption(const std::string& text);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& t) { SetCaption(t); }

  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont* Font() { return &font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  std::string Hint() const { return hint_; }
  void SetHint(const std::string& h);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int Cursor() const { return cursor_; }
  void SetCursor(int c) { cursor_ = c; }

  TNotifyEvent OnClick;
  void SetOnClick(TNotifyEvent e) { OnClick = std::move(e); }
  virtual void Click();

  // A brush in the control's colour, for WM_CTLCOLOR… answers (owned by the control).
  HBRUSH ColorBrush();
  COLORREF TextColor() { return ColorToRGB(font_.Color()); }

 protected:
  virtual void TextChanged() {}
  virtual void FontChanged() {}
  virtual void ColorChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void BoundsChanged() {}
  virtual void HintChanged() {}
  void ParentFontChanged();
  void ParentColorChanged();
  std::string caption_;

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = false;
  int cursor_ = crDefault;
  TGdiBrush brush_;
  COLORREF brushColor_ = 0;
};

class TWinControl : public TControl {
  NV_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();  // created on first use, parents first
  bool HandleAllocated() const { return handle_ != nullptr; }
  void DestroyHandle();

  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int v) { tabOrder_ = v; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  const std::vector<TControl*>& Controls() const { return controls_; }
  void SetFocus();
  bool Focused() const { return handle_ && GetFocus() == handle_; }
  // The next control in tab order after `current` (depth first through containers).
  TWinControl* FindNextControl(TWinControl* current, bool forward);
  void ClientSize(int& width, int& height);

  // Enters handler in front of the control's own handling and of every handler entered
  // before; the handler calls next(message) to pass the message on. The chain belongs to
  // the object and outlives a recreated window.
  [[nodiscard]] TMessageChainEntry EnterMessageChain(TWndHandler handler);
  // Sends a message through the chain (as the window procedure would) and returns the
  // answer. Needs no window: the own handling then sees a null Wnd.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
  // As Perform, for a reflected notification (CN_…) passed on by the parent.
  LRESULT PerformReflected(UINT msg, WPARAM wParam, LPARAM lParam);
  void Dispatch(TMessage& message);

  // The framework control of a window, or null (any thread may ask).
  static TWinControl* FromHandle(HWND hwnd);
  void Loaded() override;

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void HandleCreated() {}  // children exist, texts and fonts are set
  void AlignControls();
  void TextChanged() override;
  void FontChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void BoundsChanged() override;
  void HintChanged() override;
  void ColorChanged() override;
  void UpdateFont();
  void BeforeDestruction() override;

  // The control's own handling, behind the chain. Overrides call the inherited WndProc for
  // what they do not handle; the base class ends in DefaultHandler.
  virtual void WndProc(TMessage& message);
  // The system's (superclassed) procedure, or DefWindowProc for the framework's own classes.
  void DefaultHandler(TMessage& message);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  // True for controls that paint their client area themselves (no system control behind
  // them); they implement Paint.
  bool PaintsItself() const { return ownPaint_; }
  // Paints the client area into dc (WM_PAINT, WM_PAINT with a given DC, WM_PRINTCLIENT).
  virtual void Paint(HDC dc) {}

 private:
  friend class TControl;
  friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
  friend struct TChainCall;
  void AttachHandle(HWND hwnd);
  void DetachHandle(HWND hwnd);
  HWND CreateFrameworkWindow(const TCreateParams& p, HMENU id);
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void PaintHandler(TMessage& message);

  HWND handle_ = nullptr;
  WNDPROC defProc_ = nullptr;
  bool ownPaint_ = false;
  TChain<TWndHandler> chain_;
  std::vector<TControl*> controls_;
  int tabOrder_ = -1;
  bool tabStop_ = false;
  bool destroyingHandle_ = false;
};

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class named after a framework class, superclassing systemClass
// when given. Returns the procedure that the framework passes unhandled messages to.
WNDPROC RegisterFrameworkClass(const TCreateParams& params);
// That procedure for a window of a framework class (DefWindowProcA for others).
WNDPROC SystemProcOf(HWND hwnd);

// Reads one of the enumerations layouts name by identifier.
TAlign IdentToAlign(const std::string& ident);
