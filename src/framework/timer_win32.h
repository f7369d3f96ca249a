// TTimer: a window timer of the thread that runs it (the GUI thread, for the program's
// windows), calling OnTimer every Interval milliseconds while Enabled. OnTimer runs inside
// the guard: an exception goes to the application's handler and the timer goes on.
#pragma once

#include "framework/component.h"
#include "framework/handle_owners_win32.h"

class TTimer : public TComponent {
  NV_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned milliseconds);  // 0 stops the timer
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  TNotifyEvent OnTimer;
  void SetOnTimer(TNotifyEvent e);

  // True while a system timer runs for this object (enabled, interval above 0, handler set,
  // not loading).
  bool Running() const { return timer_.Running(); }
  void Loaded() override;

 protected:
  // Called at every tick; calls OnTimer. The object may be freed inside OnTimer.
  virtual void Timer();

 private:
  static void Dispatch(WPARAM id, LPARAM);
  void UpdateTimer();
  unsigned interval_ = 1000;
  bool enabled_ = true;
  UINT_PTR id_;
  TWindowTimer timer_;
};
