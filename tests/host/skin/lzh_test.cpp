#include "skin/data/lzh.h"

#include <gtest/gtest.h>

#include <random>

#include "lzh_encoder.h"
#include "skin_test_util.h"

namespace {

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& stored, int64_t n, int64_t* inputPos = nullptr) {
  TMemoryStream in(stored);
  in.SetPosition(4);
  TMemoryStream out;
  TLZH lzh;
  lzh.Unpack(in, out, n);
  if (inputPos) *inputPos = in.Position();
  return out.Bytes();
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& data) {
  return Unpack(LzhPackStored(data), int64_t(data.size()));
}

const std::string kRefDir = skin_test::SourceDir() + "/tests/data/lzh/";

TEST(Lzh, OurPackerReproducesTheReferenceStream) {
  auto packed = ReadFileBytes(kRefDir + "reference-sample.lzh");
  auto plain = ReadFileBytes(kRefDir + "reference-sample.bin");
  EXPECT_EQ(LzhPackStored(plain), packed);
}

TEST(Lzh, RoundTripsVariedData) {
  std::mt19937 rng(7);
  std::vector<std::vector<uint8_t>> cases;
  cases.push_back({});
  cases.push_back({42});
  cases.push_back(std::vector<uint8_t>(1000, 'A'));  // runs far longer than a match
  cases.push_back(std::vector<uint8_t>(300, ' '));   // matches the blank-filled window
  for (size_t n : {4035u, 4036u, 4095u, 4096u, 4097u, 8193u}) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(rng() % 7 + 'a');
    cases.push_back(v);
  }
  std::vector<uint8_t> random(50000);
  for (auto& b : random) b = uint8_t(rng());
  cases.push_back(random);
  std::string text;
  while (text.size() < 100000) text += "Skin definition line " + std::to_string(rng() % 1000) + "\r\n";
  cases.emplace_back(text.begin(), text.end());
  // Enough symbols to rebuild the tree many times (the root count reaches 0x8000).
  cases.push_back(skin_test::PlainBmp(300, 200));
  for (const auto& c : cases) EXPECT_EQ(RoundTrip(c), c) << "size " << c.size();
}

TEST(Lzh, ZeroSizeWritesNothingAndReadsNothing) {
  TMemoryStream in(std::vector<uint8_t>{1, 2, 3});
  TMemoryStream out;
  TLZH().Unpack(in, out, 0);
  EXPECT_EQ(out.Size(), 0);
  EXPECT_EQ(in.Position(), 0);
}

TEST(Lzh, TruncatedStreamDecodesAsZeroPaddedToTheFullSize) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += char('a' + i * 7 % 26);
  auto stored = LzhPackStored(std::vector<uint8_t>(text.begin(), text.end()));
  auto cut = stored;
  cut.resize(stored.size() / 2);
  auto padded = cut;
  padded.resize(stored.size() + 64, 0);
  auto a = Unpack(cut, int64_t(text.size()));
  ASSERT_EQ(a.size(), text.size());
  EXPECT_EQ(a, Unpack(padded, int64_t(text.size())));
  EXPECT_EQ(std::string(a.begin(), a.begin() + 100), text.substr(0, 100));
}

TEST(Lzh, RefusesSizesTheInputCannotProduce) {
  std::vector<uint8_t> stored(4 + 100, 0);
  TLZH lzh;
  TMemoryStream out;
  auto run = [&](int64_t n) {
    TMemoryStream in(stored);
    in.SetPosition(4);
    lzh.Unpack(in, out, n);
  };
  EXPECT_THROW(run(-1), ElzhException);
  EXPECT_THROW(run(int64_t(1) << 31), ElzhException);  // above the cap
  EXPECT_THROW(run(100 * TLZH::kMaxBytesPerInputByte + TLZH::kPaddingAllowance + 1), ElzhException);
  out.Clear();
  EXPECT_NO_THROW(run(100 * TLZH::kMaxBytesPerInputByte));
  EXPECT_EQ(out.Size(), 100 * TLZH::kMaxBytesPerInputByte);
  try {
    run(int64_t(1) << 30);
  } catch (const ElzhException& e) {
    EXPECT_NE(e.Message().find("LZH : "), std::string::npos);
  }
}

}  // namespace
