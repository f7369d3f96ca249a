// Base64 with the standard alphabet and "=" padding, without line breaks: e-mail bodies,
// attachments and SMTP authentication.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Characters needed for size bytes: 4 for every started group of 3 (padding included).
size_t Base64EncodedSize(size_t size);
std::string Base64Encode(const void* data, size_t size);
inline std::string Base64Encode(std::string_view s) { return Base64Encode(s.data(), s.size()); }
// The same text broken into lines of at most lineLength characters, each ended by "\r\n":
// mail transports refuse lines longer than 998 characters.
std::string Base64EncodeLines(const void* data, size_t size, size_t lineLength = 76);

// Decodes text whose length is a multiple of 4, made only of alphabet characters with at most
// two "=" at the very end. Anything else decodes to nothing (std::nullopt), never to a guess.
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);
