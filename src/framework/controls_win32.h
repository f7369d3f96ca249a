// Controls: every framework control is a window of its own class, named after the framework
// class ("TButton", "TEdit" …) and superclassing the system control where there is one.
//
// One window procedure serves all of them. The control object is attached to its window
// when the window receives its first message and detached at WM_NCDESTROY; messages go to
// the object's virtual WndProc, which passes what it does not handle to the previous
// (system) procedure. No exception leaves the window procedure: it goes to the
// application's exception handler.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/gdi_owners_win32.h"
#include "framework/graphics_win32.h"

class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Private messages the framework sends to a child control when its parent receives a
// notification about it (so each control handles its own clicks and colours).
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOR = CN_BASE + WM_CTLCOLORSTATIC;  // for every WM_CTLCOLOR… kind

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

  // Message dispatch. Overrides call the inherited WndProc for what they do not handle.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

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

 private:
  friend class TControl;
  friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
  void AttachHandle(HWND hwnd);
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);

  HWND handle_ = nullptr;
  WNDPROC defProc_ = nullptr;
  std::vector<TControl*> controls_;
  int tabOrder_ = -1;
  bool tabStop_ = false;
  bool destroyingHandle_ = false;
};

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class named after a framework class, superclassing systemClass
// when given. Returns the procedure that the framework passes unhandled messages to.
WNDPROC RegisterFrameworkClass(const TCreateParams& params);

// Reads one of the enumerations layouts name by identifier.
TAlign IdentToAlign(const std::string& ident);
