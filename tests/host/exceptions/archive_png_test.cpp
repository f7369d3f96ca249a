// The attachment archive and the screenshot PNG, read back by gzip, tar, python3 and
// ImageMagick.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "exceptions/encode/attachment_names.h"
#include "exceptions/encode/errors.h"
#include "exceptions/encode/gzip_reader.h"
#include "exceptions/encode/png_writer.h"
#include "exceptions/encode/tgz_writer.h"
#include "host/exceptions/tool_helpers.h"

namespace {

TEST(TgzWriter, GzipAndTarAcceptTheArchive) {
  reptest::ScratchDir dir;
  reptest::WriteFile(dir.File("exact.txt"), std::string(512, 'e'));
  reptest::WriteFile(dir.File("empty.log"), "");
  reptest::WriteFile(dir.File("Screenshot.png"), std::string(1000, 's'));
  std::string archive = dir.File("CompressFiles.tgz");
  {
    TTGZWriter w(archive);
    w.AddFile(dir.File("exact.txt"));
    w.AddFile(dir.File("empty.log"));
    w.AddFile(dir.File("Screenshot.png"), "renamed.png");
    w.AddData("memory.txt", "abc", 3, 1700000000);  // 2023-11-14 22:13:20 UTC
  }  // the destructor writes it

  reptest::ToolResult t = reptest::Run("gzip -t " + archive);
  EXPECT_EQ(t.status, 0) << t.out;
  reptest::ToolResult l = reptest::Run("gzip -l --name " + archive);
  EXPECT_NE(l.out.find("CompressFiles.tar"), std::string::npos) << l.out;  // the stored name

  // GNU tar remarks on the single closing block ("A lone zero block") on stderr and still
  // succeeds; other readers take it silently.
  reptest::ToolResult list = reptest::Run("TZ=UTC tar --numeric-owner -tvzf " + archive + " 2>/dev/null");
  ASSERT_EQ(list.status, 0) << list.out;
  std::istringstream lines(list.out);
  std::string line;
  std::vector<std::pair<std::string, std::string>> seen;  // name, size
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    std::string mode, owner, size, date, time, name;
    if (!(f >> mode >> owner >> size >> date >> time >> name)) continue;  // tar's own remarks
    seen.emplace_back(name, size);
    if (name == "memory.txt") {
      EXPECT_EQ(date + " " + time, "2023-11-14 22:13") << line;
    }
  }
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"exact.txt", "512"}, {"empty.log", "0"}, {"renamed.png", "1000"}, {"memory.txt", "3"}}))
      << list.out;
  EXPECT_EQ(reptest::Run("tar -xzOf " + archive + " exact.txt 2>/dev/null").out, std::string(512, 'e'));

  // Layout: header + one data block for 512 bytes, a header alone for the empty file, one
  // closing zero block.
  std::string gz = reptest::ReadFile(archive);
  std::vector<uint8_t> tar = GzipDecompress(reinterpret_cast<const uint8_t*>(gz.data()), gz.size());
  EXPECT_EQ(tar.size(), 512u * (2 + 1 + 3 + 2 + 1));
  const uint8_t* h = tar.data();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 124), 12), "       1000 ");  // 512 in octal
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 100), 8), std::string("     0 \0", 8));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 257), 8), "ustar   ");
  EXPECT_EQ(h[156], '0');
  const uint8_t* empty = h + 1024;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(empty), 9), "empty.log");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(empty + 124), 12), "          0 ");
  EXPECT_EQ(std::vector<uint8_t>(tar.end() - 512, tar.end()), std::vector<uint8_t>(512, 0));
  EXPECT_NE(tar[tar.size() - 1024 - 512], 0);  // memory.txt's data block: no second zero block
  // The gzip header: deflate, name flag, no time, OS 0, then the ".tar" name.
  EXPECT_EQ(gz.substr(0, 10), std::string("\x1F\x8B\x08\x08\0\0\0\0\0\0", 10));
  EXPECT_EQ(gz.substr(10, 18), std::string("CompressFiles.tar\0", 18));
}

TEST(TgzWriter, ChecksumCountsTheFieldAsBlanks) {
  uint8_t h[512];
  TTGZWriter::WriteTarHeader(h, "a.txt", 5, 0);
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? ' ' : h[i];
  char want[9];
  std::snprintf(want, sizeof want, "%6o ", sum);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h + 148), 7), std::string(want, 7));
  EXPECT_EQ(h[155], 0);
  EXPECT_EQ(TTGZWriter::StoredTarName("C:\\Temp\\x\\CompressFiles_20240101000000.tgz"),
            "CompressFiles_20240101000000.tar");
}

TEST(AttachmentNames, DateSuffixGoesBeforeTheExtension) {
  TReportTime t{2024, 1, 31, 23, 59, 5};
  EXPECT_EQ(AttachmentName("Screenshot.png", true, t), "Screenshot_20240131235905.png");
  EXPECT_EQ(AttachmentName("Screenshot.png", false, t), "Screenshot.png");
  EXPECT_EQ(AttachmentName("C:\\a.b\\README", true, t), "C:\\a.b\\README_20240131235905");
  EXPECT_EQ(XmlAttachmentName("C:\\Tools\\netvosk_PC.qlf"), "netvosk_PC.xml");
  EXPECT_EQ(LogAttachmentName("C:\\Tools\\netvosk.qlf"), "netvosk.qlf");
}

struct Png {
  std::string identify;
  std::string rgb;  // decoded by ImageMagick, 3 bytes a pixel
};

Png decodeWithImageMagick(const std::vector<uint8_t>& png, reptest::ScratchDir& dir) {
  std::string file = dir.File("shot.png");
  reptest::WriteFile(file, std::string(png.begin(), png.end()));
  Png p;
  p.identify = reptest::Run("identify -format '%m %w %h %z %r' " + file).out;
  while (!p.identify.empty() && p.identify.back() == ' ') p.identify.pop_back();
  p.rgb = reptest::Run("convert " + file + " -depth 8 rgb:-").out;
  return p;
}

TEST(PngWriter, FewColoursComeBackExactly) {
  reptest::ScratchDir dir;
  for (int width : {4, 5, 33}) {
    TBgraImage img;
    img.width = width;
    img.height = 7;
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x)  // 231 colours at most, with runs and neighbours that differ by 1
        img.pixels.push_back(uint32_t((x * 37 + y) % 231) * 0x010101u ^ (x & 1 ? 0x800000u : 0u));
    Png p = decodeWithImageMagick(EncodeScreenshotPng(img), dir);
    EXPECT_EQ(p.identify, "PNG " + std::to_string(width) + " 7 8 PseudoClass sRGB") << p.identify;
    ASSERT_EQ(p.rgb.size(), size_t(width) * 7 * 3);
    for (size_t i = 0; i < img.pixels.size(); ++i) {
      uint32_t c = img.pixels[i];
      ASSERT_EQ(uint8_t(p.rgb[i * 3]), uint8_t(c >> 16)) << i;
      ASSERT_EQ(uint8_t(p.rgb[i * 3 + 1]), uint8_t(c >> 8)) << i;
      ASSERT_EQ(uint8_t(p.rgb[i * 3 + 2]), uint8_t(c)) << i;
    }
  }
}

TEST(PngWriter, ManyColoursMapToNearbyPaletteColours) {
  reptest::ScratchDir dir;
  TBgraImage img;
  img.width = 256;
  img.height = 128;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) img.pixels.push_back(uint32_t(x) << 16 | uint32_t(y * 2) << 8 | uint32_t((x + y) & 255));
  TIndexedImage q = QuantizeOctree(img);
  EXPECT_LE(q.colorCount, 256);
  EXPECT_GT(q.colorCount, 128);
  Png p = decodeWithImageMagick(EncodePng(q), dir);
  EXPECT_EQ(p.identify, "PNG 256 128 8 PseudoClass sRGB");
  ASSERT_EQ(p.rgb.size(), img.pixels.size() * 3);
  int worst = 0;
  for (size_t i = 0; i < img.pixels.size(); ++i) {
    uint32_t c = img.pixels[i];
    uint32_t pal = q.palette[q.indices[i]];
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(uint8_t(p.rgb[i * 3 + size_t(k)]), uint8_t(pal >> (16 - 8 * k)));  // the file holds the palette colour
      worst = std::max(worst, std::abs(int((c >> (16 - 8 * k)) & 255) - int((pal >> (16 - 8 * k)) & 255)));
    }
  }
  EXPECT_LE(worst, 32);  // each colour lands in the cube of its octree leaf
}

TEST(PngWriter, ChunksAsSpecifiedAndPythonZlibAgrees) {
  // Noise does not compress: the picture data needs several full IDAT chunks.
  TBgraImage img;
  img.width = 1024;
  img.height = 700;
  std::mt19937 rng(3);
  for (size_t i = 0; i < size_t(img.width) * size_t(img.height); ++i) img.pixels.push_back((rng() & 0xFF) * 0x010101u);
  std::vector<uint8_t> png = EncodeScreenshotPng(img);
  ASSERT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8), (std::vector<uint8_t>{137, 'P', 'N', 'G', 13, 10, 26, 10}));
  std::vector<std::pair<std::string, uint32_t>> chunks;
  for (size_t pos = 8; pos + 12 <= png.size();) {
    uint32_t len = uint32_t(png[pos]) << 24 | uint32_t(png[pos + 1]) << 16 | uint32_t(png[pos + 2]) << 8 | png[pos + 3];
    chunks.emplace_back(std::string(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8), len);
    pos += 12 + len;
  }
  ASSERT_GE(chunks.size(), 6u);
  EXPECT_EQ(chunks[0], std::make_pair(std::string("IHDR"), 13u));
  EXPECT_EQ(chunks[1], std::make_pair(std::string("PLTE"), 768u));
  EXPECT_EQ(chunks.back(), std::make_pair(std::string("IEND"), 0u));
  for (size_t i = 2; i + 2 < chunks.size(); ++i) EXPECT_EQ(chunks[i], std::make_pair(std::string("IDAT"), 262143u));
  EXPECT_EQ(chunks[chunks.size() - 2].first, "IDAT");
  EXPECT_LT(chunks[chunks.size() - 2].second, 262143u);

  // Python's zlib checks every chunk CRC and unpacks the rows: filter byte 0, then indices.
  reptest::ScratchDir dir;
  reptest::WriteFile(dir.File("n.png"), std::string(png.begin(), png.end()));
  reptest::WriteFile(dir.File("check.py"), R"(
import sys, zlib, struct
d = open(sys.argv[1], 'rb').read()
pos, idat = 8, b''
while pos < len(d):
    n, = struct.unpack('>I', d[pos:pos+4]); t = d[pos+4:pos+8]; body = d[pos+8:pos+8+n]
    crc, = struct.unpack('>I', d[pos+8+n:pos+12+n])
    assert zlib.crc32(t + body) == crc, t
    if t == b'IDAT': idat += body
    pos += 12 + n
raw = zlib.decompress(idat)
w = 1024
assert len(raw) == 700 * (w + 1)
assert all(raw[r * (w + 1)] == 0 for r in range(700))
print('ok')
)");
  reptest::ToolResult r = reptest::Run("python3 " + dir.File("check.py") + " " + dir.File("n.png"));
  EXPECT_EQ(r.out, "ok\n");
  EXPECT_EQ(reptest::Run("identify -format '%w %h %z' " + dir.File("n.png")).out, "1024 700 8");
}

TEST(PngWriter, RefusesPicturesWithoutPixels) {
  TBgraImage none;
  EXPECT_THROW(EncodeScreenshotPng(none), EPngError);
  TBgraImage wrong;
  wrong.width = 4, wrong.height = 4;
  wrong.pixels.resize(15);
  EXPECT_THROW(EncodeScreenshotPng(wrong), EPngError);
}

}  // namespace
