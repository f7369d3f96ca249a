// The guard around every piece of our code that the system calls back: window procedures,
// subclass procedures, hook procedures, timer callbacks, enumeration callbacks, the message
// loops, thread bodies and the start of the program.
//
// With DWARF-2 unwinding a C++ exception cannot cross a system (user32) frame: it ends in
// std::terminate. So nothing may leave such a callback; the guard catches everything and
// hands it to one place, the exception sink. The Windows application object installs
// TApplication::HandleException there (application_win32.h); without it the message goes
// to the standard error stream.
//
// What the sink receives keeps the exception's identity: a framework exception (the
// Exception family) is the thrown object itself; any other C++ exception arrives as an
// ECppException (cpp_exception.h) named after the thrown type and holding the in-flight
// object. The sink is only called inside the catch block, so the thrown object is alive.
//
//   LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
//     return Guard([&] { return Handle(w, m, wp, lp); }, LRESULT(0));
//   }
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "framework/exception.h"

using TExceptionSink = void (*)(Exception& e);

// Installs the sink (null restores the default); returns the previous one. The sink must
// not raise; if it does, the exception is dropped.
TExceptionSink SetExceptionSink(TExceptionSink sink) noexcept;

// Hands an exception to the sink.
void HandOverException(Exception& e) noexcept;
// Only inside a catch block: hands the exception being handled to the sink, as itself when it
// is of the Exception family, as an ECppException otherwise.
void HandOverCurrentException() noexcept;

// Runs f(); when it raises, the exception goes to the sink and `onError` is returned.
template <class F, class R>
R Guard(F&& f, R onError) noexcept {
  try {
    return std::forward<F>(f)();
  } catch (Exception& e) {
    HandOverException(e);
  } catch (...) {
    HandOverCurrentException();
  }
  return onError;
}

// For callbacks without a result; true when f() returned normally.
template <class F>
bool Guard(F&& f) noexcept {
  try {
    std::forward<F>(f)();
    return true;
  } catch (Exception& e) {
    HandOverException(e);
  } catch (...) {
    HandOverCurrentException();
  }
  return false;
}
