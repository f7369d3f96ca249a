// Splitting the section-name list that the private-profile functions return. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// `buffer` holds `returned` bytes as the system reported them: names, each ended by a zero
// byte, the list ended by an empty name. Only names whose ending zero lies within the
// reported bytes are taken: when the list does not fit, the system cuts the last name and
// reports a count that leaves its end out (Windows: buffer size - 2; Wine, when the text
// does not fit after conversion to the ANSI code page: buffer size - 1, possibly in the
// middle of a double-byte character, with the bytes after what it converted left as they
// were), and such a cut name names no profile. So the caller fills the buffer with a
// non-zero byte before the call: bytes the system did not write never end a name.
std::vector<std::string> SplitSectionList(const char* buffer, std::size_t returned);
