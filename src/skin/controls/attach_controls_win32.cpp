#include "skin/controls/attach_controls_win32.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "framework/forms_win32.h"
#include "skin/controls/prop_access.h"
#include "skin/controls/skin_painters_win32.h"
#include "skin/forms/skin_messages.h"

namespace {

template <class T>
TSkinControl* Make(TComponent* owner) {
  return new T(owner);
}

// One row per painter that exists. A kind without a row is mapped (control_map.cpp) but the
// control keeps its own look.
struct TPainterRow {
  TPainterKind kind;
  TSkinControl* (*make)(TComponent* owner);
};
const TPainterRow kPainters[] = {
    {pkButton, Make<TSkinButton>}, {pkGroupBox, Make<TSkinGroupBox>}, {pkStatusBar, Make<TSkinStatusBar>},
    {pkBox, Make<TSkinBox>},       {pkBoxH, Make<TSkinBoxH>},         {pkSizer, Make<TSkinSizer>},
};

// The painter lists by skin form, of every thread with skinned windows: the map is guarded;
// each list is used only on its form's thread.
std::mutex gListsLock;
std::map<const void*, std::unique_ptr<TSkinPainters>>& Lists() {
  static auto* lists = new std::map<const void*, std::unique_ptr<TSkinPainters>>;
  return *lists;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string Upper(std::string s) {
  for (char& c : s) c = char(toupper(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> ClassChain(const TObject& o) {
  std::vector<std::string> chain;
  for (const TClassInfo* c = &o.ClassInfo(); c; c = c->parent) chain.push_back(c->name);
  return chain;
}

bool AnswersSkinned(HWND w) { return w && SendMessageA(w, XM_ISSKINNED, 0, 0) == 1; }

class TAttacher {
 public:
  explicit TAttacher(TSkinPainters& list) : list_(list), data_(*list.SkinData) {
    settings_.controls = data_.SkinControls();
    settings_.hasTabs = data_.Content().Tabs != nullptr;
    settings_.skin3rd = data_.Skin3rd();
  }

  void WalkForm(TWinControl& form) {
    // The components first, in their order (a copy: a handler may add components).
    std::vector<TWinControl*> controls;
    for (int i = 0; i < form.ComponentCount(); ++i)
      if (auto* c = dynamic_cast<TWinControl*>(form.Components(i))) controls.push_back(c);
    for (TWinControl* c : controls) AttachControl(*c, &form);
    // Then the tab order, for controls on the form that another component owns.
    std::set<TWinControl*> seen;
    for (TWinControl* c = form.FindNextControl(nullptr, true); c && seen.insert(c).second;
         c = form.FindNextControl(c, true)) {
      if (c->HandleAllocated() && c->Tag() != data_.DisableTag() && !AnswersSkinned(c->Handle()) &&
          !list_.FindControl(c))
        AttachControl(*c, c->Parent());
    }
  }

  void AttachControl(TWinControl& c, TComponent* parent) {
    if (c.Tag() == data_.DisableTag()) {
      const std::string cls = Lower(c.ClassName());
      if (!c.Controls().empty() && (cls.find("radiogroup") != std::string::npos ||
                                    cls.find("checkgroup") != std::string::npos))
        for (TControl* child : c.Controls()) child->SetTag(data_.DisableTag());
      return;
    }
    if (!c.Parent() || list_.FindControl(&c)) return;
    if (c.HandleAllocated() && AnswersSkinned(c.Handle())) return;
    try {
      c.Handle();
    } catch (...) {
      return;
    }
    if (data_.OnSkinControl) {
      TObject* made = nullptr;
      data_.OnSkinControl(&data_, &data_, list_.FormControl, &c, Upper(c.ClassName()), made);
      if (auto* painter = dynamic_cast<TSkinControl*>(made)) {
        if (std::find(list_.Items().begin(), list_.Items().end(), painter) == list_.Items().end())
          painter->Attach(&list_, &data_, false);
        if (ControlKindOf(ClassChain(c)) == ckPanel) VisitChildren(c);
        return;
      }
    }
    TControlFacts facts;
    facts.className = c.ClassName();
    facts.kind = ControlKindOf(ClassChain(c));
    facts.scrollStyle = (GetWindowLongA(c.Handle(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
    facts.numButtons = GetOrdPropByName(&c, "NumButtons");
    facts.dropDownKind = GetEnumPropByName(&c, "Kind") == "cxbkDropDownButton";
    facts.buttonTabs = !GetEnumPropByName(&c, "Style").empty() && GetEnumPropByName(&c, "Style") != "tsTabs";
    Carry(c, PlanForControl(facts, settings_));
  }

  void WalkRaw(HWND parent) {
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      const LONG style = GetWindowLongA(w, GWL_STYLE);
      if (!(style & WS_CHILD) || list_.Find(w) || AnswersSkinned(w)) continue;
      char cls[256] = {};
      GetClassNameA(w, cls, sizeof cls);
      TRawFacts facts{cls, uint32_t(style), GetWindow(w, GW_CHILD) != nullptr};
      const TControlPlan plan = PlanForRawWindow(facts, settings_.controls);
      if (plan.childrenFirst) WalkRaw(w);
      if (plan.faceColour)
        if (TWinControl* c = TWinControl::FromHandle(w)) c->SetColor(TColor(data_.Content().Colours.ButtonFace & 0xFFFFFF));
      HWND target = Lower(cls) == "comboboxex32" ? GetWindow(w, GW_CHILD) : w;
      if (plan.painter != pkNone && target && !list_.Find(target)) AttachRawPainter(plan.painter, target);
    }
  }

 private:
  void VisitChildren(TWinControl& c) {
    for (TControl* child : std::vector<TControl*>(c.Controls()))
      if (auto* w = dynamic_cast<TWinControl*>(child)) AttachControl(*w, &c);
  }

  void AttachPainter(TWinControl& c, TPainterKind kind, bool ownColor) {
    if (list_.FindControl(&c)) return;
    if (TSkinControl* p = MakePainter(kind, &c)) {
      try {
        p->Attach(&list_, &data_, ownColor);
      } catch (...) {
        p->Release();
        throw;
      }
    }
  }

  void AttachRawPainter(TPainterKind kind, HWND w) {
    TSkinControl* p = MakePainter(kind, nullptr);
    if (!p) return;
    try {
      p->AttachHandle(w, &data_, &list_);
    } catch (...) {
      // A window that cannot be subclassed keeps its own look.
      p->Release();
    }
  }

  void Carry(TWinControl& c, const TControlPlan& plan) {
    if (!plan.setProperty.empty()) SetPropByName(&c, plan.setProperty, plan.setValue);
    if (plan.faceColour) c.SetColor(TColor(data_.Content().Colours.ButtonFace & 0xFFFFFF));
    if (plan.childrenFirst) VisitChildren(c);
    if (plan.childPainter != pkNone)
      for (TControl* child : std::vector<TControl*>(c.Controls()))
        if (auto* w = dynamic_cast<TWinControl*>(child)) AttachPainter(*w, plan.childPainter, false);
    if (plan.childScrollbars)
      for (TControl* child : std::vector<TControl*>(c.Controls()))
        if (auto* w = dynamic_cast<TWinControl*>(child)) {
          const bool scrolls = (GetWindowLongA(w->Handle(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
          if (scrolls || ControlKindOf(ClassChain(*w)) == ckListBox) AttachPainter(*w, pkScrollbar, false);
        }
    if (plan.painter != pkNone) {
      bool allowed = true;
      if (plan.onlyWithFrame) {
        RECT wr{}, cr{};
        GetWindowRect(c.Handle(), &wr);
        GetClientRect(c.Handle(), &cr);
        allowed = wr.right - wr.left != cr.right || wr.bottom - wr.top != cr.bottom;
      }
      if (allowed) AttachPainter(c, plan.painter, plan.ownColor);
    }
    if (plan.childrenAfter) VisitChildren(c);
  }

  TSkinPainters& list_;
  TSkinData& data_;
  TMapSettings settings_;
};

}  // namespace

bool PainterBuilt(TPainterKind kind) {
  for (const TPainterRow& row : kPainters)
    if (row.kind == kind) return true;
  return false;
}

TSkinControl* MakePainter(TPainterKind kind, TComponent* owner) {
  for (const TPainterRow& row : kPainters)
    if (row.kind == kind) return row.make(owner);
  return nullptr;
}

TSkinPainters* SkinPaintersOf(const void* skinForm) {
  std::lock_guard<std::mutex> guard(gListsLock);
  auto it = Lists().find(skinForm);
  return it == Lists().end() ? nullptr : it->second.get();
}

void AttachSkinControls(const void* skinForm, TSkinData* skinData, HWND form, TWinControl* formControl) {
  if (!skinData || !form || !IsWindow(form)) return;
  // Made before the lock is taken: the reporter reports a failure where it is raised, and a
  // report whose dialog is skinned needs this lock on its own thread.
  auto made = std::make_unique<TSkinPainters>(skinData, form, formControl);
  TSkinPainters* list = nullptr;
  {
    std::lock_guard<std::mutex> guard(gListsLock);
    std::unique_ptr<TSkinPainters>& entry = Lists()[skinForm];
    if (!entry) entry = std::move(made);
    list = entry.get();
  }
  TAttacher attacher(*list);
  if (formControl)
    attacher.WalkForm(*formControl);
  else
    attacher.WalkRaw(form);
}

void ReapplySkinControls(const void* skinForm) {
  TSkinPainters* list = SkinPaintersOf(skinForm);
  if (!list) return;
  for (TSkinControl* p : std::vector<TSkinControl*>(list->Items())) p->SkinChanged();
  AttachSkinControls(skinForm, list->SkinData, list->FormWindow, list->FormControl);
}

void DetachSkinControls(const void* skinForm) {
  std::unique_ptr<TSkinPainters> list;
  {
    std::lock_guard<std::mutex> guard(gListsLock);
    auto it = Lists().find(skinForm);
    if (it == Lists().end()) return;
    list = std::move(it->second);
    Lists().erase(it);
  }
  list->Clear();
}

void SkinControlRecreated(const void* skinForm, HWND control) {
  TSkinPainters* list = SkinPaintersOf(skinForm);
  if (!list) return;
  TSkinControl* old = list->Find(control);
  if (!old)
    if (TWinControl* c = TWinControl::FromHandle(control)) old = list->FindControl(c);
  if (old) {
    list->Unregister(old);
    old->FForm = nullptr;
    old->Detach();
    old->Release();
  }
  TAttacher attacher(*list);
  if (TWinControl* c = TWinControl::FromHandle(control))
    attacher.AttachControl(*c, c->Parent());
  else if (HWND parent = GetParent(control))
    attacher.WalkRaw(parent);
}
