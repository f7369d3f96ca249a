// A window message as the framework's message chains and subclass owners pass it along.
#pragma once

#include <windows.h>

#include <functional>

struct TMessage {
  HWND Wnd = nullptr;
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  // True only for the framework's reflected notifications (CN_COMMAND, CN_NOTIFY,
  // CN_CTLCOLOR): set by the parent's reflection path, never for a message that arrived as a
  // window message, although some share numbers with other private messages.
  bool Reflected = false;
};

// Passes a message on to the rest of a chain (the handlers behind, then the control's own
// handling or the previous window procedure); the answer is left in message.Result.
class TMessageNext {
 public:
  using TCall = void (*)(void* context, TMessage& message);
  TMessageNext(TCall call, void* context) : call_(call), context_(context) {}
  void operator()(TMessage& message) const { call_(context_, message); }

 private:
  TCall call_;
  void* context_;
};

// A handler in a chain: handles the message itself (setting message.Result) or calls
// next(message), before or after doing its own part. Runs inside the guard: an exception
// goes to the application's handler; if it came before the handler called next, the message
// is passed on to next, so that the window still gets its own handling.
using TWndHandler = std::function<void(TMessage& message, const TMessageNext& next)>;
