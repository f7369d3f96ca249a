// Processor faults (access violations, divide errors, illegal instructions ...) in our own
// code become C++ exceptions of the framework's classes, thrown as if from the faulting
// instruction, so that they unwind to the nearest handler like any throw. Stack overflows
// are reported by a thread made for that at start, since the overflowing thread has no
// stack left to do it.
#pragma once

#include <cstdint>
#include <string>

#include "exceptions/capture/capture_state.h"

class Exception;

// Installs the vectored handler (first in line) and starts the stack-overflow thread.
void InstallFaultConversion();
// Removes the handler and stops the thread.
void RemoveFaultConversion();

// True when a fault at pc can be thrown as a C++ exception: pc lies in this executable's
// code, the unwinder knows its frame and, when the frame has a call-site table, pc lies in
// one of its ranges (the code was compiled with -fnon-call-exceptions).
bool CanThrowFromFault(uintptr_t pc);

// A new exception object of the class the fault code maps to, with the fault's message (for
// faults reported without being thrown). The caller owns it.
Exception* NewFaultException(uint32_t code, uintptr_t address, const uintptr_t* info, uint32_t infoCount);

// The file name of the module that holds an address ("" when none).
std::string ModuleNameOfAddress(uintptr_t address);
