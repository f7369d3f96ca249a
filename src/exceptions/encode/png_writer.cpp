#include "exceptions/encode/png_writer.h"

#include <zlib.h>

#include <cstring>

#include "exceptions/encode/crc32.h"
#include "exceptions/encode/errors.h"
#include "framework/streams.h"

namespace {
void putBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void chunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
  putBe32(out, static_cast<uint32_t>(size));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), data, data + size);
  putBe32(out, Crc32(out.data() + start, size + 4));
}

struct Deflater {
  z_stream z{};
  Deflater() {
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw EOutOfMemory("Out of memory");
  }
  ~Deflater() { deflateEnd(&z); }
};
}  // namespace

std::vector<uint8_t> EncodePng(const TIndexedImage& img) {
  if (img.width <= 0 || img.height <= 0) throw EPngError("The picture has no pixels.");
  const size_t w = static_cast<size_t>(img.width), h = static_cast<size_t>(img.height);
  if (img.indices.size() != w * h) throw EPngError("The picture's pixel buffer does not match its size.");

  std::vector<uint8_t> out = {137, 'P', 'N', 'G', 13, 10, 26, 10};
  uint8_t ihdr[13];
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = static_cast<uint8_t>(w >> (24 - 8 * i));
    ihdr[4 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
  }
  ihdr[8] = 8;   // bit depth
  ihdr[9] = 3;   // indexed colour
  ihdr[10] = 0;  // deflate
  ihdr[11] = 0;  // no filtering method beyond the standard one
  ihdr[12] = 0;  // not interlaced
  chunk(out, "IHDR", ihdr, sizeof ihdr);

  uint8_t plte[256 * 3];
  for (size_t i = 0; i < 256; ++i) {
    plte[i * 3] = static_cast<uint8_t>(img.palette[i] >> 16);
    plte[i * 3 + 1] = static_cast<uint8_t>(img.palette[i] >> 8);
    plte[i * 3 + 2] = static_cast<uint8_t>(img.palette[i]);
  }
  chunk(out, "PLTE", plte, sizeof plte);

  // Each row is preceded by filter type 0: unfiltered rows compress well enough for
  // screenshots and cost nothing to produce.
  std::vector<uint8_t> raw(h * (w + 1));
  for (size_t y = 0; y < h; ++y) {
    raw[y * (w + 1)] = 0;
    std::memcpy(&raw[y * (w + 1) + 1], &img.indices[y * w], w);
  }
  Deflater d;
  std::vector<uint8_t> buffer(kPngIdatChunk);
  d.z.next_in = raw.data();
  d.z.avail_in = static_cast<uInt>(raw.size());
  int rc;
  do {
    d.z.next_out = buffer.data();
    d.z.avail_out = static_cast<uInt>(buffer.size());
    rc = deflate(&d.z, Z_FINISH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) throw EPngError("Cannot compress the picture.");
    size_t produced = buffer.size() - d.z.avail_out;
    if (produced) chunk(out, "IDAT", buffer.data(), produced);
  } while (rc != Z_STREAM_END);
  chunk(out, "IEND", nullptr, 0);
  return out;
}

std::vector<uint8_t> EncodeScreenshotPng(const TBgraImage& image) { return EncodePng(QuantizeOctree(image)); }

void SaveScreenshotPng(const TBgraImage& image, const std::string& path) {
  WriteFileBytes(path, EncodeScreenshotPng(image));
}
