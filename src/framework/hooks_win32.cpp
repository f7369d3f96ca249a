#include "framework/hooks_win32.h"

#include <array>
#include <utility>

#include "framework/chain.h"
#include "framework/exception.h"
#include "framework/guard.h"
#include "framework/handle_owners_win32.h"
#include "framework/per_thread.h"

namespace {
using THandler = TWindowsHook::THandler;
constexpr int kFirstType = WH_MSGFILTER;  // -1
constexpr int kTypeCount = WH_MOUSE_LL - WH_MSGFILTER + 1;

// One system hook and its handlers, per hook type and thread.
struct Dispatcher {
  THookHandle hook;
  TChain<THandler> handlers;
};
using TDispatchers = std::array<Dispatcher, kTypeCount>;
TPerThread<TDispatchers>& ThreadDispatchers() {
  static auto* dispatchers = new TPerThread<TDispatchers>;
  return *dispatchers;
}

template <int Index>
LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
  // The thread installed the hook through its dispatchers, so they exist (looked at here, not
  // made: nothing may throw in a hook procedure).
  TDispatchers* all = ThreadDispatchers().Peek();
  if (!all) return CallNextHookEx(nullptr, code, wParam, lParam);
  Dispatcher& d = (*all)[Index];
  HHOOK hook = d.hook.Get();
  if (code >= 0) {
    THookCall call{Index + kFirstType, code, wParam, lParam};
    for (auto link = d.handlers.First(); link; link = TChain<THandler>::After(link)) {
      Guard([&] { link->fn(call); });
      if (call.handled) return call.result;
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

template <int... I>
constexpr std::array<HOOKPROC, sizeof...(I)> MakeProcs(std::integer_sequence<int, I...>) {
  return {&HookProc<I>...};
}
constexpr auto kProcs = MakeProcs(std::make_integer_sequence<int, kTypeCount>{});
}  // namespace

struct TWindowsHook::TImpl {
  Dispatcher* dispatcher;  // the installing thread's
  TChain<THandler>::TEntry entry;
};

TWindowsHook::TWindowsHook(int type, THandler handler) {
  int index = type - kFirstType;
  if (index < 0 || index >= kTypeCount) throw EInvalidArgument(Format("Unknown hook type %d", type));
  Dispatcher& d = ThreadDispatchers().Get()[static_cast<size_t>(index)];
  if (!d.hook) {
    d.hook.Reset(SetWindowsHookExA(type, kProcs[static_cast<size_t>(index)], nullptr, GetCurrentThreadId()));
    if (!d.hook) throw EOSError(Format("Cannot install hook %d (system error %lu)", type, GetLastError()));
  }
  impl_ = std::make_unique<TImpl>(TImpl{&d, d.handlers.Enter(std::move(handler))});
}

TWindowsHook::~TWindowsHook() { Remove(); }
TWindowsHook::TWindowsHook(TWindowsHook&& o) noexcept = default;
TWindowsHook& TWindowsHook::operator=(TWindowsHook&& o) noexcept {
  if (this != &o) {
    Remove();
    impl_ = std::move(o.impl_);
  }
  return *this;
}

void TWindowsHook::Remove() {
  if (!impl_) return;
  Dispatcher& d = *impl_->dispatcher;
  impl_->entry.Leave();
  impl_.reset();
  if (d.handlers.Empty()) d.hook.Reset();
}

bool TWindowsHook::Installed() const { return impl_ && impl_->entry.Entered(); }
