#include "exceptions/options/password_scramble.h"

#include "exceptions/encode/crc32.h"

namespace {
constexpr char kKey[] = "Netvosk/QuillonLog stored options";

// xorshift32 keystream seeded from the key, the field and the length; position-dependent,
// so repeated characters do not show as repeated bytes.
std::string apply(std::string_view in, std::string_view salt) {
  uint32_t s = Crc32(kKey, sizeof kKey - 1);
  s = Crc32(salt.data(), salt.size(), s) ^ static_cast<uint32_t>(in.size() * 0x9E3779B9u);
  if (s == 0) s = 0x6D2B79F5u;
  std::string out(in);
  for (char& c : out) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    c = static_cast<char>(static_cast<uint8_t>(c) ^ static_cast<uint8_t>(s >> 24));
  }
  return out;
}
}  // namespace

std::string ScramblePassword(std::string_view plain, std::string_view salt) { return apply(plain, salt); }
std::string UnscramblePassword(std::string_view scrambled, std::string_view salt) { return apply(scrambled, salt); }
