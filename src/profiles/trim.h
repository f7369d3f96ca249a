// Trimming of field texts and stored values. Portable.
#pragma once

#include <string>
#include <string_view>

// Removes bytes below 33 (blanks and control characters) at both ends; inner ones stay.
// Bytes of GBK double-byte characters are all >= 0x40, so no character is ever cut.
std::string TrimField(std::string_view text);
