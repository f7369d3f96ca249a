// optpack: turns the readable reporter options file into the stored form the program carries
// in its "QLDATA" resource.
//
//   optpack INPUT.ini OUTPUT.qlo     pack (the input is UTF-8; texts become GBK)
//   optpack --dump STORED.qlo        print a stored form in the readable form (GBK bytes)
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "exceptions/options/module_options.h"
#include "exceptions/options/options_text.h"
#include "framework/streams.h"

namespace {
std::string utf8ToGbk(const std::string& in) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw Exception("iconv cannot convert UTF-8 to GB18030");
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  int err = errno;
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1))
    throw Exception(Format("the input is not valid UTF-8 (byte %zu): %s", in.size() - srcLeft, strerror(err)));
  out.resize(out.size() - dstLeft);
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--dump") {
      std::vector<uint8_t> bytes = ReadFileBytes(argv[2]);
      TQuillonModuleOptions options("", false);
      options.LoadFromBytes(bytes.data(), bytes.size());
      std::fputs(QuillonOptionsToText(options).c_str(), stdout);
      return 0;
    }
    if (argc != 3) {
      std::fprintf(stderr, "usage: optpack INPUT.ini OUTPUT.qlo | optpack --dump STORED.qlo\n");
      return 2;
    }
    std::vector<uint8_t> raw = ReadFileBytes(argv[1]);
    std::string utf8(raw.begin(), raw.end());
    if (utf8.rfind("\xEF\xBB\xBF", 0) == 0) utf8.erase(0, 3);  // a byte-order mark some editors add
    std::string text = utf8ToGbk(utf8);
    TQuillonModuleOptions options("", false);
    ParseQuillonOptionsText(text, options, argv[1]);
    WriteFileBytes(argv[2], options.StoredForm());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "optpack: %s\n", e.what());
    return 1;
  }
}
