// The stored options reader on arbitrary bytes: it loads or raises EQuillonOptionsError and
// then leaves the options untouched; what loads saves and loads back to the same values.
#include <cstdint>
#include <cstdlib>

#include "exceptions/options/module_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TQuillonModuleOptions options("fuzz.exe", false);
  TQuillonOptionValues before = options.Values();
  try {
    options.LoadFromBytes(data, size);
  } catch (const EQuillonOptionsError&) {
    if (!(options.Values() == before)) std::abort();
    return 0;
  }
  std::vector<uint8_t> stored = options.StoredForm();
  TQuillonModuleOptions again("fuzz.exe", false);
  again.LoadFromBytes(stored.data(), stored.size());
  if (!(again.Values() == options.Values())) std::abort();
  return 0;
}
