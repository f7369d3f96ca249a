#include <windows.h>

#include "exceptions/report/text_convert.h"

std::string AnsiToUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  // The program's texts are GBK whatever the machine's code page is.
  constexpr UINT kCodePage = 936;
  int n = static_cast<int>(text.size());
  int wide = MultiByteToWideChar(kCodePage, 0, text.data(), n, nullptr, 0);
  if (wide <= 0) return std::string(text);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(kCodePage, 0, text.data(), n, w.data(), wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}
