// The dialog's plain text of rich text, on arbitrary bytes: never longer than its input (every
// escape stands for at most as many characters as it takes), and text without any markup
// comes through unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exceptions/dialog/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rtf(reinterpret_cast<const char*>(data), size);
  std::string text = RtfToPlainText(rtf);
  if (text.size() > size) std::abort();
  if (rtf.find_first_of("\\{}\r\n") == std::string_view::npos && text != rtf) std::abort();
  return 0;
}
