#include "skin/forms/manager_rules.h"

#include <algorithm>

#include "skin/data/skin_data.h"
#include "skin/data/skin_text.h"

bool NameFilterAccepts(TSkinData* defaultSkinData, uintptr_t window, const std::string& className) {
  bool doSkin = true;
  if (!defaultSkinData) return doSkin;
  if (!defaultSkinData->Options().Has(xoPreview) &&
      skin_text::LowerCase(className).find("preview") != std::string::npos)
    doSkin = false;
  defaultSkinData->FormSkinQuery(window, className, doSkin);
  return doSkin;
}

bool WindowQualifies(const TAttachFacts& w, bool forceAll, TSkinData* defaultSkinData) {
  if (!forceAll && w.child && !w.mdiChild && skin_text::LowerCase(w.parentClass) == "mdiclient") return false;
  if (!w.hasForm && !w.ownInstance && w.className != "#32770") return false;
  if (!w.hasArea && !w.mdiChild) return false;
  if (w.hasForm && w.formTag == kNeverSkinTag) return false;
  if (w.className.find("TcxPopupEditPopupWindow") != std::string::npos) return false;
  if (w.className == "TApplication") return false;
  return NameFilterAccepts(defaultSkinData, w.window, w.className);
}

void TSkinDataList::Register(TSkinData* skinData) {
  if (!skinData || Contains(skinData)) return;
  items_.push_back(skinData);
  if (!default_ && skinData->SkinFormtype() == sfMainform) default_ = skinData;
}

void TSkinDataList::Unregister(TSkinData* skinData) {
  items_.erase(std::remove(items_.begin(), items_.end(), skinData), items_.end());
  if (default_ != skinData) return;
  // Manager-wide rules follow a component that still exists.
  default_ = nullptr;
  for (TSkinData* s : items_)
    if (s->SkinFormtype() == sfMainform) {
      default_ = s;
      break;
    }
}

bool TSkinDataList::Contains(const TSkinData* skinData) const {
  return std::find(items_.begin(), items_.end(), skinData) != items_.end();
}

TSkinData* TSkinDataList::ChooseFor(uintptr_t window, const std::string& className,
                                    const TOwnerWindowFn& ownerWindow) const {
  auto lastOf = [&](auto pred) -> TSkinData* {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it)
      if (pred(**it)) return *it;
    return nullptr;
  };
  if (TSkinData* s = lastOf([&](TSkinData& d) {
        return d.SkinFormtype() == sfOnlyThisForm && ownerWindow && window != 0 &&
               ownerWindow(d.Owner()) == window;
      }))
    return s;
  const std::string lower = skin_text::LowerCase(className);
  if (lower == "tmessageform" || lower == "#32770")
    if (TSkinData* s = lastOf([](TSkinData& d) { return d.SkinFormtype() == sfDialog; })) return s;
  if (TSkinData* s = lastOf([](TSkinData& d) { return d.SkinFormtype() == sfMainform; })) return s;
  return items_.empty() ? nullptr : items_.front();
}
