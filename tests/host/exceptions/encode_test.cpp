// CRC-32, Base64 and the gzip reader, checked against tools nobody here wrote.
#include <gtest/gtest.h>

#include <random>

#include "exceptions/encode/base64.h"
#include "exceptions/encode/crc32.h"
#include "exceptions/encode/errors.h"
#include "exceptions/encode/gzip_reader.h"
#include "host/exceptions/tool_helpers.h"

namespace {

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

TEST(Crc32, AgreesWithPythonZlibWholeAndInPieces) {
  reptest::ScratchDir dir;
  for (size_t n : {0u, 1u, 7u, 8u, 9u, 1000u, 65537u}) {
    std::string data = randomBytes(n, static_cast<unsigned>(n));
    std::string file = dir.File("d" + std::to_string(n));
    reptest::WriteFile(file, data);
    reptest::ToolResult r =
        reptest::Run("python3 -c \"import zlib,sys; print(zlib.crc32(open(sys.argv[1],'rb').read()))\" " + file);
    ASSERT_EQ(r.status, 0) << r.out;
    uint32_t whole = Crc32(data.data(), data.size());
    EXPECT_EQ(std::to_string(whole) + "\n", r.out) << n;
    // Continuing from a previous value gives the CRC of the whole.
    size_t half = n / 3;
    EXPECT_EQ(Crc32(data.data() + half, n - half, Crc32(data.data(), half)), whole) << n;
  }
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
}

TEST(Base64, PaddingAndSizes) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("M"), "TQ==");
  EXPECT_EQ(Base64Encode("Ma"), "TWE=");
  EXPECT_EQ(Base64Encode("Man"), "TWFu");
  // The size is what the padded text really takes: one byte needs four characters.
  for (size_t n = 0; n < 10; ++n) EXPECT_EQ(Base64EncodedSize(n), Base64Encode(std::string(n, 'x')).size()) << n;
  EXPECT_EQ(Base64EncodedSize(1), 4u);
}

TEST(Base64, DecodingRefusesWhatIsNotBase64) {
  EXPECT_EQ(Base64Decode("TQ=="), (std::vector<uint8_t>{'M'}));
  EXPECT_EQ(Base64Decode("TWE="), (std::vector<uint8_t>{'M', 'a'}));
  EXPECT_EQ(Base64Decode(""), std::vector<uint8_t>{});
  for (const char* bad : {"TQ=", "TWFuT", "T===", "====", "TQ=A", "T=Q=", "=QQQ", "TQ==TWFu", "TW u", "TWF\n", "TWF-"})
    EXPECT_FALSE(Base64Decode(bad)) << bad;
}

TEST(Base64, AgreesWithTheBase64Tool) {
  reptest::ScratchDir dir;
  for (size_t n : {1u, 2u, 3u, 4u, 5u, 1000u, 4097u}) {
    std::string data = randomBytes(n, 77 + static_cast<unsigned>(n));
    std::string text = Base64Encode(data);
    reptest::WriteFile(dir.File("t"), text);
    reptest::ToolResult r = reptest::Run("base64 -d " + dir.File("t"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, data) << n;
    reptest::WriteFile(dir.File("d"), data);
    r = reptest::Run("base64 -w0 " + dir.File("d"));
    EXPECT_EQ(r.out, text) << n;
    auto back = Base64Decode(r.out);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(back->begin(), back->end()), data);
  }
  std::string lines = Base64EncodeLines("0123456789012345678901234567890123456789012345678901234567", 58, 76);
  EXPECT_EQ(lines.find("\r\n"), 76u);
  reptest::WriteFile(dir.File("l"), lines);
  // Mail lines end in CR LF; the tool wants plain line feeds.
  EXPECT_EQ(reptest::Run("tr -d '\\r' < " + dir.File("l") + " | base64 -d").out, "0123456789012345678901234567890123456789012345678901234567");
}

TEST(GzipReader, ReadsWhatGzipWritesWithAndWithoutName) {
  reptest::ScratchDir dir;
  std::string data = randomBytes(200000, 5) + std::string(100000, 'a');
  reptest::WriteFile(dir.File("plain.bin"), data);
  for (const char* flags : {"-c", "-c -n", "-c -1"}) {
    reptest::ToolResult r = reptest::Run(std::string("gzip ") + flags + " " + dir.File("plain.bin") + " > " +
                                         dir.File("p.gz"));
    ASSERT_EQ(r.status, 0) << r.out;
    std::string gz = reptest::ReadFile(dir.File("p.gz"));
    std::vector<uint8_t> out = GzipDecompress(reinterpret_cast<const uint8_t*>(gz.data()), gz.size());
    EXPECT_EQ(std::string(out.begin(), out.end()), data) << flags;
  }
}

TEST(GzipReader, RefusesDamagedFiles) {
  reptest::ScratchDir dir;
  reptest::WriteFile(dir.File("x"), "The quick brown fox jumps over the lazy dog, again and again and again.");
  reptest::Run("gzip -c " + dir.File("x") + " > " + dir.File("x.gz"));
  const std::string gz = reptest::ReadFile(dir.File("x.gz"));
  auto read = [](const std::string& s, size_t limit = kGzipMaxOutput) {
    return GzipDecompress(reinterpret_cast<const uint8_t*>(s.data()), s.size(), limit);
  };
  EXPECT_NO_THROW(read(gz));
  std::string crc = gz;
  crc[crc.size() - 8] ^= 1;
  EXPECT_THROW(read(crc), EGzipError);
  std::string len = gz;
  len[len.size() - 1] ^= 1;
  EXPECT_THROW(read(len), EGzipError);
  for (size_t cut = 0; cut < gz.size(); ++cut) EXPECT_THROW(read(gz.substr(0, cut)), EGzipError) << cut;
  EXPECT_THROW(read(gz + "junk"), EGzipError);
  std::string body = gz;
  body[body.size() / 2] ^= 0x55;
  EXPECT_THROW(read(body), EGzipError);
  EXPECT_THROW(read(gz, 10), EGzipError);  // more than the caller allows
}

}  // namespace
