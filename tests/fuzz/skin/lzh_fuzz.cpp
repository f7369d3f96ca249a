// LZHUF decoder on arbitrary bit streams: the first four bytes are the unpacked size.
#include <cstdint>
#include <cstring>

#include "skin/data/lzh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int32_t n;
  std::memcpy(&n, data, 4);
  TMemoryStream in(std::vector<uint8_t>(data + 4, data + size));
  TMemoryStream out;
  try {
    TLZH lzh;
    lzh.Unpack(in, out, n);
    if (out.Size() != n) __builtin_trap();  // the output must always have n bytes
  } catch (const ElzhException&) {
  }
  return 0;
}
