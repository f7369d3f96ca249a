// TComponent: named, owned objects that stored layouts create.
//
// Destroy order. `delete` of a component (through any pointer type, and so also the owner's
// freeing of its components and std::unique_ptr) first calls BeforeDestruction() on the
// whole object, then runs the destructors:
//   1. BeforeDestruction: csDestroying is set; every component that asked with
//      FreeNotification gets Notification(this, opRemove); then the owned components are
//      freed, last created first (DestroyComponents). Each of them still sees its owner
//      whole: its class, its window, its other parts.
//   2. The destructors, most derived first (a control's window goes in TWinControl's).
//   3. ~TComponent leaves the owner, which gets Notification(this, opRemove).
// A component that is not made with new (a local or a member) skips step 1; its most
// derived framework destructor still frees the owned components before its own parts go,
// but they see the owner as that framework class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
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
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  // Runs BeforeDestruction on the whole object before any destructor (see above).
  void operator delete(TComponent* p, std::destroying_delete_t);
  // The pair for `new`: the plain delete frees the memory of an object whose constructor
  // raised (the destroying one cannot, there is no object yet).
  static void* operator new(std::size_t size);
  static void operator delete(void* p);

  const std::string& Name() const { return name_; }
  std::string GetName() const { return name_; }
  void SetName(const std::string& name);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t t) { tag_ = t; }
  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_[static_cast<size_t>(i)]; }
  TComponent* FindComponent(const std::string& name) const;
  // Frees the owned components, last created first.
  void DestroyComponents();
  // Leaves the owner (which gets Notification(this, opRemove)); whoever called this frees
  // the component from now on. Nothing for a component without owner.
  void LeaveOwner();

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return state_ & csLoading; }
  bool IsDestroying() const { return state_ & csDestroying; }
  // The layout reader brackets property assignment with these; Loaded() runs when the
  // whole tree has been read, so components may rely on every sibling being there.
  virtual void BeginLoading() { state_ |= csLoading | csReading; }
  virtual void Loaded() { state_ &= ~(csLoading | csReading); }

  // Methods that stored layouts may bind to events by name ("OnClick = Button1Click").
  virtual TNotifyEvent MethodAddress(const std::string& name) { return nullptr; }

  // Told of components being added to or removed from this owner, and of the freeing of
  // components this one asked about with FreeNotification, so references can be dropped.
  virtual void Notification(TComponent* component, TOperation operation) {}
  // Asks to be told (Notification(component, opRemove)) when component is freed; the other
  // way round too, so that neither keeps a stale pointer. Asking twice is asking once.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  // The layout reader nests objects; a control takes the enclosing object as its parent.
  virtual void SetParentComponent(TComponent* parent) {}

 protected:
  // Step 1 of the destroy order; overrides call the inherited one last.
  virtual void BeforeDestruction();
  void SetDestroying() { state_ |= csDestroying; }

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  void RemoveFreeNotifications();

  std::string name_;
  intptr_t tag_ = 0;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  unsigned state_ = 0;
};
