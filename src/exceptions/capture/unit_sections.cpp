#include "exceptions/capture/unit_sections.h"

#include <exception>

#include "framework/exception.h"

namespace {
TInternalErrorHandler gHandler;
}

void SetInternalErrorHandler(TInternalErrorHandler handler) { gHandler = handler; }
TInternalErrorHandler InternalErrorHandler() { return gHandler; }

void SafeExecute(void (*body)(), const char* sectionName) {
  TInternalError failure;
  try {
    body();
    return;
  } catch (Exception& e) {
    failure.exceptionClass = e.ClassName();
    failure.message = e.Message();
  } catch (std::exception& e) {
    failure.exceptionClass = "std::exception";
    failure.message = e.what();
  } catch (...) {
  }
  auto address = reinterpret_cast<uintptr_t>(body);
  if (gHandler) {
    failure.section = Format("%s (Address: %08X)", sectionName, static_cast<unsigned>(address));
    failure.address = address;
    gHandler(failure);
    return;
  }
  std::string message = failure.exceptionClass.empty() ? "General internal error." : failure.message;
  throw Exception(Format("Critical error at: \"%s\"\r\nError: \"%s\".", sectionName, message.c_str()));
}
