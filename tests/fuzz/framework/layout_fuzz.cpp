// Layout text from anywhere must parse or fail with EParserError, never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/exception.h"
#include "framework/layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    ParseLayout(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const EParserError&) {
  }
  return 0;
}
