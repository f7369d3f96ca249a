// TComponent: named, owned objects that stored layouts create.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/object.h"
#include "framework/properties.h"

enum TComponentStateFlag : unsigned { csLoading = 1, csReading = 2, csDestroying = 4, csDesigning = 8 };
enum TOperation { opInsert, opRemove };

class TComponent : public TObject {
  NV_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;  // frees the owned components, last created first
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  std::string GetName() const { return name_; }
  void SetName(const std::string& name);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t t) { tag_ = t; }
  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_[static_cast<size_t>(i)]; }
  TComponent* FindComponent(const std::string& name) const;

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return state_ & csLoading; }
  bool IsDestroying() const { return state_ & csDestroying; }
  // The layout reader brackets property assignment with these; Loaded() runs when the
  // whole tree has been read, so components may rely on every sibling being there.
  virtual void BeginLoading() { state_ |= csLoading | csReading; }
  virtual void Loaded() { state_ &= ~(csLoading | csReading); }

  // Methods that stored layouts may bind to events by name ("OnClick = Button1Click").
  virtual TNotifyEvent MethodAddress(const std::string& name) { return nullptr; }

  // Told of components being added to or removed from this owner, so references can be dropped.
  virtual void Notification(TComponent* component, TOperation operation) {}
  // The layout reader nests objects; a control takes the enclosing object as its parent.
  virtual void SetParentComponent(TComponent* parent) {}

 protected:
  void SetDestroying() { state_ |= csDestroying; }

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  std::string name_;
  intptr_t tag_ = 0;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  unsigned state_ = 0;
};
