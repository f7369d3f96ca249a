// What the capture path keeps for each thread: flags, the register context of the last
// exception, the last exception itself and the thread's stack snapshot. The stack walker and
// the report read it through the functions at the end; only the capture path writes it.
//
// Portable: no system headers, so that report code on either side can name these types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <typeinfo>
#include <vector>

// The 32-bit x86 thread context record as the system lays it out, without the extended
// registers: 204 bytes.
struct TX86FloatSave {
  uint32_t ControlWord, StatusWord, TagWord, ErrorOffset, ErrorSelector, DataOffset, DataSelector;
  uint8_t RegisterArea[80];
  uint32_t Cr0NpxState;
};
struct TX86Context {
  uint32_t ContextFlags;
  uint32_t Dr0, Dr1, Dr2, Dr3, Dr6, Dr7;
  TX86FloatSave FloatSave;
  uint32_t SegGs, SegFs, SegEs, SegDs;
  uint32_t Edi, Esi, Ebx, Edx, Ecx, Eax;
  uint32_t Ebp, Eip, SegCs, EFlags, Esp, SegSs;
};
static_assert(sizeof(TX86Context) == 204, "the system's context record without extended registers");
// Control, integer and segment registers.
constexpr uint32_t kFullContext = 0x10007;

// The raw bytes of a thread's stack from the raise point up to its top, copied when the
// exception was raised, before any unwinding could overwrite them.
struct TStackSnapshot {
  static constexpr uint32_t kCapacity = 102400;
  uint32_t ThreadId = 0;
  uint32_t Size = 0;               // bytes copied, at most kCapacity
  uintptr_t StartAddress = 0;      // the stack address of Data[0]
  uintptr_t ExceptionAddress = 0;  // minus 5 when raised by a call, so it points at the call
};

// The exception most recently raised on a thread. object is the complete thrown object, type
// its dynamic type (null for an operating-system exception never thrown as an object).
struct TLastException {
  void* object = nullptr;
  const std::type_info* type = nullptr;
  uintptr_t address = 0;
  bool fromRaiseCall = false;  // raised by a call: address is the return address
  bool handled = false;
};

struct CaptureState {
  uint32_t ThreadId = 0;
  uint8_t InCapture = 0;                // set by compare-and-exchange while the raise path runs
  uint8_t InReport = 0;                 // a report of this thread's exception is being made
  uint8_t InsidePipeline = 0;           // this thread runs the report pipeline itself
  uintptr_t RaiseStackPointer = 0;      // the stack pointer at the raise
  uint32_t SavedCounter = 0;            // ECX at the raise
  uintptr_t ExceptionStackPointer = 0;  // where the call-stack walk of this thread starts
  bool HasContext = false;
  TX86Context Context{};  // copied from the system's exception context, or rebuilt at a throw
  TLastException Last;
};

// The calling thread's state, made on first use (every thread also gets one when it starts).
// Never null once the reporter's thread tracking is set up; owned by the reporter and freed
// when the thread ends.
CaptureState* CurrentCaptureState();

// Copies of another thread's state, taken under that state's lock; false when the thread is
// unknown (it ended, or began before tracking started).
bool CopyCaptureState(uint32_t threadId, CaptureState& out);
bool CopyStackSnapshot(uint32_t threadId, TStackSnapshot& info, std::vector<uint8_t>& bytes);
