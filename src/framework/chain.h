// TChain: handlers that others enter in front of the ones already there and leave again in
// any order, also while a call is running through the chain.
//
// A call walks the chain link by link and holds on to the link it stands at, so a link that
// leaves during the call (even the one running) stays alive until the call has moved on;
// links that have left are skipped. Entering puts the new link first; a call already under
// way does not see it. Single-threaded: a chain belongs to one thread (a window's, a hook's).
#pragma once

#include <memory>
#include <utility>

template <class Fn>
class TChain {
  struct State;

 public:
  struct Link {
    Fn fn;
    std::shared_ptr<Link> next;
    bool left = false;
  };
  using LinkPtr = std::shared_ptr<Link>;

  // Owns one link: leaving the chain on Leave() or destruction. Outliving the chain is safe.
  class TEntry {
   public:
    TEntry() = default;
    TEntry(TEntry&& o) noexcept : state_(std::move(o.state_)), link_(std::move(o.link_)) {}
    TEntry& operator=(TEntry&& o) noexcept {
      if (this != &o) {
        Leave();
        state_ = std::move(o.state_);
        link_ = std::move(o.link_);
      }
      return *this;
    }
    TEntry(const TEntry&) = delete;
    TEntry& operator=(const TEntry&) = delete;
    ~TEntry() { Leave(); }

    bool Entered() const { return link_ && !link_->left; }
    void Leave() {
      if (!link_) return;
      if (auto state = state_.lock()) state->Unlink(link_);
      link_->left = true;
      link_.reset();
      state_.reset();
    }

   private:
    friend class TChain;
    TEntry(std::weak_ptr<State> state, LinkPtr link) : state_(std::move(state)), link_(std::move(link)) {}
    std::weak_ptr<State> state_;
    LinkPtr link_;
  };

  TChain() : state_(std::make_shared<State>()) {}
  TChain(const TChain&) = delete;
  TChain& operator=(const TChain&) = delete;

  // Puts fn in front of every link entered before.
  [[nodiscard]] TEntry Enter(Fn fn) {
    auto link = std::make_shared<Link>(Link{std::move(fn), state_->head, false});
    state_->head = link;
    return TEntry(state_, link);
  }
  bool Empty() const { return !state_->head; }
  // The first link a call starts at, and the one after a link (both skip links that left).
  LinkPtr First() const { return Live(state_->head); }
  static LinkPtr After(const LinkPtr& link) { return Live(link->next); }

 private:
  struct State {
    LinkPtr head;
    void Unlink(const LinkPtr& link) {
      // The link keeps its own `next`, so that a call standing at it can still move on.
      if (head == link) {
        head = link->next;
        return;
      }
      for (Link* l = head.get(); l; l = l->next.get())
        if (l->next == link) {
          l->next = link->next;
          return;
        }
    }
  };
  static LinkPtr Live(LinkPtr l) {
    while (l && l->left) l = l->next;
    return l;
  }
  std::shared_ptr<State> state_;
};
