#include "skin/data/skin_reader.h"

#include <gtest/gtest.h>

#include "lzh_encoder.h"
#include "skin/data/lzh.h"
#include "skin_archive_writer.h"
#include "skin_test_util.h"

using skin_test::RawArchive;

namespace {

class SkinReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSkinMessageNotifier([this](const std::string& t) { messages.push_back(t); });
  }
  void TearDown() override { SetSkinMessageNotifier(nullptr); }
  bool LoadRaw(const std::vector<uint8_t>& archive) {
    TMemoryStream s(LzhPackStored(archive));
    return reader.Load(s);
  }
  std::string ExtractText(const std::string& name) {
    TMemoryStream dest;
    dest.WriteBuffer("old", 3);
    reader.Extract(name, dest);
    EXPECT_EQ(dest.Position(), 0);
    return std::string(dest.Bytes().begin(), dest.Bytes().end());
  }

  TSkinReader reader;
  std::vector<std::string> messages;
};

TEST_F(SkinReaderTest, FindsEntriesWithoutRegardToCaseAndByContainedText) {
  std::vector<TSkinEntry> e = {
      {"Top.BMP", {'t'}}, {"Empty.bmp", {}}, {"Skin.INI", {'[', 'a', ']'}}, {"other.ini", {'x'}}};
  ASSERT_TRUE(LoadRaw(BuildSkinArchive(e)));
  EXPECT_EQ(reader.Names(), (std::vector<std::string>{"top.bmp", "empty.bmp", "skin.ini", "other.ini"}));
  EXPECT_EQ(ExtractText("TOP.bmp"), "t");
  EXPECT_EQ(ExtractText("missing.bmp"), "");
  EXPECT_EQ(ExtractText("empty.bmp"), "");
  TMemoryStream dest;
  EXPECT_EQ(reader.ExtractFirstContaining(".ini", dest), "skin.ini");
  EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "[a]");
  // The searched text is not lower-cased.
  EXPECT_EQ(reader.ExtractFirstContaining(".INI", dest), ".INI");
  EXPECT_EQ(dest.Size(), 0);
}

TEST_F(SkinReaderTest, ReadsAFullSizedArchiveToTheLastByte) {
  // 42 entries whose name list is 538 bytes long, as in the program's own skin.
  std::vector<TSkinEntry> e;
  size_t listBytes = 0;
  for (int i = 0; i < 42; ++i) {
    std::string name = "p" + std::to_string(i) + ".bmp";
    if (i == 41) name = std::string(538 - listBytes - 2 - 4, 'n') + ".ini";
    listBytes += name.size() + 2;
    e.push_back({name, std::vector<uint8_t>(size_t(100 + i), uint8_t(i))});
  }
  ASSERT_EQ(listBytes, 538u);
  auto raw = BuildSkinArchive(e);
  ASSERT_TRUE(LoadRaw(raw));
  EXPECT_EQ(reader.Count(), 42);
  int64_t n;
  const uint8_t* last = reader.EntryData(41, &n);
  EXPECT_EQ(n, 141);
  int64_t n0;
  const uint8_t* first = reader.EntryData(0, &n0);
  EXPECT_EQ(int64_t(last - first) + n, int64_t(raw.size()) - (16 + 538 + 4 * 42));
  EXPECT_EQ(ExtractText(e[41].name), std::string(141, char(41)));
}

TEST_F(SkinReaderTest, NameListLineEnds) {
  // A final CR LF adds no entry; CR, LF and CR LF each end a line.
  ASSERT_TRUE(LoadRaw(RawArchive("a\r\nb\nc\rd", {1, 1, 1, 1}, {'1', '2', '3', '4'})));
  EXPECT_EQ(reader.Count(), 4);
  EXPECT_EQ(ExtractText("d"), "4");
  ASSERT_TRUE(LoadRaw(RawArchive("a\r\nb\r\n", {1, 1}, {'1', '2'})));
  EXPECT_EQ(reader.Count(), 2);
  EXPECT_EQ(ExtractText("b"), "2");
}

TEST_F(SkinReaderTest, RefusesOtherVersionsThroughTheNotifier) {
  EXPECT_FALSE(LoadRaw(RawArchive("a\r\n", {1}, {'1'}, 19999)));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "This is Older Skin File\rPlease update to new version !");
  // An archive shorter than its header reads zeros: refused the same way.
  EXPECT_FALSE(LoadRaw({0x20, 0x4E, 0x01}));
  EXPECT_EQ(messages.size(), 2u);
  // A stored size of 0 unpacks nothing and is refused too.
  TMemoryStream zero(std::vector<uint8_t>{0, 0, 0, 0, 9, 9});
  EXPECT_FALSE(reader.Load(zero));
  EXPECT_EQ(reader.Count(), 0);
}

TEST_F(SkinReaderTest, WithoutANotifierTheRefusalIsSilent) {
  SetSkinMessageNotifier(nullptr);
  EXPECT_FALSE(LoadRaw(RawArchive("", {}, {}, 1)));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SkinReaderTest, RefusesBrokenEntryTables) {
  std::string many;
  for (int i = 0; i < 1002; ++i) many += "e" + std::to_string(i) + "\r\n";
  EXPECT_THROW(LoadRaw(RawArchive(many, std::vector<int32_t>(1002, 0), {})), ESkinArchiveError);
  EXPECT_THROW(LoadRaw(RawArchive("a\r\nb\r\n", {-1, 2}, {'x'})), ESkinArchiveError);
  EXPECT_THROW(LoadRaw(RawArchive("a\r\nb\r\n", {1, 2}, {'x', 'y'})), ESkinArchiveError);
  EXPECT_THROW(LoadRaw(RawArchive("a\r\nb\r\n", {1}, {})), ESkinArchiveError);  // sizes cut short
  auto bad = RawArchive("a\r\n", {1}, {'x'});
  skin_test::Put32(bad, 4, 0x7FFFFFF0);  // name list longer than the archive
  EXPECT_THROW(LoadRaw(bad), ESkinArchiveError);
  // 1001 entries are still fine.
  std::string most;
  for (int i = 0; i < 1001; ++i) most += "e" + std::to_string(i) + "\r\n";
  EXPECT_TRUE(LoadRaw(RawArchive(most, std::vector<int32_t>(1001, 0), {})));
  EXPECT_EQ(reader.Count(), 1001);
}

TEST_F(SkinReaderTest, ImpossibleUnpackedSizeIsRefusedBeforeAllocating) {
  std::vector<uint8_t> stored = {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
  TMemoryStream s(stored);
  EXPECT_THROW(reader.Load(s), ElzhException);
}

}  // namespace
