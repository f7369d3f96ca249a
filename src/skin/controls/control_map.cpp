#include "skin/controls/control_map.h"

#include <algorithm>
#include <cctype>

namespace {

// Window styles of the system's controls (this file is portable).
constexpr uint32_t BS_GROUPBOX_ = 0x7, BS_OWNERDRAW_ = 0xB, BS_ICON_ = 0x40, BS_BITMAP_ = 0x80;
constexpr uint32_t WS_TABSTOP_ = 0x10000, TCS_OWNERDRAWFIXED_ = 0x2000;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TControlPlan Painter(TPainterKind k, bool ownColor = false) {
  TControlPlan p;
  p.painter = k;
  p.ownColor = ownColor;
  return p;
}
bool In(const std::string& s, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (s == n) return true;
  return false;
}

}  // namespace

const char* PainterKindName(TPainterKind k) {
  static const char* const names[] = {
      "none",       "TSkinButton",    "TSkinBitButton", "TSkinBitButton(png)", "TSkinSpeedButton",
      "TSkinMenuButton", "TSkinMP",   "TSkinCheckBox",  "TSkinRadioButton",    "TSkinObjImage",
      "TSkinEdit",  "TSkinComBox",    "TSkinDateTime",  "TSkinUpDown",         "TSkinScrollbar",
      "TSkinScrollbar(single)", "TSkinListView", "TSkinScControl", "TSkinGroupBox", "TSkinStatusBar",
      "TSkinBox",   "TSkinBoxH",      "TSkinSizer",     "TSkinTab",            "TSkinTabBtn",
      "TSkinTab31", "TSkinTabSheet",  "TSkinAdvPage",   "TSkinTrackBar",       "TSkinProgress",
      "TSkinHeader"};
  const int i = int(k);
  return i >= 0 && i < int(sizeof names / sizeof names[0]) ? names[i] : "?";
}

TControlKind ControlKindOf(const std::vector<std::string>& classChain) {
  // The framework's own control classes; the first ancestor that names a kind decides.
  struct TBinding {
    const char* cls;
    TControlKind kind;
  };
  static const TBinding bindings[] = {
      {"TButton", ckButton},       {"TGroupBox", ckGroupBox}, {"TStatusBar", ckStatusBar},
      {"TEdit", ckEdit},           {"TListBox", ckListBox},   {"TForm", ckForm},
  };
  for (const std::string& c : classChain)
    for (const TBinding& b : bindings)
      if (c == b.cls) return b.kind;
  return ckOther;
}

bool MatchSkin3rd(const std::vector<std::string>& lines, const std::string& className, std::string& kind) {
  const std::string key = Lower(className) + "=";
  for (const std::string& line : lines) {
    const std::string l = Lower(line);
    if (l.compare(0, key.size(), key) != 0) continue;
    kind = l.substr(l.find('=') + 1, 50);
    return true;
  }
  return false;
}

TControlPlan PlanForSkin3rdKind(const std::string& kind, const std::string& lineKey, const TControlFacts& facts,
                                const TMapSettings& s) {
  const TSkinControls& c = s.controls;
  TControlPlan p;
  if (kind == "combobox" && c.Has(xcCombo)) p = Painter(pkComboBox);
  else if (kind == "edit" && c.Has(xcEdit)) {
    p = Painter(pkEdit);
    p.onlyWithFrame = true;
  } else if (kind == "radiobutton" && c.Has(xcRadioButton)) p = Painter(pkRadioButton);
  else if (kind == "panel" && c.Has(xcPanel)) {
    p = Painter(pkBox, true);
    p.setProperty = "Transparent";
    p.setValue = "True";
  } else if (kind == "trackbar" && c.Has(xcButton)) {
    p = Painter(pkTrackBar);
    p.setProperty = "Transparent";
    p.setValue = "True";
  } else if (kind == "button" && c.Has(xcButton)) p = Painter(pkButton);
  else if (kind == "datetimepicker" && c.Has(xcCombo)) p = Painter(pkDateTime);
  else if (kind == "mediaplayer" && c.Has(xcButton)) p = Painter(pkMediaPlayer);
  else if (kind == "bitbtn" && c.Has(xcButton))
    p = Painter(Lower(lineKey) == "tcxbutton" && facts.dropDownKind ? pkMenuButton : pkBitButton);
  else if (kind == "pngbitbtn" && c.Has(xcButton)) p = Painter(pkPngBitButton);
  else if (kind == "menubtn" && c.Has(xcButton)) p = Painter(pkMenuButton);
  else if (kind == "speedbutton" && c.Has(xcSpeedButton)) p = Painter(pkSpeedButton);
  else if (kind == "tab" && c.Has(xcTab) && s.hasTabs) p = Painter(pkTab);
  else if (kind == "progress" && c.Has(xcProgress)) p = Painter(pkProgress);
  else if (kind == "scrollbar" && c.Has(xcScrollbar)) {
    p = Painter(pkScrollbar);
    p.childrenAfter = true;
  } else if (kind == "singlescrollbar" && c.Has(xcScrollbar)) p = Painter(pkSingleScrollbar);
  else if (kind == "embedscrollbar" && c.Has(xcScrollbar)) p.childScrollbars = true;
  else if (kind == "container") p.childrenFirst = true;
  else if (kind == "groupbox" && c.Has(xcGroupBox)) p = Painter(pkGroupBox, true);
  else if (kind == "advpagecontrol" && c.Has(xcTab)) p = Painter(pkAdvPage);
  else if ((kind == "radiogroup" && c.Has(xcGroupBox)) || (kind == "checkgroup" && c.Has(xcPanel))) {
    const bool trz = Upper(facts.className).find("TRZ") != std::string::npos;
    if (c.Has(xcRadioButton))
      p.childPainter = trz ? pkObjImage : (kind == "radiogroup" ? pkRadioButton : pkCheckBox);
    if (c.Has(xcGroupBox)) p.painter = pkGroupBox;
  } else if (kind == "checkbox" && c.Has(xcCheckBox)) p = Painter(pkCheckBox);
  // "nil" and every kind not above: no painter.
  p.fromSkin3rd = true;
  return p;
}

TControlPlan PlanForControl(const TControlFacts& f, const TMapSettings& s) {
  std::string kind;
  if (MatchSkin3rd(s.skin3rd, f.className, kind)) return PlanForSkin3rdKind(kind, f.className, f, s);
  const std::string up = Upper(f.className);
  if (In(up, {"TDBCOMBOBOXEH", "TFRDESIGNERPAGE", "TFRPBOX"})) return {};
  const TSkinControls& c = s.controls;
  const bool tabs = c.Has(xcTab) && s.hasTabs;
  TControlPlan p;
  switch (f.kind) {
    case ckPageControl:
      if (tabs) return Painter(f.buttonTabs ? pkTabBtn : pkTab);
      break;
    case ckCoolBar:
      if (c.Has(xcToolbar)) {
        p.faceColour = true;
        return p;
      }
      break;
    default: break;
  }
  if (up == "TTABSET" && tabs) return Painter(pkTab31);
  if (f.kind == ckTabSheet && tabs) return Painter(pkTabSheet);
  if (up == "TTABBEDNOTEBOOK" && tabs) return Painter(pkTab);
  if (up == "TMVCPANEL") {
    p.childrenFirst = true;
    return p;
  }
  if (f.kind == ckTabControl && tabs) return Painter(f.buttonTabs ? pkTabBtn : pkTab);
  if (f.kind == ckHeader && c.Has(xcPanel)) return Painter(pkHeader);
  if (f.kind == ckCheckBox && c.Has(xcCheckBox)) return Painter(pkCheckBox);
  if (f.kind == ckTrackBar && c.Has(xcTrackBar)) return Painter(pkTrackBar);
  if (In(up, {"TUPDOWN", "TSPINBUTTON"}) && c.Has(xcSpin)) return Painter(pkUpDown);
  if (up == "TMEDIAPLAYER" && c.Has(xcButton)) return Painter(pkMediaPlayer);
  if (f.kind == ckRadioGroup && c.Has(xcRadioButton)) {
    p = Painter(pkGroupBox, true);
    p.childPainter = pkRadioButton;
    return p;
  }
  if (up == "TDBNAVIGATOR" && c.Has(xcPanel)) {
    p = Painter(pkBox, true);
    p.childrenAfter = true;
    return p;
  }
  if (In(up, {"TRZCHECKBOX", "TRZDBCHECKBOX"}) && c.Has(xcCheckBox)) return Painter(pkObjImage);
  if (In(up, {"TRZRADIOBUTTON", "TRZDBRADIOBUTTON"}) && c.Has(xcRadioButton)) return Painter(pkObjImage);
  if (In(up, {"TCXCHECKBOX", "TCXDBCHECKBOX"}) && c.Has(xcCheckBox)) return Painter(pkObjImage);
  if (f.kind == ckGroupBox && c.Has(xcPanel)) {
    p = Painter(pkGroupBox);
    p.childrenFirst = true;
    return p;
  }
  if (f.kind == ckRadioButton && c.Has(xcRadioButton)) return Painter(pkRadioButton);
  if (f.kind == ckToolBar && c.Has(xcToolbar)) {
    p = Painter(pkBox);
    p.setProperty = "Flat";
    p.setValue = "True";
    return p;
  }
  if (f.kind == ckStatusBar && c.Has(xcStatusBar)) return Painter(pkStatusBar);
  if (f.kind == ckProgressBar && c.Has(xcProgress)) return Painter(pkProgress);
  if (f.kind == ckScrollBox && c.Has(xcScrollbar)) return Painter(pkScControl);
  if ((up == "TTNTCOMBOBOX" || f.kind == ckComboBox) && c.Has(xcCombo)) return Painter(pkComboBox);
  if (f.kind == ckDateTimePicker && c.Has(xcEdit)) return Painter(f.pickerDropDown ? pkDateTime : pkEdit);
  if (In(up, {"TRICHEDIT", "TWWDBRICHEDIT", "TDXDBMEMO"}) && c.Has(xcScrollbar)) return Painter(pkScrollbar);
  if (f.kind == ckBitBtn) return c.Has(xcBitBtn) ? Painter(pkBitButton) : TControlPlan{};
  if (f.kind == ckSpeedButton && c.Has(xcSpeedButton)) return Painter(pkSpeedButton);
  if (f.kind == ckPanel && c.Has(xcPanel)) {
    p = Painter(pkBox, true);
    p.childrenFirst = true;
    return p;
  }
  if (In(up, {"TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"}) && c.Has(xcScrollbar)) return Painter(pkScrollbar);
  if (f.kind == ckListView && c.Has(xcScrollbar)) return Painter(pkListView);
  if (f.kind == ckListLike && c.Has(xcScrollbar)) return Painter(pkScrollbar);
  if ((f.scrollStyle || f.kind == ckListBox) && c.Has(xcScrollbar)) return Painter(pkScrollbar);
  if (f.kind == ckButton && c.Has(xcButton)) return Painter(pkButton);
  if (f.kind == ckEdit && c.Has(xcEdit)) return Painter(pkEdit);
  if (up != "TDCEDIT" && up != "TDCDBEDIT") {
    if (f.kind == ckFrame) {
      p.childrenFirst = true;
      return p;
    }
    if (f.kind == ckForm) {
      p = Painter(pkBox, true);
      p.childrenAfter = true;
      return p;
    }
    return p;
  }
  if (f.numButtons == 1 && c.Has(xcCombo)) return Painter(pkComboBox);
  if (f.numButtons == 0 && c.Has(xcEdit)) return Painter(pkEdit);
  return p;
}

TControlPlan PlanForRawWindow(const TRawFacts& f, const TSkinControls& c) {
  const std::string cls = Lower(f.className);
  TControlPlan p;
  if (cls == "button") {
    // Owner-drawn buttons, group boxes and buttons showing a picture (bitmap or icon) keep
    // the system's drawing: a skinned face would hide what they draw.
    const uint32_t type = f.style & 0xF;
    if (type == BS_OWNERDRAW_ || type == BS_GROUPBOX_ || (f.style & (BS_BITMAP_ | BS_ICON_))) return p;
    if (type == 2 || type == 3 || type == 5 || type == 6) return c.Has(xcCheckBox) ? Painter(pkCheckBox) : p;
    if (type == 4 || type == 9) return c.Has(xcRadioButton) ? Painter(pkRadioButton) : p;
    return c.Has(xcButton) ? Painter(pkButton) : p;
  }
  if (cls == "combobox") return (f.style & 3) != 1 && c.Has(xcCombo) ? Painter(pkComboBox) : p;
  if (cls == "comboboxex32") return f.hasChild && c.Has(xcCombo) ? Painter(pkComboBox) : p;
  if (cls == "scrollbar") return !(f.style & WS_TABSTOP_) && c.Has(xcScrollbar) ? Painter(pkSizer) : p;
  if (cls == "systreeview32") return p;
  if (cls == "#32770") {
    if (f.style & WS_TABSTOP_) return p;
    p.childrenFirst = true;
    if (c.Has(xcPanel)) p.painter = pkBoxH;
    return p;
  }
  if (In(cls, {"tpanel", "ttntpanel.unicodeclass", "ttntsilentpaintpanel.unicodeclass"})) {
    p.childrenFirst = true;
    p.faceColour = c.Has(xcPanel);
    return p;
  }
  if (cls == "tsilentpaintpanel") {
    p.faceColour = c.Has(xcPanel);
    return p;
  }
  if (cls == "tcheckbox") return c.Has(xcCheckBox) ? Painter(pkCheckBox) : p;
  if (cls == "tcombobox") return c.Has(xcCombo) ? Painter(pkComboBox) : p;
  if (cls == "tbutton") return c.Has(xcButton) ? Painter(pkButton) : p;
  if (cls == "tprogressbar") return c.Has(xcProgress) ? Painter(pkProgress) : p;
  if (cls == "systabcontrol32") return !(f.style & TCS_OWNERDRAWFIXED_) && c.Has(xcTab) ? Painter(pkTab) : p;
  if (cls == "edit") return c.Has(xcEdit) ? Painter(pkEdit) : p;
  return p;
}

int ButtonStateIndex(bool disabled, bool down, bool hot, bool focused) {
  if (disabled) return 3;
  if (down) return 2;
  if (hot) return 4;
  if (focused) return 5;
  return 1;
}

std::string ButtonCaptionText(const std::string& caption) {
  std::string s = caption;
  const size_t at = s.find("||");
  if (at != std::string::npos) s.replace(at, 2, "\r\n");
  return s;
}

int ButtonColourSlot(int stateIndex) { return stateIndex == 1 || stateIndex == 2 || stateIndex == 4 ? stateIndex : 0; }

std::vector<TPanelBox> StatusPanelBoxes(const std::vector<TPanelBox>& given, int barWidth) {
  std::vector<TPanelBox> out = given;
  for (TPanelBox& b : out) b.right += 2;
  if (!out.empty()) out.back().right = barWidth;
  return out;
}
