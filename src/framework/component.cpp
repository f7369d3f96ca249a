#include "framework/component.h"

#include <algorithm>

#include "framework/exception.h"

static std::vector<TPropInfo> componentProps() {
  return {StrProp("Name", &TComponent::GetName, &TComponent::SetName),
          IntProp("Tag", &TComponent::Tag, &TComponent::SetTag)};
}
NV_DEFINE_CLASS_EX(TComponent, TObject, nullptr, componentProps)

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this)
      throw EInvalidOperation(Format("A component named %s already exists", name.c_str()));
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  Notification(c, opRemove);
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
}
