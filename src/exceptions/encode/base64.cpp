#include "exceptions/encode/base64.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct DecodeTable {
  int8_t v[256];
  DecodeTable() {
    for (int i = 0; i < 256; ++i) v[i] = -1;
    for (int i = 0; i < 64; ++i) v[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  }
};
}  // namespace

size_t Base64EncodedSize(size_t size) { return (size + 2) / 3 * 4; }

std::string Base64Encode(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  std::string out(Base64EncodedSize(size), '=');
  char* o = out.data();
  size_t i = 0;
  for (; i + 3 <= size; i += 3, o += 4) {
    uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8 | p[i + 2];
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
    o[3] = kAlphabet[v & 63];
  }
  if (size - i == 1) {
    uint32_t v = uint32_t(p[i]) << 16;
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
  } else if (size - i == 2) {
    uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8;
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
  }
  return out;
}

std::string Base64EncodeLines(const void* data, size_t size, size_t lineLength) {
  std::string flat = Base64Encode(data, size);
  if (lineLength == 0) return flat;
  std::string out;
  out.reserve(flat.size() + (flat.size() / lineLength + 1) * 2);
  for (size_t i = 0; i < flat.size(); i += lineLength) {
    out.append(flat, i, lineLength);
    out += "\r\n";
  }
  return out;
}

std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text) {
  static const DecodeTable table;
  if (text.size() % 4 != 0) return std::nullopt;
  size_t pad = 0;
  if (!text.empty() && text.back() == '=') pad = text[text.size() - 2] == '=' ? 2 : 1;
  std::vector<uint8_t> out(text.size() / 4 * 3 - pad);
  uint8_t* o = out.data();
  const size_t groups = text.size() / 4;
  for (size_t g = 0; g < groups; ++g) {
    const uint8_t* in = reinterpret_cast<const uint8_t*>(text.data()) + g * 4;
    size_t usable = g + 1 == groups ? 4 - pad : 4;  // "=" counts only as the final group's padding
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) {
      int d = 0;
      if (k < usable) {
        d = table.v[in[k]];
        if (d < 0) return std::nullopt;
      }
      v = v << 6 | static_cast<uint32_t>(d);
    }
    *o++ = static_cast<uint8_t>(v >> 16);
    if (usable > 2) *o++ = static_cast<uint8_t>(v >> 8);
    if (usable > 3) *o++ = static_cast<uint8_t>(v);
  }
  return out;
}
