// Destroy order and free notifications of components.
#include "framework/component.h"
#include "framework/exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
std::vector<std::string> gLog;

class TPart : public TComponent {
  NV_CLASS(TPart)
 public:
  using TComponent::TComponent;
  ~TPart() override;
  TComponent* watched = nullptr;
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove && c == watched) {
      gLog.push_back(Name() + " told " + c->Name() + " goes");
      watched = nullptr;
    }
  }
};

class TWhole : public TComponent {
  NV_CLASS(TWhole)
 public:
  using TComponent::TComponent;
  ~TWhole() override { gLog.push_back("~TWhole"); }
  std::string state = "whole";
};

TPart::~TPart() {
  std::string seen = Owner() ? Owner()->ClassName() : std::string("none");
  if (auto* w = dynamic_cast<TWhole*>(Owner())) seen += " " + w->state;
  gLog.push_back("~" + Name() + " sees " + seen);
}
}  // namespace
NV_DEFINE_CLASS(TPart, TComponent)
NV_DEFINE_CLASS(TWhole, TComponent)

TEST(Components, OwnedComponentsGoFirstWhileTheirOwnerIsWhole) {
  gLog.clear();
  TComponent* owner = new TWhole(nullptr);
  (new TPart(owner))->SetName("a");
  (new TPart(owner))->SetName("b");
  delete owner;  // through a base pointer, as owners free what they own
  EXPECT_EQ(gLog, (std::vector<std::string>{"~b sees TWhole whole", "~a sees TWhole whole", "~TWhole"}));

  gLog.clear();
  auto whole = std::make_unique<TWhole>(nullptr);
  auto* inner = new TWhole(whole.get());
  (new TPart(inner))->SetName("c");
  whole.reset();
  EXPECT_EQ(gLog, (std::vector<std::string>{"~c sees TWhole whole", "~TWhole", "~TWhole"}));

  gLog.clear();
  {
    TWhole onStack(nullptr);  // no delete: the base destructor frees what it owns
    (new TPart(&onStack))->SetName("d");
  }
  EXPECT_EQ(gLog, (std::vector<std::string>{"~TWhole", "~d sees TComponent"}));
}

TEST(Components, FreeNotificationTellsEitherSideOnce) {
  gLog.clear();
  auto* a = new TPart(nullptr);
  a->SetName("a");
  auto* b = new TPart(nullptr);
  b->SetName("b");
  a->watched = b;
  b->watched = a;
  a->FreeNotification(b);
  a->FreeNotification(b);  // asking twice is asking once
  delete b;
  EXPECT_EQ(gLog, (std::vector<std::string>{"a told b goes", "~b sees none"}));
  EXPECT_EQ(a->watched, nullptr);
  gLog.clear();
  delete a;  // b is gone from a's list: nothing is told
  EXPECT_EQ(gLog, (std::vector<std::string>{"~a sees none"}));

  gLog.clear();
  auto* c = new TPart(nullptr);
  auto* d = new TPart(nullptr);
  c->watched = d;
  c->FreeNotification(d);
  c->RemoveFreeNotification(d);
  delete d;
  delete c;
  EXPECT_EQ(gLog.size(), 2u);  // only the two destructors
}

TEST(Components, TheOwnerHearsOfEachComponentLeaving) {
  struct TCounting : TComponent {
    using TComponent::TComponent;
    int inserted = 0, removed = 0;
    void Notification(TComponent*, TOperation op) override { ++(op == opInsert ? inserted : removed); }
  };
  TCounting owner(nullptr);
  auto* x = new TComponent(&owner);
  new TComponent(&owner);
  delete x;
  EXPECT_EQ(owner.inserted, 2);
  EXPECT_EQ(owner.removed, 1);
  EXPECT_EQ(owner.ComponentCount(), 1);
  owner.DestroyComponents();
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(owner.removed, 2);
}

TEST(Components, AConstructorThatRaisesLeavesNothingBehind) {
  struct TFailing : TComponent {
    explicit TFailing(TComponent* owner) : TComponent(owner) {
      new TComponent(this);  // owned already: freed by the base destructor on the way out
      throw EInvalidOperation("layout missing");
    }
  };
  TComponent owner(nullptr);
  EXPECT_THROW(new TFailing(&owner), EInvalidOperation);
  EXPECT_EQ(owner.ComponentCount(), 0);  // the leak checker of the sanitizer build watches the memory
}
