#include "exceptions/capture/memory_win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

bool IsReadableProtection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

bool IsReadableMemory(const void* address, size_t size) {
  if (!address) return false;
  auto p = reinterpret_cast<uintptr_t>(address);
  uintptr_t end = p + size;
  if (end < p) return false;  // wraps around the address space
  do {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<void*>(p), &mbi, sizeof mbi) != sizeof mbi) return false;
    if (mbi.State != MEM_COMMIT || !IsReadableProtection(mbi.Protect)) return false;
    uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= p) return false;
    p = regionEnd;
  } while (p < end);
  return true;
}

bool WriteCode(void* target, const void* bytes, size_t size) {
  DWORD old;
  if (!VirtualProtect(target, size, PAGE_EXECUTE_READWRITE, &old)) return false;
  std::memcpy(target, bytes, size);
  DWORD ignored;
  VirtualProtect(target, size, old, &ignored);
  FlushInstructionCache(GetCurrentProcess(), target, size);
  return true;
}

void* FollowJumpThunks(void* procedure) {
  // A few levels at most: import thunks may lead to another module's thunk, never further.
  for (int level = 0; level < 8 && procedure; ++level) {
    auto* code = static_cast<const uint8_t*>(procedure);
    if (!IsReadableMemory(code, 8) || code[0] != 0xFF || code[1] != 0x25) break;
    void* const* slot;
    std::memcpy(&slot, code + 2, sizeof slot);
    if (!IsReadableMemory(slot, sizeof(void*))) break;
    procedure = *slot;
  }
  return procedure;
}
