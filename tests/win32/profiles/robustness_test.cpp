// ip.ini is a file users edit by hand and other programs may spoil: whatever it holds, listing
// and loading must not crash and must list what fits.
#include <gtest/gtest.h>

#include <random>

#include "profiles/profile_store.h"
#include "temp_dir.h"

namespace {
// prefix + number, built by appending (GCC 12 warns falsely about "literal" + std::string).
std::string Numbered(const char* prefix, std::size_t n) {
  std::string s = prefix;
  s += std::to_string(n);
  return s;
}

void ListAndLoadAll(const TProfileStore& store, std::size_t maxLoads = 50) {
  std::vector<std::string> names = store.List();
  std::size_t bytes = 0;
  for (const auto& n : names) {
    EXPECT_FALSE(n.empty());
    bytes += n.size() + 1;
  }
  EXPECT_LE(bytes, TProfileStore::kListBufferSize);
  for (std::size_t i = 0; i < names.size() && i < maxLoads; ++i) {
    TIpProfile p = store.Load(names[i]);
    EXPECT_LT(p.address.size(), TProfileStore::kValueBufferSize);
  }
}
}  // namespace

TEST(ProfileStoreRobustness, RandomBytes) {
  TTempDir dir;
  std::mt19937 rng(20261208);
  for (int round = 0; round < 8; ++round) {
    std::string bytes(20000 + round * 5000, '\0');
    for (auto& c : bytes) {
      unsigned r = rng() % 100;
      // Mostly noise, with enough brackets, '=' and line ends to make some structure.
      c = r < 5 ? '[' : r < 10 ? ']' : r < 15 ? '\n' : r < 18 ? '=' : static_cast<char>(rng());
    }
    std::string path = dir.File((Numbered("r", round) += ".ini").c_str());
    WriteBytes(path, bytes);
    ListAndLoadAll(TProfileStore(path));
  }
}

TEST(ProfileStoreRobustness, TenThousandSections) {
  TTempDir dir;
  std::string text;
  for (int i = 0; i < 10000; ++i)
    text += std::string("[s") + std::to_string(i) + "]\r\nLJM=c" + std::to_string(i) + "\r\n";
  WriteBytes(dir.File("ip.ini"), text);
  TProfileStore store(dir.File("ip.ini"));
  std::vector<std::string> names = store.List();
  ASSERT_GT(names.size(), 2000u);
  ASSERT_LT(names.size(), 10000u);
  for (std::size_t i = 0; i < names.size(); ++i) ASSERT_EQ(names[i], Numbered("s", i));
  EXPECT_EQ(store.Load("s9999").connection, "c9999");  // beyond the list, still loadable
}

TEST(ProfileStoreRobustness, HundredKilobyteLinesAndNonGbkBytes) {
  TTempDir dir;
  std::string longName(100 * 1024, 'n');
  std::string longValue(100 * 1024, 'v');
  std::string text = "[" + longName + "]\r\nIP=x\r\n[ok]\r\nIP=" + longValue + "\r\n" +
                     // Bytes that are no GBK: lone lead bytes, 0x80, 0xFF.
                     "[\x81\xff\x80]\r\nLJM=\x81\r\n[\xfe]\r\nDNS=\xff\xff\r\n[last]\r\nIP=9\r\n";
  WriteBytes(dir.File("ip.ini"), text);
  TProfileStore store(dir.File("ip.ini"));
  ListAndLoadAll(store);
  EXPECT_EQ(store.Load("ok").address, std::string(2047, 'v'));
  EXPECT_EQ(store.Load("last").address, "9");
}
