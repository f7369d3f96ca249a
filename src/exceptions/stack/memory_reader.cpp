#include "exceptions/stack/memory_reader.h"

#include <cstring>

void TBufferMemoryReader::AddRegion(uint32_t base, const uint8_t* bytes, uint32_t size) {
  regions_.push_back({base, bytes, size});
}

const TBufferMemoryReader::Region* TBufferMemoryReader::find(uint32_t address, uint32_t size) const {
  for (const Region& r : regions_) {
    uint64_t off = static_cast<uint64_t>(address) - r.base;
    if (address >= r.base && off + size <= r.size) return &r;
  }
  return nullptr;
}

bool TBufferMemoryReader::IsReadable(uint32_t address, uint32_t size) {
  if (find(address, size)) return true;
  return fallback_ && fallback_->IsReadable(address, size);
}

bool TBufferMemoryReader::Read(uint32_t address, void* out, uint32_t size) {
  if (const Region* r = find(address, size)) {
    std::memcpy(out, r->bytes + (address - r->base), size);
    return true;
  }
  return fallback_ && fallback_->Read(address, out, size);
}
