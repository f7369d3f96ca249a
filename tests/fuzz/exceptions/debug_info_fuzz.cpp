// The debug information reader on arbitrary module-file tails: trailer, header, inflating and
// the unit and line-table search; also the stack scan over arbitrary memory.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "exceptions/stack/debug_info.h"
#include "exceptions/stack/stack_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t probe;
  std::memcpy(&probe, data, 4);
  // As a whole file: the block at its end.
  if (auto info = LoadDebugInfo(data, size)) {
    info.Value()->Find(probe);
    info.Value()->Find(probe & 0xFFFF);
    (void)info.Value()->Units();
  }
  // As an already inflated stream.
  TQuillonDebugInfo raw(std::vector<uint8_t>(data + 4, data + size), debuginfo::kFormatVersion, true);
  raw.Find(probe & 0xFFFFF);
  (void)raw.Units();
  // As memory: the same bytes as stack and code, scanned.
  TBufferMemoryReader memory;
  memory.AddRegion(0x1000, data, static_cast<uint32_t>(size));
  TQuillonModulesList modules;
  auto m = std::make_unique<TQuillonModule>();
  m->handle = 0x1000;
  m->imageSize = static_cast<uint32_t>(size);
  if (auto exports = ReadExports(memory, 0x1000)) m->exports = exports.Take();
  modules.Add(std::move(m));
  TWalkParams p;
  p.stackStart = 0x1000;
  p.stackEnd = 0x1000 + static_cast<uint32_t>(size);
  BuildCallStack(p, memory, modules);
  return 0;
}
