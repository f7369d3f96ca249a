// TWinSkinForm: the skinned frame of one top-level window (a framework form, a system dialog
// or an MDI child), made and freed by the skin manager.
//
// Life of one object:
//   AttachForm / AttachRaw   reads the window's style into the fields below, computes the
//                            frame metrics, enters the form's message chain in front of
//                            its own handling (framework form) or subclasses the window
//                            (raw window); AttachState 0
//   XM_INITFRAME (posted)    system menu, icon picture, the system's non-client size;
//                            XM_SKINNED is sent, OnAfterSkinForm raised; AttachState 1
//   Reapply                  after a skin change: colours and metrics again (3, then 1)
//   WM_NCDESTROY             AttachState 4, DetachOnDestroy, default handling, then 6: the
//                            manager frees objects in state 6
//   Detach                   everything undone: window procedure, form colour, caption style
// A framework form owns its object (as a component); for a raw window the manager does.
// Either way the manager lists it in Forms, and the object leaves that list when freed.
//
// The window procedure (FrameWndProc) examines messages in three stages. Stage 1 runs
// always: it holds back non-client painting until the frame is initialised, answers
// XM_ISSKINNED, finishes attaching at XM_INITFRAME, paints raw windows' backgrounds in the
// skin's face colour and undoes itself at WM_NCDESTROY. Stages 2 and 3 (with FrameEnabled:
// system commands, sizing, activation, non-client calculation, hit testing and painting)
// belong to the frame painter, which draws from the metrics and the rectangles kept here;
// until it handles them, they get the window's own handling.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/component.h"
#include "framework/controls_win32.h"
#include "framework/gdi_owners_win32.h"
#include "framework/graphics_win32.h"
#include "framework/message_win32.h"
#include "framework/subclass_win32.h"
#include "skin/data/bitmap.h"
#include "skin/forms/frame_metrics.h"

class TForm;
class TSkinData;
class TTimer;
class TWinControl;

enum TWinSkinFormKind { wkOrdinary = 0, wkMDIFrame = 1, wkMDIChild = 2 };
// Bits of Boxes.
enum : unsigned { bxMaximize = 1, bxMinimize = 2, bxSystemMenu = 8, bxNoCaptionStyle = 16 };
enum TWindowStateKind { wsNormalState = 0, wsMaximizedState = 1, wsMinimizedState = 2 };
enum TAttachState {
  asAttached = 0,  // subclassed, not initialised
  asRunning = 1,
  asReapplying = 3,
  asDestroying = 4,  // WM_NCDESTROY under way
  asSizing = 5,      // sizing during initialisation
  asDestroyed = 6,   // the window is gone; the manager frees the object
};

class TWinSkinForm : public TComponent {
  NV_CLASS(TWinSkinForm)
 public:
  explicit TWinSkinForm(TComponent* owner);
  ~TWinSkinForm() override;

  // Attaches to a framework form (raising OnBeforeSkinForm first) or to a raw window.
  // Raises EOSError when the window cannot be subclassed.
  void AttachForm(TSkinData* skinData, TForm* form);
  void AttachRaw(TSkinData* skinData, HWND wnd);
  // Undoes the attachment; the window keeps working with its system frame.
  void Detach();
  // The short form at WM_NCDESTROY: the window is going, only our parts are released.
  void DetachOnDestroy();
  // Re-applies the skin after a change (colours, metrics); sends XM_SKINNED again.
  void Reapply();
  // Lets go of the caption buttons, which point into the skin being replaced.
  void FreeCaptionButtons();
  // Frees the caption buttons and rebuilds them and the frame metrics from the skin data.
  void RebuildButtons();

  // Whether the object still exists (the manager tests its entries before use).
  static bool IsLive(const TWinSkinForm* form);

  // ---- The skinned window ----
  HWND Handle = nullptr;
  TWinControl* Control = nullptr;  // the framework form, or null for a raw window
  TSkinData* SkinData = nullptr;
  // The window's class name (ClassName() is the object's own class).
  std::string WindowClassName;
  bool IsUnicode = false;     // the window procedure is called the wide way
  bool FrameEnabled = false;  // SkinControls has xcMainMenu: the frame is ours
  int Kind = wkOrdinary;
  int BorderKind = bkFixed;
  unsigned Boxes = 0;
  int WindowState = wsNormalState;
  bool Active = true;
  bool IsSystemDialog = false;  // "#32770" or "TMessageForm"
  bool IsRightToLeft = false;   // WS_EX_LEFTSCROLLBAR at attachment
  bool IsChild = false;         // WS_CHILD at attachment
  int AttachState = asAttached;

  // ---- Frame geometry ----
  int BorderLeft = 0, CaptionHeight = 0, BorderRight = 0, BorderBottom = 0;
  int MenuHeight = 0;
  RECT WindowRect{};  // last window rectangle on screen
  SIZE WindowSize{};
  SIZE SystemNonClient{};  // the system's non-client size, measured at XM_INITFRAME
  RECT TextRect{};         // the caption text box, window coordinates
  int RightButtonsLeft = 0;
  // True once the window was resized to keep its client area under the skinned frame;
  // Detach then gives it its system frame size back.
  bool FrameFitted = false;

  // ---- Menus ----
  HMENU NativeMenu = nullptr;  // the window's menu, taken away while a skinned bar shows it
  HMENU SystemMenu = nullptr;
  bool MenuTracking = false;
  DWORD LastSysMenuTick = 0;
  UINT DoubleClickTime = 0;

  // ---- Painting resources ----
  TGdiRegion Region;
  bool RegionSet = false;
  SIZE RegionSize{};
  TGdiFont CaptionFont;
  HICON IconHandle = nullptr;  // not owned: the window's own icon
  int IconSize = 0;
  TSkinBitmap IconBitmap;
  TSkinBitmap CaptionBitmap;
  TTimer* HoverTimer = nullptr;  // owned (a component of this object)
  TColor SavedColor = clBtnFace;
  HWND MDIClientWindow = nullptr;
  std::string TextPrefix = " ";
  std::string TextSuffix = "  ";

 private:
  void Attach(TSkinData* skinData, HWND wnd);
  void ComputeMetrics();
  void FrameWndProc(TMessage& m, const TMessageNext& next);
  void FinishAttachment();
  // The sizing step: keeps the client area under the frame (FrameFitted once the window's
  // size changed for it) and has the frame drawn afresh.
  void Refit();
  void RestoreCaptionStyle();
  bool IsRaw() const { return Control == nullptr; }

  // A framework form is entered through its message chain, a raw window subclassed.
  TMessageChainEntry chainEntry_;
  TWindowSubclass subclass_;
  bool captionStyleDropped_ = false;
  bool colorSaved_ = false;
  bool detached_ = false;
};
