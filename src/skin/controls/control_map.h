// Which painter a control gets, and the small rules the painters share, without the system:
// the mapping by control kind and class name for framework forms, the "Skin3rd" lines, the
// mapping by window class for raw windows (system dialogs), the button state and the
// geometry of group boxes and status bar panels.
//
// The mapping answers with a plan (TControlPlan); the Windows side carries it out. A plan
// may name a painter that is not built yet: such controls are mapped but keep their own
// look until the painter exists (PainterBuilt, one row per painter on the Windows side).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/data/skin_types.h"

enum TPainterKind {
  pkNone,
  pkButton,
  pkBitButton,
  pkPngBitButton,
  pkSpeedButton,
  pkMenuButton,
  pkMediaPlayer,
  pkCheckBox,
  pkRadioButton,
  pkObjImage,
  pkEdit,
  pkComboBox,
  pkDateTime,
  pkUpDown,
  pkScrollbar,
  pkSingleScrollbar,
  pkListView,
  pkScControl,
  pkGroupBox,
  pkStatusBar,
  pkBox,
  pkBoxH,
  pkSizer,
  pkTab,
  pkTabBtn,
  pkTab31,
  pkTabSheet,
  pkAdvPage,
  pkTrackBar,
  pkProgress,
  pkHeader,
};
const char* PainterKindName(TPainterKind k);

// Control kinds of the built-in mapping. The framework's classes bind to them by class
// (ControlKindOf); the others are kinds this program's toolkit does not have.
enum TControlKind {
  ckOther,
  ckPageControl,
  ckCoolBar,
  ckTabSheet,
  ckTabControl,
  ckHeader,
  ckCheckBox,
  ckTrackBar,
  ckRadioGroup,
  ckGroupBox,
  ckRadioButton,
  ckToolBar,
  ckStatusBar,
  ckProgressBar,
  ckScrollBox,
  ckComboBox,
  ckDateTimePicker,
  ckBitBtn,
  ckSpeedButton,
  ckPanel,
  ckListView,
  ckListLike,
  ckListBox,
  ckButton,
  ckEdit,
  ckFrame,
  ckForm,
};
// The kind of a framework control from its class and ancestors, nearest first
// ({"TButton", "TWinControl", "TControl", ...}).
TControlKind ControlKindOf(const std::vector<std::string>& classChain);

// What the mapping needs to know of one framework control.
struct TControlFacts {
  std::string className;  // as the class record has it ("TButton")
  TControlKind kind = ckOther;
  bool scrollStyle = false;  // the window has WS_VSCROLL or WS_HSCROLL
  bool buttonTabs = false;   // tab controls / page controls drawn as buttons
  bool pickerDropDown = true;  // a date-time picker in its drop-down calendar mode
  int numButtons = -1;       // the "NumButtons" property, -1 when missing
  bool dropDownKind = false;  // "Kind" is "cxbkDropDownButton"
};

// The skin data's inputs to the mapping.
struct TMapSettings {
  TSkinControls controls;
  bool hasTabs = false;  // the skin has a "Tabs" object
  std::vector<std::string> skin3rd;
};

// One step of attaching a control.
struct TControlPlan {
  TPainterKind painter = pkNone;
  bool ownColor = false;            // the painter is initialised with flag 1
  bool childrenFirst = false;       // the control's children are visited before it
  bool childrenAfter = false;       // ... or after its painter
  TPainterKind childPainter = pkNone;  // every child gets this painter (radio groups)
  bool childScrollbars = false;     // children with scroll bars (or list boxes) get scroll-bar painters
  std::string setProperty, setValue;   // a property set on the control first
  bool faceColour = false;          // the control (or its bands) takes the skin's face colour
  bool onlyWithFrame = false;       // only when window and client rectangles differ in size
  bool fromSkin3rd = false;         // decided by a Skin3rd line
};

// The kind a Skin3rd line gives a class: the first line that, in lower case, begins with the
// lower-cased class name and "="; the kind is the text after the first "=" (at most 50
// characters, lower-cased). False when no line matches.
bool MatchSkin3rd(const std::vector<std::string>& lines, const std::string& className, std::string& kind);
// The plan for a Skin3rd kind (an unknown kind gives an empty plan).
TControlPlan PlanForSkin3rdKind(const std::string& kind, const std::string& lineKey, const TControlFacts& facts,
                                const TMapSettings& settings);
// The whole decision for a framework control that passed the tag and "already skinned"
// tests: the Skin3rd lines first, then the class names that get nothing, then the built-in
// mapping.
TControlPlan PlanForControl(const TControlFacts& facts, const TMapSettings& settings);

// Raw windows: a direct child window of a dialog by its class name (any case) and style.
struct TRawFacts {
  std::string className;
  uint32_t style = 0;
  bool hasChild = false;
};
TControlPlan PlanForRawWindow(const TRawFacts& facts, const TSkinControls& controls);

// ---- Buttons ----

// The frame of the "Buttons" picture for a push button's state: 3 disabled, 2 pressed,
// 4 hot, 5 focused, 1 normal (first match in that order).
int ButtonStateIndex(bool disabled, bool down, bool hot, bool focused);
// The caption as drawn: the first "||" becomes a line break.
std::string ButtonCaptionText(const std::string& caption);
// Which Buttons colour overrides the caption colour in a state: 1 normal, 2 pressed,
// 4 hot; 0 for none.
int ButtonColourSlot(int stateIndex);

// ---- Group boxes and status bars ----

// The top of a group box's frame for a font whose "0" is textHeight pixels high.
inline int GroupBoxFrameTop(int textHeight) { return textHeight / 2 - 1; }

struct TPanelBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// Panel rectangles as painted: each widened by 2 pixels to the right, the last one to the
// bar's right edge.
std::vector<TPanelBox> StatusPanelBoxes(const std::vector<TPanelBox>& given, int barWidth);
// Panel bevels: raised 2, lowered 1, none 3.
enum TPanelBevel { pbLowered, pbRaised, pbNone };
inline int BevelFrame(TPanelBevel b) { return b == pbRaised ? 2 : b == pbLowered ? 1 : 3; }
