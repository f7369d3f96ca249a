#include "exceptions/stack/memory_reader_win32.h"

#include <windows.h>

#include <cstring>

namespace {
bool readableProtection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}
}  // namespace

bool TProcessMemoryReader::regionOf(uint32_t address, Region& region) {
  for (int i = 0; i < count_; ++i)
    if (address - cache_[i].base < cache_[i].size) return region = cache_[i], true;
  MEMORY_BASIC_INFORMATION mbi;
  if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), &mbi, sizeof mbi) !=
      sizeof mbi)
    return false;
  region.base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mbi.BaseAddress));
  region.size = static_cast<uint32_t>(mbi.RegionSize);
  region.readable = mbi.State == MEM_COMMIT && readableProtection(mbi.Protect);
  if (region.size == 0) return false;
  cache_[next_] = region;
  next_ = (next_ + 1) % kCache;
  if (count_ < kCache) ++count_;
  return true;
}

bool TProcessMemoryReader::IsReadable(uint32_t address, uint32_t size) {
  if (size == 0) return true;
  uint64_t end = static_cast<uint64_t>(address) + size;
  if (end > 0x100000000ull) return false;
  uint64_t at = address;
  while (at < end) {
    Region r;
    if (!regionOf(static_cast<uint32_t>(at), r) || !r.readable) return false;
    at = static_cast<uint64_t>(r.base) + r.size;
  }
  return true;
}

bool TProcessMemoryReader::Read(uint32_t address, void* out, uint32_t size) {
  if (!IsReadable(address, size)) return false;
  std::memcpy(out, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), size);
  return true;
}
