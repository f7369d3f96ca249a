// The skinned frame's geometry without the system: window size for a client area, the
// system dialog's widening, the caption text box and the caption buttons' visibility and
// places.
#include "skin/forms/frame_layout.h"

#include <gtest/gtest.h>

namespace {

// The program's own skin: 4-pixel sides and bottom, a 26-pixel caption.
const TFrameMetrics kSkin{4, 26, 4, 4, 0};

TEST(FrameLayout, PiecesAndTheSizeThatKeepsTheClientArea) {
  const TSkinnedSize s = SkinnedWindowSize(479, 342, kSkin);
  EXPECT_EQ(s.Width, 487);
  EXPECT_EQ(s.Height, 372);
  TFrameMetrics withMenu = kSkin;
  withMenu.MenuHeight = 19;
  EXPECT_EQ(SkinnedWindowSize(479, 342, withMenu).Height, 391);

  const TFramePieces p = FramePieceRects(487, 391, withMenu);
  EXPECT_EQ(p.Left, (TSkinRect{0, 0, 4, 391}));
  EXPECT_EQ(p.Right, (TSkinRect{483, 0, 487, 391}));
  EXPECT_EQ(p.Bottom, (TSkinRect{4, 387, 483, 391}));
  EXPECT_EQ(p.Top, (TSkinRect{4, 0, 483, 26}));
  EXPECT_EQ(p.Menu, (TSkinRect{4, 26, 483, 45}));
}

TEST(FrameLayout, SystemDialogsWidenForTheirCaption) {
  EXPECT_EQ(WidenForCaption(200, 24, 90, 80).Width, 200);  // 194 fits
  EXPECT_EQ(WidenForCaption(200, 24, 90, 80).ChildShift, 0);
  const TDialogWidening w = WidenForCaption(200, 24, 103, 80);  // 207: 7 more, children 3
  EXPECT_EQ(w.Width, 207);
  EXPECT_EQ(w.ChildShift, 3);
}

TCaptionTextFacts Caption(int alignment) {
  TCaptionTextFacts f;
  f.Caption = {4, 0, 483, 26};
  f.TextWidth = 100;
  f.TextHeight = 14;
  f.Alignment = alignment;
  f.TextShift = 24;
  f.TextShiftVert = 4;
  f.TextRightClip = 80;
  f.TxtBackLeft = 8;
  f.TxtBackRight = 8;
  return f;
}

TEST(FrameLayout, CaptionTextBoxAlignmentShiftAndClipping) {
  TCaptionTextBox b = CaptionTextBox(Caption(0));
  EXPECT_EQ(b.Box, (TSkinRect{28, 0, 144, 26}));  // plate caps around the text
  EXPECT_EQ(b.TextTop, 6 + 2);                     // centred, plus half the vertical shift
  EXPECT_EQ(b.Text, (TSkinRect{36, 8, 136, 22}));

  EXPECT_EQ(CaptionTextBox(Caption(1)).Box.Left, 4 + (479 - 116) / 2);
  EXPECT_EQ(CaptionTextBox(Caption(2)).Box, (TSkinRect{287, 0, 403, 26}));
  EXPECT_EQ(CaptionTextBox(Caption(7)).Box.Left, 4);
  TCaptionTextFacts rtl = Caption(0);
  rtl.RightToLeft = true;
  EXPECT_EQ(CaptionTextBox(rtl).Box.Left, 287);

  // A long text stops short of the right clip; a popup stops at its buttons instead.
  TCaptionTextFacts longText = Caption(0);
  longText.TextWidth = 600;
  EXPECT_EQ(CaptionTextBox(longText).Box.Right, 483 - 80);
  longText.Popup = true;
  longText.RightButtonsLeft = 456;
  EXPECT_EQ(CaptionTextBox(longText).Box.Right, 451);
  longText.RightButtonsLeft = 5;  // no buttons to the right: not clipped
  EXPECT_EQ(CaptionTextBox(longText).Box.Right, 28 + 616);
  TCaptionTextFacts shortPopup = Caption(0);
  shortPopup.Popup = true;
  shortPopup.RightButtonsLeft = 456;
  EXPECT_EQ(CaptionTextBox(shortPopup).Box.Right, 144);

  // A dialog border has no icon: left-aligned text starts 16 pixels further left.
  TCaptionTextFacts dialog = Caption(0);
  dialog.BorderKind = bkDialog;
  EXPECT_EQ(CaptionTextBox(dialog).Box.Left, 12);
  EXPECT_EQ(CaptionTextBox(dialog).Text.Left, 20);
  dialog.Alignment = 1;
  EXPECT_EQ(CaptionTextBox(dialog).Box.Left, CaptionTextBox(Caption(1)).Box.Left);
}

TEST(FrameLayout, ButtonVisibilityCodes) {
  TButtonFacts f;
  f.SystemMenu = true;
  f.MinimizeBox = true;
  int asked = 0;
  f.AskWindow = [&](int code, int action) {
    ++asked;
    return code == 1500 && action == 4 ? 1L : 0L;
  };
  EXPECT_TRUE(ButtonConditionsHold(0, 0, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(1, 0, 5, f));  // maximised
  EXPECT_TRUE(ButtonConditionsHold(2, 3, 5, f));   // not maximised, active
  EXPECT_FALSE(ButtonConditionsHold(0, 4, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(8, 9, 5, f));  // 9 wants no minimise box
  EXPECT_TRUE(ButtonConditionsHold(6, 7, 5, f));           // a box, no maximise box
  TButtonFacts noMenu = f;
  noMenu.SystemMenu = false;
  EXPECT_FALSE(ButtonConditionsHold(6, 0, 5, noMenu));  // the first condition wants the menu
  EXPECT_TRUE(ButtonConditionsHold(0, 6, 5, noMenu));   // the second does not
  EXPECT_TRUE(ButtonConditionsHold(500, 999, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(0, -1, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(-1, 0, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(5, 0, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(100, 0, 5, f));
  EXPECT_FALSE(ButtonConditionsHold(200, 0, 5, f));
  f.BorderKind = bkDialog;
  EXPECT_TRUE(ButtonConditionsHold(200, 0, 5, f));
  f.SystemDialog = true;
  EXPECT_FALSE(ButtonConditionsHold(200, 0, 5, f));

  EXPECT_TRUE(ButtonConditionsHold(1500, 0, 4, f));
  EXPECT_FALSE(ButtonConditionsHold(1500, 0, 5, f));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(ButtonConditionsHold(0, 1500, 5, f));  // the second condition never asks
  EXPECT_EQ(asked, 2);
}

TEST(FrameLayout, ButtonActionsRules) {
  TButtonFacts f;
  f.SystemMenu = true;
  EXPECT_TRUE(ButtonVisible(0, 0, 0, f));
  EXPECT_TRUE(ButtonVisible(0, 0, 3, f));
  f.BorderKind = bkDialog;  // no icon on a dialog border
  for (int action : {3, 11, 12}) EXPECT_FALSE(ButtonVisible(0, 0, action, f)) << action;
  f.SystemMenu = false;
  EXPECT_FALSE(ButtonVisible(0, 0, 0, f));  // no close without a system menu

  TButtonFacts e;
  e.MaximizeBox = true;
  EXPECT_FALSE(ButtonEnabled(1, e));
  e.SystemMenu = true;
  EXPECT_TRUE(ButtonEnabled(1, e));
  EXPECT_FALSE(ButtonEnabled(2, e));
  e.MinimizeBox = true;
  EXPECT_TRUE(ButtonEnabled(2, e));
  EXPECT_TRUE(ButtonEnabled(0, TButtonFacts{}));
}

TEST(FrameLayout, ButtonPlaces) {
  TButtonPlaceFacts f;
  f.WindowWidth = 487;
  f.TextRect = {28, 0, 144, 26};
  f.Metrics = {4, 26, 4, 4, 20};
  f.MenuTileLeft = 2;
  EXPECT_EQ(PlaceButton(0, 8, 5, 16, 16, f), (TSkinRect{8, 5, 24, 21}));
  EXPECT_EQ(PlaceButton(1, 31, 4, 24, 18, f), (TSkinRect{456, 4, 480, 22}));
  EXPECT_EQ(PlaceButton(2, 3, 4, 10, 10, f), (TSkinRect{15, 4, 25, 14}));
  EXPECT_EQ(PlaceButton(8, 3, 4, 10, 10, f), PlaceButton(2, 3, 4, 10, 10, f));
  EXPECT_EQ(PlaceButton(3, 3, 4, 10, 10, f), (TSkinRect{147, 4, 157, 14}));
  EXPECT_EQ(PlaceButton(9, 3, 4, 10, 10, f), PlaceButton(3, 3, 4, 10, 10, f));
  EXPECT_EQ(PlaceButton(100, 20, 0, 16, 14, f), (TSkinRect{461, 29, 477, 43}));
  f.RightToLeft = true;
  EXPECT_EQ(PlaceButton(100, 20, 0, 16, 14, f).Left, 26);
  EXPECT_EQ(PlaceButton(42, 20, 9, 16, 14, f), (TSkinRect{0, 0, 16, 14}));
}

}  // namespace
