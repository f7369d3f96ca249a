#include "exceptions/encode/gzip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "exceptions/encode/crc32.h"
#include "exceptions/encode/errors.h"
#include "framework/streams.h"

namespace {
enum : uint8_t { kFText = 1, kFHCrc = 2, kFExtra = 4, kFName = 8, kFComment = 16 };

[[noreturn]] void fail(const char* why) { throw EGzipError(Format("Invalid gzip data: %s.", why)); }

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Skips a zero-terminated field; returns the offset after its terminator.
size_t skipZeroTerminated(const uint8_t* data, size_t size, size_t pos) {
  const void* end = pos < size ? std::memchr(data + pos, 0, size - pos) : nullptr;
  if (!end) fail("header field runs past the end");
  return static_cast<size_t>(static_cast<const uint8_t*>(end) - data) + 1;
}

struct Inflater {
  z_stream z{};
  bool open = false;
  Inflater() {
    // Raw deflate: the gzip member carries its own CRC-32 trailer, not a zlib Adler-32.
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw EOutOfMemory("Out of memory");
    open = true;
  }
  ~Inflater() {
    if (open) inflateEnd(&z);
  }
};
}  // namespace

std::vector<uint8_t> GzipDecompress(const uint8_t* data, size_t size, size_t maxOutput) {
  if (size < 18) fail("file too short");
  if (data[0] != 0x1F || data[1] != 0x8B) fail("no gzip signature");
  if (data[2] != 8) fail("unknown compression method");
  const uint8_t flags = data[3];
  if (flags & 0xE0) fail("reserved header flags set");
  size_t pos = 10;
  if (flags & kFExtra) {
    if (size - pos < 2) fail("extra field runs past the end");
    size_t xlen = data[pos] | size_t(data[pos + 1]) << 8;
    pos += 2;
    if (size - pos < xlen) fail("extra field runs past the end");
    pos += xlen;
  }
  if (flags & kFName) pos = skipZeroTerminated(data, size, pos);
  if (flags & kFComment) pos = skipZeroTerminated(data, size, pos);
  if (flags & kFHCrc) {
    if (size - pos < 2) fail("header CRC runs past the end");
    uint16_t want = static_cast<uint16_t>(data[pos] | data[pos + 1] << 8);
    if ((Crc32(data, pos) & 0xFFFF) != want) fail("header CRC mismatch");
    pos += 2;
  }
  if (size - pos < 8) fail("file too short");

  Inflater inf;
  std::vector<uint8_t> out;
  inf.z.next_in = const_cast<Bytef*>(data + pos);
  inf.z.avail_in = static_cast<uInt>(size - pos);
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (out.size() >= maxOutput) fail("unpacked data too large");
    size_t have = out.size();
    size_t grow = std::min<size_t>(std::max<size_t>(have, 65536), maxOutput - have);
    out.resize(have + grow);
    inf.z.next_out = out.data() + have;
    inf.z.avail_out = static_cast<uInt>(grow);
    rc = inflate(&inf.z, Z_NO_FLUSH);
    out.resize(have + grow - inf.z.avail_out);
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && inf.z.avail_in == 0) fail("compressed data truncated");
    if (rc != Z_OK && rc != Z_BUF_ERROR) fail("compressed data corrupt");
  }
  size_t used = size - pos - inf.z.avail_in;
  pos += used;
  if (size - pos < 8) fail("trailer missing");
  if (le32(data + pos) != Crc32(out.data(), out.size())) fail("CRC-32 mismatch");
  if (le32(data + pos + 4) != static_cast<uint32_t>(out.size())) fail("length mismatch");
  if (size - pos != 8) fail("unexpected data after the trailer");
  return out;
}

std::vector<uint8_t> GzipDecompress(TStream& source, size_t maxOutput) {
  int64_t left = source.Size() - source.Position();
  std::vector<uint8_t> bytes(static_cast<size_t>(left > 0 ? left : 0));
  source.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return GzipDecompress(bytes.data(), bytes.size(), maxOutput);
}
