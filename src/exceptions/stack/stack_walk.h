// The call stack of a thread, found by scanning its stack for return addresses, and the
// translation of code addresses into module, unit, class, procedure and line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/stack/memory_reader.h"
#include "exceptions/stack/modules.h"

// 0 hidden (a duplicate) or unresolved; 1 in a known module, not named; 2 a plain exported
// name; 3 a decorated exported name; 4 the module's debug information.
enum TQuillonEntryKind : uint8_t { ekNone = 0, ekModule = 1, ekExport = 2, ekDecorated = 3, ekDebugInfo = 4 };

struct TQuillonStackEntry {
  uint8_t kind = ekNone;
  const TQuillonModule* module = nullptr;  // owned by the module list
  uint32_t threadId = 0;
  bool running = false;
  uint32_t address = 0;
  std::string unitName, className, procedureName;
  uint32_t line = 0;
  uint32_t lineOffset = 0;
};

// Entries of one report, innermost first; one thread's entries follow one another.
using TQuillonStackList = std::vector<TQuillonStackEntry>;

// Kind k is kept when bit k is set.
constexpr uint8_t kAllKinds = 0x1F;
uint8_t ReportKindMask(bool showLibraries, bool showPackages);

struct TWalkParams {
  uint32_t firstAddress = 0;  // the exception address, 0 for none
  uint32_t stackStart = 0;    // lowest address: the stack pointer
  uint32_t stackEnd = 0;      // the thread's stack top
  uint8_t kindMask = kAllKinds;
  int skip = -1;     // leading candidates of a kept kind to leave out; -1 none
  int maximum = -1;  // most entries to store; -1 unlimited
  bool followThunks = true;
  bool useDebugInfo = true;
  uint32_t threadId = 0;
  bool running = false;
};

// The scan reads at most this much of a stack.
constexpr uint32_t kMaxStackScan = 102400;

void ResolveAddress(uint32_t address, const TQuillonModulesList& modules, bool useDebugInfo,
                    TQuillonStackEntry& entry);
// A jump thunk (FF 25 through a pointer slot) leads to the slot's target; followed a few times.
uint32_t FollowJumpThunks(TMemoryReader& memory, uint32_t address);

// Walks one stack; appends to `list` and tidies what it added.
void AppendCallStack(TQuillonStackList& list, const TWalkParams& params, TMemoryReader& memory,
                     const TQuillonModulesList& modules);
TQuillonStackList BuildCallStack(const TWalkParams& params, TMemoryReader& memory,
                                 const TQuillonModulesList& modules);

// Hides an entry of kind 2 to 4 when one of the next two such entries of the same module has
// its address (a return address found twice, or a thunk target that is also a call site).
void HideDuplicates(TQuillonStackList& list, size_t firstAdded);
