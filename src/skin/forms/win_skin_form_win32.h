// TWinSkinForm: the skinned frame of one top-level window (a framework form, a system dialog
// or an MDI child), made and freed by the skin manager.
//
// Life of one object:
//   AttachForm / AttachRaw   reads the window's style into the fields below, computes the
//                            frame metrics and caption buttons, enters the form's message
//                            chain in front of its own handling (framework form) or
//                            subclasses the window (raw window); AttachState 0
//   XM_INITFRAME (posted)    system menu, icon picture, the system's non-client size; the
//                            sizing step (AttachState 5) keeps the client area under the
//                            skinned frame, the region is cut; XM_SKINNED is sent,
//                            OnAfterSkinForm raised; AttachState 1. A window shown before
//                            that message finishes at its first WM_NCPAINT, WM_ERASEBKGND
//                            or WM_PAINT instead, and is painted once, skinned
//   Reapply                  after a skin change: colours, sizing and frame again (3, then 1)
//   WM_NCDESTROY             AttachState 4; the object leaves its form's components, so
//                            that nothing the window's destruction frees can free it;
//                            default handling; AttachState 6: the manager frees it
//   Detach                   everything undone: window procedure, form colour, caption
//                            style, menu, region, and the size, so that the client area
//                            stays as it is under the system frame
// A framework form owns its object (as a component) until its window goes; for a raw
// window the manager does. Either way the manager lists it in Forms, and the object leaves
// that list when freed.
//
// The window procedure (FrameWndProc) examines messages in three stages. Stage 1 runs
// always: it holds back non-client painting until the frame is initialised, answers
// XM_ISSKINNED, finishes attaching at XM_INITFRAME, paints raw windows' backgrounds in the
// skin's face colour and undoes itself at WM_NCDESTROY. Stage 2 (with FrameEnabled) follows
// system commands, sizing and activation; stage 3 does the non-client calculation, hit
// testing, painting and the caption buttons' mouse handling.
//
// The system's default handling of a few messages (WM_SETTEXT, WM_SETICON, WM_NCACTIVATE)
// paints the system caption straight into the window, past WM_NCPAINT, whenever the window
// has the caption style. The frame answers WM_NCACTIVATE itself and runs the default
// handling of the other two with the caption style taken away for the call.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/controls_win32.h"
#include "framework/gdi_owners_win32.h"
#include "framework/graphics_win32.h"
#include "framework/message_win32.h"
#include "framework/subclass_win32.h"
#include "skin/data/bitmap.h"
#include "skin/forms/caption_buttons_win32.h"
#include "skin/forms/frame_layout.h"
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
// Tag of the skinned system menu (its menu data).
constexpr ULONG_PTR kSystemMenuTag = 33333;

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
  // Re-applies the skin after a change (colours, metrics, size); sends XM_SKINNED again.
  void Reapply();
  // Lets go of the caption buttons, which point into the skin being replaced.
  void FreeCaptionButtons();
  // Frees the caption buttons and rebuilds them and the frame metrics from the skin data.
  void RebuildButtons();
  // Paints the whole non-client area into dc (window coordinates), or into the window's
  // own device context when dc is null.
  void PaintFrame(HDC dc = nullptr);
  // The skinned system menu at a screen point.
  void ShowSystemMenu(POINT screen);
  // The manager's MDIMaximized changed: an MDI child drops or rebuilds its region and
  // caption style.
  void MDIMaximizedChanged(bool maximized);
  // A screen point in window coordinates.
  POINT WindowPoint(POINT screen) const;
  TFrameMetrics Metrics() const { return {BorderLeft, CaptionHeight, BorderRight, BorderBottom, MenuHeight}; }

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

  // ---- Caption buttons ----
  std::vector<std::unique_ptr<TWinSysButton>> CaptionButtons;
  TNCObject* HotObject = nullptr;

  // ---- Menus ----
  HMENU NativeMenu = nullptr;  // the window's menu, taken away while the frame shows
  HMENU SystemMenu = nullptr;
  HMENU SkinnedSystemMenu = nullptr;  // owned while shown
  bool MenuTracking = false;
  DWORD LastSysMenuTick = 0;
  UINT DoubleClickTime = 0;

  // ---- Painting resources ----
  TGdiRegion Region;  // a copy of what the window holds (SetWindowRgn owns its own)
  bool RegionSet = false;
  SIZE RegionSize{};
  TGdiFont CaptionFont;
  HICON IconHandle = nullptr;  // not owned: the window's own icon
  int IconSize = 0;
  TSkinBitmap IconBitmap;
  // The caption band, composed off-screen, one for each look (inactive, active): the band
  // without its buttons (a button that changes state alone draws over it) and the band as
  // shown. A repaint of an unchanged band only copies it.
  struct TCaptionBand {
    bool Valid = false;
    int Width = 0, Height = 0, State = 0;
    std::string Text;
    RECT TextRect{};
    unsigned VisibleButtons = 0;
    TSkinBitmap Background, Shown;
  };
  TCaptionBand CaptionBands[2];
  // Counts every composition of a band; caption buttons keep their pictures for one.
  unsigned BandGeneration = 0;
  const TCaptionBand& CurrentBand() const { return CaptionBands[Active ? 1 : 0]; }
  // Forgets the composed bands (a new text, icon or skin).
  void InvalidateCaption();
  TTimer* HoverTimer = nullptr;  // owned (a component of this object)
  TColor SavedColor = clBtnFace;
  HWND MDIClientWindow = nullptr;
  std::string TextPrefix = " ";
  std::string TextSuffix = "  ";

  // Non-client painting of the default handling is suppressed (menu changes).
  bool NCPaintSuppressed = false;

 private:
  friend class TNCObject;
  friend class TWinSysButton;
  void Attach(TSkinData* skinData, HWND wnd);
  void ComputeMetrics();
  void FrameWndProc(TMessage& m, const TMessageNext& next);
  bool FormMessageHook(TMessage& m, const TMessageNext& next);
  bool Stage2(TMessage& m, const TMessageNext& next);
  bool Stage3(TMessage& m, const TMessageNext& next);
  // inPaint: called from the first message that paints the shown window; the window is
  // then only marked for painting, which that pass does once, with the skinned frame.
  void FinishAttachment(bool inPaint = false);
  // The sizing step: keeps the client area under the frame. deferErase: no synchronous
  // repaint (SWP_DEFERERASE).
  void SizeToFrame(bool firstSizing, bool deferErase = false);
  void RestoreCaptionStyle();
  void DropCaptionStyle();
  void DefaultWithoutCaption(TMessage& m, const TMessageNext& next);
  void RefreshFrame();
  bool IsRaw() const { return Control == nullptr; }
  bool IsMaximizedMDIChild() const { return Kind == wkMDIChild && WindowState == wsMaximizedState; }
  bool HasNoCaptionStyleBox() const { return (Boxes & bxNoCaptionStyle) != 0; }

  // Non-client calculation and hit testing.
  void NCCalcSize(TMessage& m, const TMessageNext& next);
  void NCHitTest(TMessage& m, const TMessageNext& next);
  void NCActivate(TMessage& m, const TMessageNext& next);
  void NCPaint(TMessage& m, const TMessageNext& next);
  bool SysCommand(TMessage& m, const TMessageNext& next);

  // Painting (win_skin_form_paint_win32.cpp).
  void PaintPiece(HDC dc, const TSkinRect& rect, int piece, const class TDataSkinBorder& border);
  void PaintCaptionBand(HDC dc, int width, int height);
  void DrawCaptionText(HDC dc, const TSkinRect& caption);
  std::string WindowTextAnsi() const;
  int MeasureCaptionText(const std::string& text) const;
  // redraw false: the region is set without the repaint the system would do at once.
  void BuildRegion(bool force = false, bool redraw = true);
  TButtonFacts ButtonFactsNow();
  void LayoutButtons(int width);
  void PaintButtons(HDC dc);
  unsigned VisibleButtonMask() const;
  std::string CaptionTextKey() const;

  // The caption buttons' mouse handling (caption_buttons_win32.cpp).
  TNCObject* ObjectAt(POINT windowPoint);
  bool NCMouseMove(TMessage& m);
  bool NCLButtonDown(TMessage& m, const TMessageNext& next);
  bool NCLButtonUp(TMessage& m);
  bool NCLButtonDblClk(TMessage& m, const TMessageNext& next);
  bool NCRButtonDown(TMessage& m);
  void HoverTick();
  void RunAction(TWinSysButton& button, POINT windowPoint);
  void ToggleMaximize();
  void ToggleMinimize();
  void PostSysCommand(WPARAM command);
  bool MenuItemMessage(TMessage& m);
  void FreeSkinnedSystemMenu();

  // The MDI client of an MDI frame.
  void MDIClientProc(TMessage& m, const TMessageNext& next);

  // A framework form is entered through its message chain, a raw window subclassed.
  TMessageChainEntry chainEntry_;
  TWindowSubclass subclass_;
  TWindowSubclass mdiClientSubclass_;
  bool captionStyleDropped_ = false;
  bool sysMenuStyleRemoved_ = false;
  bool colorSaved_ = false;
  bool detached_ = false;
  bool initialised_ = false;  // attachment finished (XM_INITFRAME or the first paint)
  bool savedMenuUpdate_ = true;
  // The border pieces as last composed, per piece (left, right, bottom, top) and frame:
  // repaints of an unchanged size only copy them.
  struct TPieceCache {
    int Width = 0, Height = 0;
    TSkinBitmap Picture;
  };
  TPieceCache pieceCache_[8];
  const TSkinBitmap& CachedPiece(int piece, const class TDataSkinBorder& border, int w, int h);
  struct TSysMenuItem {
    std::string Text;
    UINT Command = 0;
    int Image = -1;
    bool Separator = false;
    bool Grayed = false;
  };
  std::vector<std::unique_ptr<TSysMenuItem>> sysMenuItems_;
  TGdiFont menuFont_;
};
