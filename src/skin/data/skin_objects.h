// Skin objects: one per skinned element, holding its picture(s), margins, frame count,
// transparency, tiling and text colours as read from the skin definition.
//
// Fields are public and named after the definition keys they usually come from. Each
// object owns its bitmaps; destroying one never throws.
#pragma once

#include <cstdint>
#include <string>

#include "framework/object.h"
#include "skin/data/bitmap.h"

class TDataSkinObject : public TObject {
  NV_CLASS(TDataSkinObject)
 public:
  TDataSkinObject() = default;
  explicit TDataSkinObject(std::string name) : Name(std::move(name)) {}
  ~TDataSkinObject() override = default;
  TDataSkinObject(const TDataSkinObject&) = delete;
  TDataSkinObject& operator=(const TDataSkinObject&) = delete;

  // Margins of one frame; in this order (left, top, right, bottom) they are the 9-grid
  // painter's margin rectangle.
  int32_t LeftWidth = 0;
  int32_t TopHeight = 0;
  int32_t RightWidth = 0;
  int32_t BottomHeight = 0;
  TSkinBitmap Image;
  int32_t Trans = 0;  // 1: magenta pixels are transparent
  int32_t Tile = 0;   // 0 stretch, 1 tile (window borders: their stretch value)
  std::string Name;
  int32_t Frame = 0;  // number of equal frames in Image
  int32_t Style = 0;
  int32_t NormalColour = 0;  // indexes into the skin's numbered colour list; -1 not given
  int32_t MouseOverColour = 0;
  int32_t PressedColour = 0;
  uint32_t NormalColour2 = 0;  // explicit text colours
  uint32_t MouseOverColour2 = 0;
  uint32_t PressedColour2 = 0;
};

// Window borders, progress bar, and elements with a second picture.
class TDataSkinBorder : public TDataSkinObject {
  NV_CLASS(TDataSkinBorder)
 public:
  using TDataSkinObject::TDataSkinObject;
  TSkinBitmap SecondImage;
};

// Push buttons, check boxes and radio buttons.
class TDataSkinButton : public TDataSkinObject {
  NV_CLASS(TDataSkinButton)
 public:
  using TDataSkinObject::TDataSkinObject;
  TSkinBitmap CheckImage;
  TSkinBitmap RadioImage;
  int32_t RadioButtonFrame = 0;
  int32_t CheckButtonFrame = 0;
  bool HasNormalColour2 = false;
  bool HasMouseOverColour2 = false;
  bool HasPressedColour2 = false;
};

// Caption text. Its margins hold TextShift (left), TextShiftVert (top), TextRightClip (right).
class TDataSkinTitle : public TDataSkinObject {
  NV_CLASS(TDataSkinTitle)
 public:
  static constexpr uint32_t kColourNotGiven = 0x1FFFFFFF;
  using TDataSkinObject::TDataSkinObject;
  int32_t TextAlignment = 0;
  int32_t Textbackground = 0;
  int32_t FontHeight = 0;
  int32_t TXTBackleft = 0;
  int32_t TXTBackRight = 0;
  uint32_t ActiveText = kColourNotGiven;
  uint32_t InActiveText = kColourNotGiven;
};

// One caption (system) button.
class TDataSkinSysButton : public TDataSkinObject {
  NV_CLASS(TDataSkinSysButton)
 public:
  using TDataSkinObject::TDataSkinObject;
  int32_t Action = 0;
  int32_t Align = 0;
  int32_t Xcoord = 0;
  int32_t Ycoord = 0;
  int32_t CombineOp = 0;
  int32_t Visibility = 0;
  int32_t Visibility1 = 0;
};

// The label strip of group boxes.
class TDataSkinBoxLabel : public TDataSkinObject {
  NV_CLASS(TDataSkinBoxLabel)
 public:
  using TDataSkinObject::TDataSkinObject;
  int32_t BackgroundLeftShift = 0;
  int32_t BackgroundRightShift = 0;
  int32_t BackgroundAlignment = 0;
};
