#include "framework/timer_win32.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "framework/exception.h"
#include "framework/util_window_win32.h"

namespace {
std::vector<TPropInfo> timerProps() {
  return {IntProp("Interval", &TTimer::Interval, &TTimer::SetInterval),
          BoolProp("Enabled", &TTimer::Enabled, &TTimer::SetEnabled),
          EventProp("OnTimer", &TTimer::SetOnTimer)};
}

// Live timers by id: a tick that was queued before its timer died finds nothing.
std::mutex gLock;
std::unordered_map<UINT_PTR, TTimer*>& Live() {
  static auto* live = new std::unordered_map<UINT_PTR, TTimer*>;
  return *live;
}
std::atomic<UINT_PTR> gNextId{1};
}  // namespace

NV_DEFINE_COMPONENT(TTimer, TComponent, timerProps)

TTimer::TTimer(TComponent* owner) : TComponent(owner), id_(gNextId++) {
  SetUtilHandler(kUtilTimerMessage, &TTimer::Dispatch);
  std::lock_guard<std::mutex> guard(gLock);
  Live()[id_] = this;
}

TTimer::~TTimer() {
  timer_.Stop();
  std::lock_guard<std::mutex> guard(gLock);
  Live().erase(id_);
}

void TTimer::Dispatch(WPARAM id, LPARAM) {
  TTimer* timer = nullptr;
  {
    std::lock_guard<std::mutex> guard(gLock);
    auto it = Live().find(id);
    if (it != Live().end()) timer = it->second;
  }
  if (timer && timer->Running()) timer->Timer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::SetInterval(unsigned milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  UpdateTimer();
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
  OnTimer = std::move(e);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  timer_.Stop();
  if (!enabled_ || interval_ == 0 || !OnTimer || IsLoading() || IsDestroying()) return;
  HWND wnd = UtilWindow();
  if (!wnd || !timer_.Start(wnd, id_, interval_)) throw EOutOfResources("Not enough timers available");
}
