// The program's text (code page 936, GBK) as UTF-8, for the XML export and the host tools.
#pragma once

#include <string>
#include <string_view>

// Bytes that are no GBK character become "?"; ASCII passes unchanged.
std::string AnsiToUtf8(std::string_view text);
