// Which painter a control gets: the built-in mapping and its gates, Skin3rd lines and raw
// windows by class and style; and the small rules the painters share.
#include <gtest/gtest.h>

#include "skin/controls/control_map.h"

namespace {

TMapSettings Everything() {
  TMapSettings s;
  s.controls = DefaultSkinControls();
  s.hasTabs = true;
  return s;
}

TControlFacts Facts(const std::string& cls, TControlKind kind) {
  TControlFacts f;
  f.className = cls;
  f.kind = kind;
  return f;
}

TEST(ControlMap, FrameworkClassesBindToTheirKindsThroughAncestors) {
  EXPECT_EQ(ControlKindOf({"TButton", "TWinControl", "TControl"}), ckButton);
  EXPECT_EQ(ControlKindOf({"TMyButton", "TButton", "TWinControl"}), ckButton);
  EXPECT_EQ(ControlKindOf({"TForm1", "TForm", "TWinControl"}), ckForm);
  EXPECT_EQ(ControlKindOf({"TMessageForm", "TForm", "TWinControl"}), ckForm);
  EXPECT_EQ(ControlKindOf({"TLabel", "TWinControl", "TControl"}), ckOther);
  EXPECT_EQ(ControlKindOf({}), ckOther);
}

// The main window's controls, each with the member of SkinControls that gates it.
TEST(ControlMap, TheProgramsControlsAndTheirGates) {
  struct TCase {
    const char* cls;
    TControlKind kind;
    TPainterKind painter;
    TSkinControlType gate;
  } cases[] = {
      {"TButton", ckButton, pkButton, xcButton},
      {"TGroupBox", ckGroupBox, pkGroupBox, xcPanel},
      {"TStatusBar", ckStatusBar, pkStatusBar, xcStatusBar},
      {"TEdit", ckEdit, pkEdit, xcEdit},
      {"TListBox", ckListBox, pkScrollbar, xcScrollbar},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.cls);
    TMapSettings s = Everything();
    EXPECT_EQ(PlanForControl(Facts(c.cls, c.kind), s).painter, c.painter);
    s.controls.Exclude(c.gate);
    EXPECT_EQ(PlanForControl(Facts(c.cls, c.kind), s).painter, pkNone);
  }
  // A group box's children are attached before the box; it keeps its own colour setting.
  const TControlPlan box = PlanForControl(Facts("TGroupBox", ckGroupBox), Everything());
  EXPECT_TRUE(box.childrenFirst);
  EXPECT_FALSE(box.ownColor);
  // An embedded form gets a colour-only box, then its controls.
  const TControlPlan form = PlanForControl(Facts("TForm2", ckForm), Everything());
  EXPECT_EQ(form.painter, pkBox);
  EXPECT_TRUE(form.ownColor);
  EXPECT_TRUE(form.childrenAfter);
  EXPECT_EQ(PlanForControl(Facts("TLabel", ckOther), Everything()).painter, pkNone);
  EXPECT_EQ(PlanForControl(Facts("TImage", ckOther), Everything()).painter, pkNone);
}

TEST(ControlMap, BuiltInEntriesGoInOrderAndByClassName) {
  TMapSettings s = Everything();
  // A window with scroll bars is a scroll-bar control before it is an edit.
  TControlFacts memo = Facts("TMemo", ckEdit);
  memo.scrollStyle = true;
  EXPECT_EQ(PlanForControl(memo, s).painter, pkScrollbar);
  s.controls.Exclude(xcScrollbar);
  EXPECT_EQ(PlanForControl(memo, s).painter, pkEdit);
  s = Everything();
  // Tabs need the skin's Tabs object.
  s.hasTabs = false;
  EXPECT_EQ(PlanForControl(Facts("TPageControl", ckPageControl), s).painter, pkNone);
  s = Everything();
  // Bitmap buttons: only with xcBitBtn, and then never a plain button painter.
  s.controls.Exclude(xcBitBtn);
  EXPECT_EQ(PlanForControl(Facts("TBitBtn", ckBitBtn), s).painter, pkNone);
}

TEST(ControlMap, Skin3rdLines) {
  std::string kind;
  const std::vector<std::string> lines = {"TComboboxEx=combobox", "tcomboboxex=edit", "TFoo=" + std::string(60, 'x'),
                                          "TBarBaz=button"};
  // First match, compared in lower case; the kind comes back lower-cased.
  ASSERT_TRUE(MatchSkin3rd(lines, "TCOMBOBOXEX", kind));
  EXPECT_EQ(kind, "combobox");
  // The class name must be followed by "=": a prefix of another class is no match.
  EXPECT_FALSE(MatchSkin3rd(lines, "TCombobox", kind));
  EXPECT_FALSE(MatchSkin3rd(lines, "TBar", kind));
  ASSERT_TRUE(MatchSkin3rd(lines, "TFoo", kind));
  EXPECT_EQ(kind, std::string(50, 'x'));
  EXPECT_FALSE(MatchSkin3rd({}, "TButton", kind));

  TMapSettings s = Everything();
  s.skin3rd = lines;
  EXPECT_EQ(PlanForControl(Facts("TComboboxEx", ckOther), s).painter, pkComboBox);
  s.controls.Exclude(xcCombo);
  EXPECT_EQ(PlanForControl(Facts("TComboboxEx", ckOther), s).painter, pkNone);
  // A line decides alone: an unknown kind leaves even a button without painter.
  s = Everything();
  s.skin3rd = {"TButton=fancy"};
  const TControlPlan unknown = PlanForControl(Facts("TButton", ckButton), s);
  EXPECT_EQ(unknown.painter, pkNone);
  EXPECT_TRUE(unknown.fromSkin3rd);
  s.skin3rd = {"TButton=nil"};
  EXPECT_EQ(PlanForControl(Facts("TButton", ckButton), s).painter, pkNone);
  // A group box made a panel by its line: a colour-only box with the Transparent property.
  s.skin3rd = {"TGroupBox=Panel"};
  const TControlPlan panel = PlanForControl(Facts("TGroupBox", ckGroupBox), s);
  EXPECT_EQ(panel.painter, pkBox);
  EXPECT_TRUE(panel.ownColor);
  EXPECT_EQ(panel.setProperty, "Transparent");
  s.skin3rd = {"TcxButton=bitbtn"};
  TControlFacts cx = Facts("TcxButton", ckOther);
  cx.dropDownKind = true;
  EXPECT_EQ(PlanForControl(cx, s).painter, pkMenuButton);
  s.skin3rd = {"TOtherButton=bitbtn"};
  cx.className = "TOtherButton";
  EXPECT_EQ(PlanForControl(cx, s).painter, pkBitButton);
}

TEST(ControlMap, RawButtonsByStyle) {
  const TSkinControls all = DefaultSkinControls();
  auto painter = [&](uint32_t style) { return PlanForRawWindow({"Button", style, false}, all).painter; };
  EXPECT_EQ(painter(0x0), pkButton);        // push button
  EXPECT_EQ(painter(0x1), pkButton);        // default push button
  EXPECT_EQ(painter(0x2), pkCheckBox);      // check box
  EXPECT_EQ(painter(0x3), pkCheckBox);      // automatic check box
  EXPECT_EQ(painter(0x5), pkCheckBox);      // three-state
  EXPECT_EQ(painter(0x6), pkCheckBox);      // automatic three-state
  EXPECT_EQ(painter(0x4), pkRadioButton);   // radio button
  EXPECT_EQ(painter(0x9), pkRadioButton);   // automatic radio button
  EXPECT_EQ(painter(0x7), pkNone);          // group box
  EXPECT_EQ(painter(0xB), pkNone);          // owner-drawn
  EXPECT_EQ(painter(0x40), pkNone);         // icon button: its icon stays visible
  EXPECT_EQ(painter(0x80), pkNone);         // bitmap button
  EXPECT_EQ(painter(0x80 | 0x3), pkNone);   // a check box showing a bitmap
  EXPECT_EQ(painter(0x50000000), pkButton); // visible child push button
  TSkinControls noButtons = all;
  noButtons.Exclude(xcButton);
  EXPECT_EQ(PlanForRawWindow({"button", 0, false}, noButtons).painter, pkNone);
  EXPECT_EQ(PlanForRawWindow({"button", 3, false}, noButtons).painter, pkCheckBox);
}

TEST(ControlMap, RawWindowsByClass) {
  const TSkinControls all = DefaultSkinControls();
  EXPECT_EQ(PlanForRawWindow({"ComboBox", 0x2, false}, all).painter, pkComboBox);
  EXPECT_EQ(PlanForRawWindow({"ComboBox", 0x1, false}, all).painter, pkNone);  // simple
  EXPECT_EQ(PlanForRawWindow({"ComboBoxEx32", 0, false}, all).painter, pkNone);
  EXPECT_EQ(PlanForRawWindow({"ScrollBar", 0x10000, false}, all).painter, pkNone);
  const TControlPlan child = PlanForRawWindow({"#32770", 0, false}, all);
  EXPECT_EQ(child.painter, pkBoxH);
  EXPECT_TRUE(child.childrenFirst);
  EXPECT_EQ(PlanForRawWindow({"#32770", 0x10000, false}, all).painter, pkNone);
  EXPECT_FALSE(PlanForRawWindow({"#32770", 0x10000, false}, all).childrenFirst);
  EXPECT_EQ(PlanForRawWindow({"Static", 0, false}, all).painter, pkNone);
}

TEST(ControlMap, ButtonStatesCaptionsAndColours) {
  // Disabled wins over everything, pressed over hot, hot over focused.
  EXPECT_EQ(ButtonStateIndex(true, true, true, true), 3);
  EXPECT_EQ(ButtonStateIndex(false, true, true, true), 2);
  EXPECT_EQ(ButtonStateIndex(false, false, true, true), 4);
  EXPECT_EQ(ButtonStateIndex(false, false, false, true), 5);
  EXPECT_EQ(ButtonStateIndex(false, false, false, false), 1);
  // Only the first "||" breaks the line.
  EXPECT_EQ(ButtonCaptionText("一||二||三"), "一\r\n二||三");
  EXPECT_EQ(ButtonCaptionText("保存"), "保存");
}

TEST(ControlMap, GroupBoxTopAndStatusPanels) {
  EXPECT_EQ(GroupBoxFrameTop(12), 5);
  EXPECT_EQ(GroupBoxFrameTop(13), 5);
  EXPECT_EQ(GroupBoxFrameTop(1), -1);
  // Each panel reaches 2 pixels further right; the last one to the bar's edge.
  const auto boxes = StatusPanelBoxes({{0, 2, 50, 19}, {52, 2, 100, 19}, {102, 2, 140, 19}}, 479);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].right, 52);
  EXPECT_EQ(boxes[1].right, 102);
  EXPECT_EQ(boxes[2].right, 479);
  EXPECT_TRUE(StatusPanelBoxes({}, 100).empty());
}

}  // namespace
