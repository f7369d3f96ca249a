// The gzip reader on arbitrary bytes: it must either unpack or raise EGzipError, and what it
// unpacks must be exactly what the trailer promised.
#include <cstdint>
#include <cstdlib>

#include "exceptions/encode/crc32.h"
#include "exceptions/encode/errors.h"
#include "exceptions/encode/gzip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    std::vector<uint8_t> out = GzipDecompress(data, size, 16u << 20);
    // Success means the trailer matched: the last 8 bytes are the CRC-32 and the length.
    uint32_t crc = data[size - 8] | data[size - 7] << 8 | data[size - 6] << 16 | uint32_t(data[size - 5]) << 24;
    if (crc != Crc32(out.data(), out.size())) std::abort();
  } catch (const EGzipError&) {
  }
  return 0;
}
