// The clickable objects of a skinned frame's non-client area: TNCObject (the base, with its
// mouse states) and TWinSysButton (one caption button of the skin: close, maximise or
// restore, minimise, the window icon, or an application-defined action).
//
// Mouse states: 1 normal, 3 hot while the mouse is over the object, 2 pressed. Only one
// object of a frame is its HotObject at a time; the frame tells objects of the mouse
// (WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN/UP and the hover timer's tick).
#pragma once

#include <windows.h>

#include "skin/data/bitmap.h"

class TDataSkinSysButton;
class TWinSkinForm;

enum TMouseState { msNormal = 1, msPressed = 2, msHot = 3 };

class TNCObject {
 public:
  explicit TNCObject(TWinSkinForm* owner) : Owner(owner) {}
  virtual ~TNCObject() = default;
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;

  // The previous HotObject leaves; this one becomes HotObject, pressed.
  virtual void MouseDown();
  // Hot again (the action of a button runs in the frame after this).
  virtual void MouseUp();
  // Becomes HotObject, hot (nothing when it already is HotObject).
  virtual void MouseMove();
  // No longer HotObject; normal.
  virtual void MouseLeave();
  // Draws the object into the window's device context in its current state.
  virtual void Paint() {}

  TWinSkinForm* Owner;
  RECT Bounds{};  // window coordinates
  bool Visible = false;
  int MouseState = msNormal;
  bool Enabled = true;
};

class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TWinSkinForm* owner, const TDataSkinSysButton* source)
      : TNCObject(owner), Source(source) {}
  void Paint() override;
  // Draws the button in its current state into dc, whose origin is the window's.
  void PaintInto(HDC dc, int frame) const;
  // The frame of the skin picture that shows the current state.
  int StateFrame() const;
  int Action() const;

  // Points into the skin data's content; the frame drops its buttons before a skin change.
  const TDataSkinSysButton* Source;

 private:
  // The button over the band as composed for one state frame, for the band generation
  // and place it was made for.
  struct TStatePicture {
    unsigned Generation = 0;
    RECT Bounds{};
    TSkinBitmap Picture;
  };
  TStatePicture pictures_[5];
};
