// Reading the process's own memory with the readable-memory test: a range is readable when
// every region it touches is committed with a readable protection. The last regions asked
// about are remembered in a fixed table, so the stack scan's checks stay cheap and nothing is
// allocated (the reader is used while other threads are suspended).
#pragma once

#include "exceptions/stack/memory_reader.h"

class TProcessMemoryReader : public TMemoryReader {
 public:
  bool IsReadable(uint32_t address, uint32_t size) override;
  bool Read(uint32_t address, void* out, uint32_t size) override;
  // Forget what was learnt (memory may have changed).
  void Reset() { count_ = next_ = 0; }

 private:
  struct Region {
    uint32_t base, size;
    bool readable;
  };
  bool regionOf(uint32_t address, Region& region);
  static constexpr int kCache = 16;
  Region cache_[kCache];
  int count_ = 0, next_ = 0;
};
