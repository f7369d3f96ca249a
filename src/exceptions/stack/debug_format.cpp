#include "exceptions/stack/debug_format.h"

#include <zlib.h>

#include <cmath>
#include <cstring>

namespace debuginfo {

bool EncodeLineRecord(std::vector<uint8_t>& out, const TLineRecord& r) {
  const uint32_t ld = r.lineDelta, ad = r.addressDelta;
  if (ld < 1 || ld > kMaxLineDelta || ad > kMaxAddressDelta) return false;
  if (ad >= 1) {
    if (!r.procedureStart && ld <= 4 && ad <= 32) {
      out.push_back(static_cast<uint8_t>((ld - 1) << 6 | (ad - 1) << 1));
      return true;
    }
    if (r.procedureStart && ld <= 8 && ad <= 8) {
      out.push_back(static_cast<uint8_t>((ld - 1) << 5 | (ad - 1) << 2 | 1));
      return true;
    }
    if (ld <= 32 && ad <= 128) {
      uint16_t v = static_cast<uint16_t>((ld - 1) << 11 | (ad - 1) << 4 | (r.procedureStart ? 4 : 0) | 3);
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
      return true;
    }
  }
  // 32-bit form: 12-bit address field (4095 meaning a delta of 0), 16-bit line field; the one
  // value that would collide with the escape, and anything larger, takes the escape.
  uint32_t addressField = ad == 0 ? 4095 : ad - 1;
  uint32_t w = addressField << 16 | (ld - 1);
  bool fits = ld <= 65536 && (ad == 0 || ad <= 4095) && w != 0xFFEFFFE;
  uint32_t v = (fits ? w : 0xFFEFFFEu) << 4 | (r.procedureStart ? 4 : 0) | 0xB;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  if (!fits) {
    uint32_t l = ld - 1, a = ad - 1;
    out.push_back(static_cast<uint8_t>(l));
    out.push_back(static_cast<uint8_t>(l >> 8));
    out.push_back(static_cast<uint8_t>(a));
    out.push_back(static_cast<uint8_t>(a >> 8));
  }
  return true;
}

bool DecodeLineRecord(const uint8_t* data, size_t size, size_t& pos, uint16_t version, TLineRecord& r) {
  if (pos >= size) return false;
  uint8_t b = data[pos];
  if (!(b & 1)) {
    r = {static_cast<uint32_t>(b >> 6) + 1, static_cast<uint32_t>((b >> 1) & 31) + 1, false};
    pos += 1;
    return true;
  }
  if (!(b & 2)) {
    r = {static_cast<uint32_t>(b >> 5) + 1, static_cast<uint32_t>((b >> 2) & 7) + 1, true};
    pos += 1;
    return true;
  }
  if (!(b & 8)) {
    if (size - pos < 2) return false;
    uint16_t v = static_cast<uint16_t>(b | data[pos + 1] << 8);
    r = {static_cast<uint32_t>(v >> 11) + 1, static_cast<uint32_t>((v >> 4) & 0x7F) + 1, (v & 4) != 0};
    pos += 2;
    return true;
  }
  if (size - pos < 4) return false;
  uint32_t v = static_cast<uint32_t>(data[pos]) | static_cast<uint32_t>(data[pos + 1]) << 8 |
               static_cast<uint32_t>(data[pos + 2]) << 16 | static_cast<uint32_t>(data[pos + 3]) << 24;
  uint32_t w = v >> 4;
  r.procedureStart = (v & 4) != 0;
  pos += 4;
  if (w == 0xFFEFFFE && version > 422) {
    if (size - pos < 4) return false;
    r.lineDelta = static_cast<uint32_t>(data[pos] | data[pos + 1] << 8) + 1;
    r.addressDelta = static_cast<uint32_t>(data[pos + 2] | data[pos + 3] << 8) + 1;
    pos += 4;
    return true;
  }
  r.lineDelta = (w & 0xFFFF) + 1;
  uint32_t a = w >> 16;
  r.addressDelta = a == 4095 ? 0 : a + 1;
  return true;
}

void AppendName(std::vector<uint8_t>& out, const std::string& name) {
  size_t n = name.size() < kMaxNameLength ? name.size() : kMaxNameLength;
  out.push_back(static_cast<uint8_t>(n));
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(name[i]) ^ kNameKey);
}

bool ReadName(const uint8_t* data, size_t size, size_t& pos, std::string& name) {
  if (pos >= size) return false;
  size_t n = data[pos];
  if (size - pos - 1 < n) return false;
  name.resize(n);
  for (size_t i = 0; i < n; ++i) name[i] = static_cast<char>(data[pos + 1 + i] ^ kNameKey);
  pos += 1 + n;
  return true;
}

namespace {
void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

std::vector<uint8_t> BuildBlock(const std::vector<uint8_t>& stream, double linkDateTime) {
  uLongf packedSize = compressBound(static_cast<uLong>(stream.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, stream.data(), static_cast<uLong>(stream.size()), Z_BEST_COMPRESSION);
  packed.resize(packedSize);
  std::vector<uint8_t> block;
  uint32_t size = static_cast<uint32_t>(kHeaderSize + packed.size());
  put32(block, size);
  block.push_back(static_cast<uint8_t>(kFormatVersion));
  block.push_back(static_cast<uint8_t>(kFormatVersion >> 8));
  uint8_t date[8];
  std::memcpy(date, &linkDateTime, 8);
  block.insert(block.end(), date, date + 8);
  block.insert(block.end(), packed.begin(), packed.end());
  put32(block, size);
  block.insert(block.end(), kTrailerMagic, kTrailerMagic + 4);
  return block;
}

TResult<TBlockPlace> ParseTrailer(const uint8_t* trailer, uint64_t fileSize) {
  if (fileSize < kTrailerSize)
    return TResult<TBlockPlace>::Fail("the file is too short to carry debug information");
  if (std::memcmp(trailer + 4, kTrailerMagic, 4) != 0)
    return TResult<TBlockPlace>::Fail("the file carries no debug information");
  TByteCursor c(trailer, kTrailerSize);
  uint32_t size = 0;
  c.U32(size);
  if (size < kHeaderSize || size > fileSize - kTrailerSize)
    return TResult<TBlockPlace>::Fail("the debug information trailer gives an impossible size");
  return TResult<TBlockPlace>::Ok({fileSize - kTrailerSize - size, size});
}

TResult<TBlockHeader> ParseBlockHeader(const uint8_t* block, size_t size) {
  TByteCursor c(block, size);
  TBlockHeader h;
  uint8_t date[8];
  if (!c.U32(h.size) || !c.U16(h.version) || !c.Bytes(date, 8))
    return TResult<TBlockHeader>::Fail("the debug information header is cut short");
  if (h.size != size)
    return TResult<TBlockHeader>::Fail("the debug information block size does not match its trailer");
  if (h.version > kFormatVersion)
    return TResult<TBlockHeader>::Fail("the debug information is of a newer format than this reader");
  std::memcpy(&h.linkDateTime, date, 8);
  if (!std::isfinite(h.linkDateTime)) h.linkDateTime = 0;
  return TResult<TBlockHeader>::Ok(h);
}

TResult<std::vector<uint8_t>> Inflate(const uint8_t* data, size_t size, size_t limit) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return TResult<std::vector<uint8_t>>::Fail("zlib cannot start inflating");
  std::vector<uint8_t> out;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  int rc = Z_OK;
  while (rc == Z_OK) {
    if (out.size() >= limit) break;
    size_t old = out.size();
    size_t grow = size * 4 + 4096;
    if (grow > limit - old) grow = limit - old;
    out.resize(old + grow);
    z.next_out = out.data() + old;
    z.avail_out = static_cast<uInt>(grow);
    rc = inflate(&z, Z_NO_FLUSH);
    out.resize(old + grow - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END)
    return TResult<std::vector<uint8_t>>::Fail("the debug information does not inflate");
  return TResult<std::vector<uint8_t>>::Ok(std::move(out));
}

double UnixToDateTime(uint32_t seconds) { return 25569.0 + seconds / 86400.0; }

}  // namespace debuginfo
