// How the stack scan and the header readers see memory: a 32-bit address space that may have
// holes. The Windows side reads the process itself; tests and the walk of a copied stack read
// buffers laid out at chosen addresses.
#pragma once

#include <cstdint>
#include <vector>

class TMemoryReader {
 public:
  virtual ~TMemoryReader() = default;
  // Whether [address, address + size) can be read as a whole.
  virtual bool IsReadable(uint32_t address, uint32_t size) = 0;
  // Copies the range; false (and nothing promised about out) when any of it is unreadable.
  virtual bool Read(uint32_t address, void* out, uint32_t size) = 0;

  bool ReadU32(uint32_t address, uint32_t& value) { return Read(address, &value, 4); }
};

// Memory made of buffers placed at addresses; everything else is unreadable, or passed to a
// fallback reader (a copied stack over the live process).
class TBufferMemoryReader : public TMemoryReader {
 public:
  explicit TBufferMemoryReader(TMemoryReader* fallback = nullptr) : fallback_(fallback) {}
  // The reader does not own the bytes; they must outlive it.
  void AddRegion(uint32_t base, const uint8_t* bytes, uint32_t size);
  bool IsReadable(uint32_t address, uint32_t size) override;
  bool Read(uint32_t address, void* out, uint32_t size) override;

 private:
  struct Region {
    uint32_t base;
    const uint8_t* bytes;
    uint32_t size;
  };
  const Region* find(uint32_t address, uint32_t size) const;
  std::vector<Region> regions_;
  TMemoryReader* fallback_;
};
