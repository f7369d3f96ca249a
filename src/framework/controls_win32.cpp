#include "framework/controls_win32.h"

#include <algorithm>

#include "framework/exception.h"

namespace {

TColor ColorValue(const TPropValue& v) {
  return v.kind == TPropKind::Integer ? static_cast<TColor>(v.integer) : IdentToColor(v.text);
}

std::vector<TPropInfo> controlProps() {
  return {
      IntProp("Left", &TControl::Left, &TControl::SetLeft),
      IntProp("Top", &TControl::Top, &TControl::SetTop),
      IntProp("Width", &TControl::Width, &TControl::SetWidth),
      IntProp("Height", &TControl::Height, &TControl::SetHeight),
      StrProp("Caption", &TControl::Caption, &TControl::SetCaption),
      StrProp("Text", &TControl::Text, &TControl::SetText),
      TPropInfo{"Color", TPropKind::Identifier,
                [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Color()); },
                [](TObject& o, const TPropValue& v) { static_cast<TControl&>(o).SetColor(ColorValue(v)); }},
      BoolProp("ParentColor", &TControl::ParentColor, &TControl::SetParentColor),
      ObjectProp("Font", &TControl::Font),
      BoolProp("ParentFont", &TControl::ParentFont, &TControl::SetParentFont),
      BoolProp("Visible", &TControl::Visible, &TControl::SetVisible),
      BoolProp("Enabled", &TControl::Enabled, &TControl::SetEnabled),
      StrProp("Hint", &TControl::Hint, &TControl::SetHint),
      BoolProp("ShowHint", &TControl::ShowHint, &TControl::SetShowHint),
      TPropInfo{"Cursor", TPropKind::Identifier,
                [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Cursor()); },
                [](TObject& o, const TPropValue& v) {
                  int c = crDefault;
                  if (v.kind == TPropKind::Integer)
                    c = static_cast<int>(v.integer);
                  else if (SameText(v.text, "crHandPoint"))
                    c = crHandPoint;
                  else if (SameText(v.text, "crHourGlass"))
                    c = crHourGlass;
                  else if (SameText(v.text, "crArrow"))
                    c = crArrow;
                  static_cast<TControl&>(o).SetCursor(c);
                }},
      TPropInfo{
          "Align", TPropKind::Identifier,
          [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Align()); },
          [](TObject& o, const TPropValue& v) { static_cast<TControl&>(o).SetAlign(IdentToAlign(v.text)); }},
      EventProp("OnClick", &TControl::SetOnClick),
  };
}

std::vector<TPropInfo> winControlProps() {
  return {IntProp("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder),
          BoolProp("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)};
}
}  // namespace

NV_DEFINE_CLASS_EX(TControl, TComponent, nullptr, controlProps)
NV_DEFINE_CLASS_EX(TWinControl, TControl, nullptr, winControlProps)

TAlign IdentToAlign(const std::string& ident) {
  static const char* names[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
  for (int i = 0; i < 6; ++i)
    if (SameText(ident, names[i])) return static_cast<TAlign>(i);
  throw EConvertError(Format("'%s' is not a valid alignment", ident.c_str()));
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] {
    parentFont_ = false;  // a font set on the control itself stops following the parent
    FontChanged();
  };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
  }
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  auto keep = std::move(font_.OnChange);
  font_.Assign(*parent_->Font());
  font_.OnChange = std::move(keep);
  FontChanged();
}

void TControl::ParentColorChanged() {
  if (parentColor_ && parent_ && color_ != parent_->Color()) {
    color_ = parent_->Color();
    ColorChanged();
  }
}

void TControl::SetParentFont(bool v) {
  if (v == parentFont_) return;
  parentFont_ = v;
  ParentFontChanged();
}

void TControl::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  ParentColorChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  if (parent_ && !parent_->IsLoading()) parent_->AlignControls();
}

std::string TControl::Caption() const {
  auto* w = dynamic_cast<const TWinControl*>(this);
  if (w && w->HandleAllocated()) {
    HWND h = const_cast<TWinControl*>(w)->Handle();
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
  }
  return caption_;
}

void TControl::SetCaption(const std::string& text) {
  if (text == Caption()) return;
  caption_ = text;
  TextChanged();
}

void TControl::SetColor(TColor c) {
  parentColor_ = false;
  if (c == color_) return;
  color_ = c;
  ColorChanged();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  VisibleChanged();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  EnabledChanged();
}

void TControl::SetHint(const std::string& h) {
  if (h == hint_) return;
  hint_ = h;
  HintChanged();
}

void TControl::SetShowHint(bool v) {
  if (v == showHint_) return;
  showHint_ = v;
  HintChanged();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

HBRUSH TControl::ColorBrush() {
  COLORREF rgb = ColorToRGB(color_);
  if (!brush_ || brushColor_ != rgb) {
    brush_.Reset(CreateSolidBrush(rgb));
    brushColor_ = rgb;
  }
  return brush_.Get();
}
