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

void* TComponent::operator new(std::size_t size) { return ::operator new(size); }
void TComponent::operator delete(void* p) { ::operator delete(p); }

void TComponent::operator delete(TComponent* p, std::destroying_delete_t) {
  p->BeforeDestruction();
  void* whole = dynamic_cast<void*>(p);  // the start of the most derived object
  p->~TComponent();
  ::operator delete(whole);
}

void TComponent::BeforeDestruction() {
  state_ |= csDestroying;
  RemoveFreeNotifications();
  DestroyComponents();
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  RemoveFreeNotifications();
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  // Each component leaves this list itself, from its own destructor, with its owner intact.
  while (!components_.empty()) delete components_.back();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  auto& theirs = component->freeNotifies_;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                      freeNotifies_.end());
  auto& theirs = component->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::RemoveFreeNotifications() {
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
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

void TComponent::LeaveOwner() {
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::RemoveComponent(TComponent* c) {
  Notification(c, opRemove);
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
}
