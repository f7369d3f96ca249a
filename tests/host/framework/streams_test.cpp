#include <gtest/gtest.h>

#include <filesystem>

#include "framework/exception.h"
#include "framework/streams.h"

TEST(MemoryStream, ReadWriteSeekAndShortReads) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(4);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  m.SetPosition(5);
  EXPECT_THROW(m.ReadBuffer(buf, 2), EReadError);
  m.Seek(-1, soEnd);
  m.WriteBuffer("XY", 2);  // writing past the end grows the stream
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 7), "abcdeXY");
}

TEST(FileStream, MissingFileAndRoundTrip) {
  auto dir = std::filesystem::temp_directory_path() / "nv_streams_test";
  std::filesystem::create_directories(dir);
  std::string path = (dir / "f.bin").string();
  EXPECT_THROW(TFileStream((dir / "none").string(), fmOpenRead), EFOpenError);
  WriteFileBytes(path, {1, 2, 3});
  EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{1, 2, 3}));
  std::filesystem::remove_all(dir);
}
