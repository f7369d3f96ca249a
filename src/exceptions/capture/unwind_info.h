// Reading the unwind information that the compiler leaves for each function (the frame
// description entry, its common entry and the C++ call-site table), enough to tell whether
// an exception can be thrown from a given instruction: the unwinder then finds the frame, and
// the frame's personality does not end the program for an address outside its call sites.
#pragma once

#include <cstdint>

struct TEhBases {
  uintptr_t text = 0;  // bases of text- and data-relative pointer encodings
  uintptr_t data = 0;
};

struct TUnwindCoverage {
  bool valid = false;  // the entry could be read and covers pc
  uintptr_t functionStart = 0;
  uintptr_t functionEnd = 0;
  bool hasLsda = false;     // the function has a C++ call-site table (cleanups or handlers)
  bool inCallSite = false;  // pc lies in one of its call-site ranges
  // A throw as if from a call at pc is sound: no table, or pc inside a call site.
  bool ThrowSafe() const { return valid && (!hasLsda || inCallSite); }
};

// fde points at the frame description entry (its length field) as it lies in memory; all
// pointers in it are read as this process's addresses. The caller has made sure the entry
// is readable.
TUnwindCoverage ExamineFde(const uint8_t* fde, uintptr_t pc, const TEhBases& bases);
