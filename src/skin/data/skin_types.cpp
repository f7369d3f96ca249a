#include "skin/data/skin_types.h"

#include "framework/exception.h"
#include "framework/object.h"

namespace {

const char* const kControlNames[kSkinControlTypeCount] = {
    "xcMainMenu", "xcPopupMenu",   "xcMenuItem",   "xcToolbar",   "xcControlbar", "xcCombo",
    "xcCheckBox", "xcRadioButton", "xcProgress",   "xcScrollbar", "xcEdit",       "xcButton",
    "xcBitBtn",   "xcSpeedButton", "xcSpin",       "xcPanel",     "xcGroupBox",   "xcStatusBar",
    "xcTab",      "xcTrackBar",    "xcSystemMenu", "xcFastReport"};
const char* const kOptionNames[kSkinOptionCount] = {
    "xoMDIScrollbar", "xoMenuMerge", "xoTransparent",    "xoPreview", "xoParentBackGround",
    "xoNoFocusRect",  "xoToolbarBK", "xoMDIChildBorder", "xoMenuBG",  "xoFormScrollbar"};
const char* const kFormTypeNames[kSkinFormTypeCount] = {"sfMainform", "sfOnlyThisForm", "sfDialog", "sfDLL"};

int IndexOf(const char* const* names, int count, const std::string& name) {
  for (int i = 0; i < count; ++i)
    if (SameText(names[i], name)) return i;
  throw EPropertyError(Format("Invalid property value %s", name.c_str()));
}

template <class E>
TSkinSet<E> FromNames(const char* const* table, int count, const std::vector<std::string>& names) {
  TSkinSet<E> s;
  for (const std::string& n : names) s.Include(E(IndexOf(table, count, n)));
  return s;
}

template <class E>
std::vector<std::string> ToNames(const char* const* table, int count, TSkinSet<E> s) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i)
    if (s.Has(E(i))) out.push_back(table[i]);
  return out;
}

}  // namespace

const char* SkinControlTypeName(TSkinControlType t) { return kControlNames[t]; }
const char* SkinOptionName(TSkinOption o) { return kOptionNames[o]; }
const char* SkinFormTypeName(TSkinFormType t) { return kFormTypeNames[t]; }

TSkinControls SkinControlsFromNames(const std::vector<std::string>& names) {
  return FromNames<TSkinControlType>(kControlNames, kSkinControlTypeCount, names);
}
std::vector<std::string> SkinControlsToNames(TSkinControls s) {
  return ToNames(kControlNames, kSkinControlTypeCount, s);
}
TSkinOptions SkinOptionsFromNames(const std::vector<std::string>& names) {
  return FromNames<TSkinOption>(kOptionNames, kSkinOptionCount, names);
}
std::vector<std::string> SkinOptionsToNames(TSkinOptions s) {
  return ToNames(kOptionNames, kSkinOptionCount, s);
}
TSkinFormType SkinFormTypeFromName(const std::string& name) {
  return TSkinFormType(IndexOf(kFormTypeNames, kSkinFormTypeCount, name));
}

TSkinControls DefaultSkinControls() {
  TSkinControls s = TSkinControls::FromBits((uint32_t(1) << kSkinControlTypeCount) - 1);
  s.Exclude(xcMenuItem);
  s.Exclude(xcFastReport);
  return s;
}
