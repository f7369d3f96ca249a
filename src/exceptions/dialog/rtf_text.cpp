#include "exceptions/dialog/rtf_text.h"

#include <cctype>
#include <vector>

namespace {
bool IsDestination(std::string_view word) {
  for (std::string_view d :
       {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "object"})
    if (word == d) return true;
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::string RtfToPlainText(std::string_view rtf) {
  std::string out;
  std::vector<bool> skip{false};  // one entry per open group: its text is dropped
  size_t i = 0, n = rtf.size();
  auto emit = [&](char c) {
    if (!skip.back()) out += c;
  };
  while (i < n) {
    char c = rtf[i++];
    if (c == '{') {
      skip.push_back(skip.back());
    } else if (c == '}') {
      if (skip.size() > 1) skip.pop_back();
    } else if (c == '\r' || c == '\n') {
      // line ends of the source carry no text
    } else if (c != '\\') {
      emit(c);
    } else if (i >= n) {
      break;
    } else if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
      size_t start = i;
      while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
      std::string_view word = rtf.substr(start, i - start);
      if (i < n && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
      }
      if (i < n && rtf[i] == ' ') ++i;  // the delimiter belongs to the control word
      if (word == "par" || word == "line") {
        if (!skip.back()) out += "\r\n";
      } else if (word == "tab") {
        emit('\t');
      } else if (IsDestination(word)) {
        skip.back() = true;
      }
    } else {
      char s = rtf[i++];
      if (s == '\'') {
        int hi = i < n ? HexValue(rtf[i]) : -1, lo = hi >= 0 && i + 1 < n ? HexValue(rtf[i + 1]) : -1;
        if (hi >= 0) ++i;  // a digit of a cut-off escape is no text either
        if (lo >= 0) {
          ++i;
          emit(static_cast<char>(hi * 16 + lo));
        }
      } else if (s == '*') {
        skip.back() = true;
      } else if (s == '\\' || s == '{' || s == '}') {
        emit(s);
      } else if (s == '~') {
        emit(' ');
      } else if (s == '_') {
        emit('-');
      } else if (s == '\r' || s == '\n') {
        if (!skip.back()) out += "\r\n";
      }
    }
  }
  return out;
}
