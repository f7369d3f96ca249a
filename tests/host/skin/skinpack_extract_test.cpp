// skinpack extract: entries with folder parts, refused names, and readable messages for
// hostile archives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "framework/streams.h"
#include "lzh_encoder.h"
#include "skin_archive_writer.h"
#include "skin_extract.h"
#include "skin_test_util.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Parts(const std::string& name) {
  std::string why;
  return EntryPathParts(name, &why);
}
std::string Why(const std::string& name) {
  std::string why;
  EntryPathParts(name, &why);
  return why;
}

TEST(SkinpackExtract, EntryNamesBelowTheDestination) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Parts("top.bmp"), V{"top.bmp"});
  EXPECT_EQ(Parts("scroll\\arrows.bmp"), (V{"scroll", "arrows.bmp"}));
  EXPECT_EQ(Parts("a/./b//c.bmp"), (V{"a", "b", "c.bmp"}));
  EXPECT_EQ(Parts("..x.bmp"), V{"..x.bmp"});  // only a whole ".." part leaves
  // A GBK character whose trail byte is the backslash stays one name.
  EXPECT_EQ(Parts("\x95\x5C.bmp"), V{"\x95\x5C.bmp"});

  EXPECT_EQ(Why("..\\evil.bmp"), "leaves the destination");
  EXPECT_EQ(Why("a/../../evil.bmp"), "leaves the destination");
  EXPECT_EQ(Why("a\\.."), "leaves the destination");
  EXPECT_EQ(Why("/etc/evil"), "is an absolute path");
  EXPECT_EQ(Why("\\evil.bmp"), "is an absolute path");
  EXPECT_EQ(Why("c:\\evil.bmp"), "names a drive or a stream");
  EXPECT_EQ(Why("c:evil.bmp"), "names a drive or a stream");
  EXPECT_EQ(Why(std::string("a\0b.bmp", 7)), "has a NUL byte");
  EXPECT_EQ(Why(""), "names no file");
  EXPECT_EQ(Why("./"), "names no file");
}

TEST(SkinpackExtract, WritesWhatItCanAndNamesTheRest) {
  std::string tool = skin_test::BinaryDir() + "/tools/skinpack/skinpack";
  if (!fs::exists(tool)) GTEST_SKIP() << "skinpack not built";
  fs::path dir = fs::temp_directory_path() / ("skinpack_extract_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  const std::string longName(2'000'000, 'n');
  auto bytes = [](char c) { return std::vector<uint8_t>(3, uint8_t(c)); };
  std::vector<TSkinEntry> entries = {
      {"top.bmp", bytes('t')},         {"scroll\\arrows.bmp", bytes('a')},
      {"..\\evil.bmp", bytes('e')},    {std::string("nul\0.bmp", 8), bytes('z')},
      {longName + ".bmp", bytes('l')}, {"late.ini", bytes('i')}};
  std::string skn = (dir / "hostile.skn").string();
  WriteFileBytes(skn, PackSkin(entries));
  std::string err = (dir / "err.txt").string();
  int rc = std::system((tool + " extract " + skn + " " + (dir / "out").string() + " 2> " + err).c_str());
  EXPECT_NE(rc, 0);

  EXPECT_EQ(ReadFileBytes((dir / "out" / "top.bmp").string()), bytes('t'));
  EXPECT_EQ(ReadFileBytes((dir / "out" / "scroll" / "arrows.bmp").string()), bytes('a'));
  EXPECT_EQ(ReadFileBytes((dir / "out" / "late.ini").string()), bytes('i'));  // after the refused ones
  EXPECT_FALSE(fs::exists(dir / "evil.bmp"));
  EXPECT_FALSE(fs::exists(dir / "out" / "nul"));

  auto e = ReadFileBytes(err);
  std::string text(e.begin(), e.end());
  EXPECT_NE(text.find("\"..\\evil.bmp\" leaves the destination"), std::string::npos) << text;
  EXPECT_NE(text.find("\"nul\\0.bmp\" has a NUL byte"), std::string::npos) << text;
  EXPECT_NE(text.find("(2000004 bytes)"), std::string::npos) << text.substr(0, 2000);
  EXPECT_LT(text.size(), 4000u);  // the 2 MB name is cut in the message
  fs::remove_all(dir);
}

TEST(SkinpackExtract, StreamFormCarriesTheByteCount) {
  std::string tool = skin_test::BinaryDir() + "/tools/skinpack/skinpack";
  if (!fs::exists(tool)) GTEST_SKIP() << "skinpack not built";
  fs::path dir = fs::temp_directory_path() / ("skinpack_stream_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string sample = skin_test::SourceDir() + "/tests/data/skins/sample";
  ASSERT_EQ(std::system((tool + " stream " + sample + " " + (dir / "s.stream").string()).c_str()), 0);
  auto stream = ReadFileBytes((dir / "s.stream").string());
  auto packed = PackSkin(ReadSkinFolder(sample));
  ASSERT_EQ(stream.size(), packed.size() + 4);
  uint32_t n =
      uint32_t(stream[0]) | uint32_t(stream[1]) << 8 | uint32_t(stream[2]) << 16 | uint32_t(stream[3]) << 24;
  EXPECT_EQ(n, packed.size());
  EXPECT_TRUE(std::equal(packed.begin(), packed.end(), stream.begin() + 4));
  fs::remove_all(dir);
}

}  // namespace
