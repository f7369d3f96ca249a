#include <errno.h>
#include <iconv.h>

#include "exceptions/report/text_convert.h"

std::string AnsiToUtf8(std::string_view text) {
  // GB18030 reads every GBK character the same and knows a few more.
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::string ascii(text);
    for (char& c : ascii)
      if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return ascii;
  }
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  char buf[4096];
  char* in = const_cast<char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    char* o = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &in, &left, &o, &room);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';  // not a character of the code page: skip one byte
      ++in;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}
