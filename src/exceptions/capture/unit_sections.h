// The reporter's units and their sections: each unit's initialisation and finalisation run
// once however often they are asked for, inside SafeExecute, so that a failure in one never
// stops the program's start or end.
#pragma once

#include <cstdint>
#include <string>

// What the internal-error handler gets: the failing section ("ExceptionLog.Init (Address:
// 00401000)" for a unit section, or the pipeline's section number), and the failure.
struct TInternalError {
  std::string section;
  uintptr_t address = 0;
  std::string exceptionClass;  // empty when the failure was not an exception object
  std::string message;
};
using TInternalErrorHandler = void (*)(const TInternalError&);

void SetInternalErrorHandler(TInternalErrorHandler handler);
TInternalErrorHandler InternalErrorHandler();

// Runs body. When it raises: with an internal-error handler installed, the handler gets
// "<section> (Address: <body address as 8 hex digits>)" and the section ends quietly;
// without one, an Exception "Critical error at: "<section>"\r\nError: "<message>"." is
// raised (the message "General internal error." when the failure was no exception).
void SafeExecute(void (*body)(), const char* sectionName);

// A unit's counter: initialisation runs only from 0 (and leaves -1), finalisation only from
// -1 (and leaves 0), so nested or repeated requests do nothing.
class TUnitSection {
 public:
  bool BeginInit() { return counter_-- == 0; }
  bool BeginDone() { return counter_++ == -1; }
  int Counter() const { return counter_; }

 private:
  int counter_ = 0;
};
