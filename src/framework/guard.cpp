#include "framework/guard.h"

#include <atomic>
#include <cstdio>

#include "framework/cpp_exception.h"

namespace {
void DefaultSink(Exception& e) {
  std::fprintf(stderr, "%s: %s\n", e.ClassName().c_str(), e.Message().c_str());
}
std::atomic<TExceptionSink> gSink{nullptr};
}  // namespace

TExceptionSink SetExceptionSink(TExceptionSink sink) noexcept { return gSink.exchange(sink); }

void HandOverException(Exception& e) noexcept {
  TExceptionSink sink = gSink.load();
  try {
    (sink ? sink : DefaultSink)(e);
  } catch (...) {
    // A sink that fails while handling a failure has nothing left to tell it to.
  }
}

void HandOverCurrentException() noexcept {
  try {
    throw;
  } catch (Exception& e) {
    HandOverException(e);
  } catch (...) {
    ECppException wrapped = ECppException::FromCurrent();
    HandOverException(wrapped);
  }
}
