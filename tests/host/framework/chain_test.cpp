// The handler chain that message chains and hooks are built on: entering in front, leaving
// in any order, and leaving while a call runs through the chain.
#include "framework/chain.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace {
using Fn = std::function<void(std::string&)>;
using Chain = TChain<Fn>;

std::string Call(Chain& chain) {
  std::string seen;
  for (auto link = chain.First(); link; link = Chain::After(link)) link->fn(seen);
  return seen;
}
Fn Mark(char c) {
  return [c](std::string& s) { s += c; };
}
}  // namespace

TEST(Chain, NewestFirstAndLeavingInAnyOrder) {
  Chain chain;
  EXPECT_TRUE(chain.Empty());
  auto a = chain.Enter(Mark('a'));
  auto b = chain.Enter(Mark('b'));
  auto c = chain.Enter(Mark('c'));
  EXPECT_EQ(Call(chain), "cba");
  b.Leave();
  EXPECT_FALSE(b.Entered());
  EXPECT_EQ(Call(chain), "ca");
  c.Leave();
  EXPECT_EQ(Call(chain), "a");
  auto d = chain.Enter(Mark('d'));
  EXPECT_EQ(Call(chain), "da");
  a.Leave();
  d.Leave();
  EXPECT_TRUE(chain.Empty());
  EXPECT_EQ(Call(chain), "");
}

TEST(Chain, LinksMayLeaveWhileACallRunsThroughThem) {
  Chain chain;
  std::optional<Chain::TEntry> a, b, c;
  a = chain.Enter(Mark('a'));
  // b takes itself and the link behind it out while it runs; c enters a new link in front.
  b = chain.Enter([&](std::string& s) {
    s += 'b';
    b->Leave();
    a->Leave();
  });
  c = chain.Enter([&](std::string& s) {
    s += 'c';
    static bool once = false;
    if (!once) {
      once = true;
      auto extra = chain.Enter(Mark('x'));
      extra.Leave();
    }
  });
  EXPECT_EQ(Call(chain), "cb");  // a left before the call reached it
  EXPECT_EQ(Call(chain), "c");
}

TEST(Chain, EntriesMayOutliveTheirChainAndMove) {
  Chain::TEntry kept;
  {
    Chain chain;
    auto e = chain.Enter(Mark('a'));
    kept = std::move(e);
    EXPECT_FALSE(e.Entered());
    EXPECT_TRUE(kept.Entered());
    EXPECT_EQ(Call(chain), "a");
  }
  kept.Leave();  // the chain has gone: nothing to unlink, nothing touched
  EXPECT_FALSE(kept.Entered());
}
