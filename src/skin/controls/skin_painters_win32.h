// The painters built on TSkinControl: push buttons, group boxes, status bars and the
// containers that only take the skin's face colour.
#pragma once

#include "framework/gdi_owners_win32.h"
#include "skin/controls/skin_control_win32.h"
#include "skin/data/bitmap.h"

// Push buttons, painted wholly by the skin from the "Buttons" picture: normal, pressed,
// disabled, hot and focused frames. The button's own procedure never sees a mouse press
// (so it never captures the mouse or draws itself pressed); the click comes from the
// release over the button. Space and the dialog keys still go through the button itself.
class TSkinButton : public TSkinControl {
  NV_CLASS(TSkinButton)
 public:
  explicit TSkinButton(TComponent* owner) : TSkinControl(owner) {}
  void Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) override;
  bool BeforeMessage(TMessage& m) override;
  void AfterMessage(TMessage& m) override;
  void PaintSkin(HDC dc, const RECT& rect) override;
  // The frame drawn at the last paint (1 normal, 2 pressed, 3 disabled, 4 hot, 5 focused).
  int LastStateIndex() const { return lastState_; }
  bool FTransparent = false;

 private:
  void Clicked();
  // The face is composed in memory over the skin's face colour (no transparent drawing
  // through GDI, which is slow under Wine) and the caption drawn on it; a transparent
  // button draws through the buffer instead.
  TSkinBitmap face_;
  TMemoryDC faceDC_;
  TPaintBuffer buffer_;
  int lastState_ = 0;
};

// Group boxes: the skin's face, a rounded frame in ButtonShadow and the caption over it.
// With a framework control (FMode 1) the painter paints the whole box; a box attached by
// handle keeps the system's drawing and has its 3-D frame painted over.
class TSkinGroupBox : public TSkinControl {
  NV_CLASS(TSkinGroupBox)
 public:
  explicit TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}
  void Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) override;
  bool BeforeMessage(TMessage& m) override;
  void AfterMessage(TMessage& m) override;
  void PaintSkin(HDC dc, const RECT& rect) override;

 private:
  TPaintBuffer buffer_;
};

// Status bars: panels framed from "StatusBarEdges", their texts in its colour. Every status
// bar of the program paints into one shared bitmap before copying to the screen.
class TSkinStatusBar : public TSkinControl {
  NV_CLASS(TSkinStatusBar)
 public:
  explicit TSkinStatusBar(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeMessage(TMessage& m) override;
  void AfterMessage(TMessage& m) override;
  void PaintSkin(HDC dc, const RECT& rect) override;

 private:
  void PanelFrame(HDC dc, const RECT& r, int bevel);
};

// Panels and other containers: not hooked at all, only recoloured to the face colour while
// attached.
class TSkinBox : public TSkinControl {
  NV_CLASS(TSkinBox)
 public:
  explicit TSkinBox(TComponent* owner) : TSkinControl(owner) {}
  void Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) override;
  void Detach() override;
  void AfterMessage(TMessage&) override {}
};

// Child dialogs ("#32770") inside a system dialog: background and static texts in the face
// colour.
class TSkinBoxH : public TSkinControl {
  NV_CLASS(TSkinBoxH)
 public:
  explicit TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeMessage(TMessage& m) override;
};

// Size boxes (a "scrollbar" window without a tab stop): filled with the face colour after
// the system has drawn them.
class TSkinSizer : public TSkinControl {
  NV_CLASS(TSkinSizer)
 public:
  explicit TSkinSizer(TComponent* owner) : TSkinControl(owner) {}
  void PaintSkin(HDC dc, const RECT& rect) override;
};
