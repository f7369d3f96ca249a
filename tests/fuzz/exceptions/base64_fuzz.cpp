// Base64 decoding on arbitrary text: a decoded length always follows from the text's length
// and padding, and what decodes encodes back to text that decodes the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "exceptions/encode/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto decoded = Base64Decode(text);
  if (decoded) {
    size_t pad = size >= 1 && text[size - 1] == '=' ? (size >= 2 && text[size - 2] == '=' ? 2 : 1) : 0;
    if (size % 4 != 0 || decoded->size() != size / 4 * 3 - pad) std::abort();
    std::string again = Base64Encode(decoded->data(), decoded->size());
    if (again.size() != size || Base64Decode(again) != decoded) std::abort();
  }
  // Encoding the raw bytes always round-trips.
  std::string enc = Base64Encode(data, size);
  if (enc.size() != Base64EncodedSize(size)) std::abort();
  auto back = Base64Decode(enc);
  if (!back || back->size() != size || (size && std::memcmp(back->data(), data, size) != 0)) std::abort();
  return 0;
}
