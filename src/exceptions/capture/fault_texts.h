// Processor faults as the reporter names them: which system exception codes become which
// exception class, and the message each carries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class TFaultClass : uint8_t {
  AccessViolation,
  DivByZero,
  IntOverflow,
  InvalidOp,
  ZeroDivide,
  Overflow,
  Underflow,
  InvalidOpCode,
  Privilege,
  StackOverflow,
  External,
};

// The class of a fault that is turned into an exception object when it happens in our own
// code; false for every other code (they go on to the system's handlers).
bool ConvertibleFault(uint32_t code, TFaultClass* cls);
// The class for any code, External for those without one of their own.
TFaultClass FaultClassOf(uint32_t code);

// Exceptions a debugger uses to talk to the program (thread names, output strings,
// breakpoints, single steps): never reported, never converted.
bool IsDebuggerNotification(uint32_t code);

// "Access violation at address 00401234 in module 'netvosk.exe'. Write of address 00000010."
// info holds the system's exception parameters (for an access violation: the access kind, 0
// read, 1 write, 8 execution, and the target address). An empty module name is left out.
std::string FaultMessage(uint32_t code, uintptr_t address, const std::string& module, const uintptr_t* info,
                         size_t infoCount);
