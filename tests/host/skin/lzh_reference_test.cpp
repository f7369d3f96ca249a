// Skin data checks that run in both builds: the Windows one under Wine, where bitmaps are
// DIB sections.
#include <gtest/gtest.h>

#include "skin/data/lzh.h"
#include "skin_test_util.h"

namespace {

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& stored, int64_t n, int64_t* inputPos) {
  TMemoryStream in(stored);
  in.SetPosition(4);
  TMemoryStream out;
  TLZH lzh;
  lzh.Unpack(in, out, n);
  *inputPos = in.Position();
  return out.Bytes();
}

const std::string kRefDir = skin_test::SourceDir() + "/tests/data/lzh/";

// The reference stream was packed by an encoder written elsewhere: decoding it checks the
// tree rebuild, the position tables and the bit order against an independent implementation.
TEST(LzhReference, DecodesTheReferenceStreamByteForByte) {
  auto packed = ReadFileBytes(kRefDir + "reference-sample.lzh");
  auto plain = ReadFileBytes(kRefDir + "reference-sample.bin");
  ASSERT_EQ(packed.size(), 74228u);
  int32_t n;
  std::memcpy(&n, packed.data(), 4);
  ASSERT_EQ(n, int32_t(plain.size()));
  int64_t pos = 0;
  EXPECT_EQ(Unpack(packed, n, &pos), plain);
  EXPECT_EQ(pos, int64_t(packed.size()));  // all input consumed, none skipped
}

}  // namespace
