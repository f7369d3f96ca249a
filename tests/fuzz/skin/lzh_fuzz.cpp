// LZHUF decoder on arbitrary bit streams (the first four bytes are the unpacked size), and
// the same bytes as plain data through our packer and back, which must give them unchanged.
#include <cstdint>
#include <cstring>

#include "lzh_encoder.h"
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

  std::vector<uint8_t> plain(data, data + size);
  TMemoryStream packed(LzhPackStored(plain));
  packed.SetPosition(4);
  TMemoryStream back;
  TLZH().Unpack(packed, back, int64_t(plain.size()));
  if (back.Bytes() != plain) __builtin_trap();
  return 0;
}
