// Small text helpers for skin names and definitions. Texts are GBK: a lead byte
// 0x81..0xFE starts a two-byte character whose trail byte may look like an ASCII letter or
// a backslash, so these helpers step over trail bytes.
#pragma once

#include <string>
#include <string_view>

namespace skin_text {

inline bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// ASCII letters lower- or upper-cased; two-byte characters kept as they are.
std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);
// Bytes below 33 removed at both ends.
std::string_view Trim(std::string_view s);
// The part after the last '\' or '/' that is not a trail byte.
std::string_view ExtractFileName(std::string_view path);
bool StartsWith(std::string_view s, std::string_view prefix);
// A name as messages show it: a NUL byte as \0, other control bytes as \xNN, and a name
// longer than maxBytes cut there, marked with its full length.
std::string Printable(std::string_view name, size_t maxBytes = 160);

}  // namespace skin_text
