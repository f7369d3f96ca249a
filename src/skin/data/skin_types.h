// Enumerations of the skin data component and small sets over them, with the member names
// that stored layouts use ("xcButton", "[xoPreview, xoToolbarBK]", "sfMainform").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

enum TSkinControlType {
  xcMainMenu,
  xcPopupMenu,
  xcMenuItem,
  xcToolbar,
  xcControlbar,
  xcCombo,
  xcCheckBox,
  xcRadioButton,
  xcProgress,
  xcScrollbar,
  xcEdit,
  xcButton,
  xcBitBtn,
  xcSpeedButton,
  xcSpin,
  xcPanel,
  xcGroupBox,
  xcStatusBar,
  xcTab,
  xcTrackBar,
  xcSystemMenu,
  xcFastReport,
};
constexpr int kSkinControlTypeCount = xcFastReport + 1;

enum TSkinOption {
  xoMDIScrollbar,
  xoMenuMerge,
  xoTransparent,
  xoPreview,
  xoParentBackGround,
  xoNoFocusRect,
  xoToolbarBK,
  xoMDIChildBorder,
  xoMenuBG,
  xoFormScrollbar,
};
constexpr int kSkinOptionCount = xoFormScrollbar + 1;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };
constexpr int kSkinFormTypeCount = sfDLL + 1;

// A set of up to 32 members of an enumeration.
template <class E>
class TSkinSet {
 public:
  constexpr TSkinSet() = default;
  constexpr TSkinSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }
  static constexpr TSkinSet FromBits(uint32_t bits) {
    TSkinSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr bool Has(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr void Include(E m) { bits_ |= Bit(m); }
  constexpr void Exclude(E m) { bits_ &= ~Bit(m); }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool operator==(const TSkinSet&) const = default;

 private:
  static constexpr uint32_t Bit(E m) { return uint32_t(1) << int(m); }
  uint32_t bits_ = 0;
};

using TSkinControls = TSkinSet<TSkinControlType>;
using TSkinOptions = TSkinSet<TSkinOption>;

// The member names, in declaration order.
const char* SkinControlTypeName(TSkinControlType t);
const char* SkinOptionName(TSkinOption o);
const char* SkinFormTypeName(TSkinFormType t);

// Layout members to sets and back; unknown names raise EPropertyError.
TSkinControls SkinControlsFromNames(const std::vector<std::string>& names);
std::vector<std::string> SkinControlsToNames(TSkinControls s);
TSkinOptions SkinOptionsFromNames(const std::vector<std::string>& names);
std::vector<std::string> SkinOptionsToNames(TSkinOptions s);
TSkinFormType SkinFormTypeFromName(const std::string& name);

// Every control kind but xcMenuItem and xcFastReport.
TSkinControls DefaultSkinControls();
