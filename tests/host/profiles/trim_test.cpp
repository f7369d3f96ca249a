#include "profiles/trim.h"

#include <gtest/gtest.h>

TEST(TrimField, RemovesBytesBelow33AtBothEndsOnly) {
  EXPECT_EQ(TrimField("  \t192.168.0.5\r\n"), "192.168.0.5");
  EXPECT_EQ(TrimField(std::string("\x01\x1f x y \x20", 7)), "x y");
  EXPECT_EQ(TrimField("以太网 2"), "以太网 2");  // inner blank stays
  EXPECT_EQ(TrimField(" \t\r\n"), "");
  EXPECT_EQ(TrimField(""), "");
  // Byte 33 ('!') and bytes >= 0x80 (GBK) are text, also at the ends.
  EXPECT_EQ(TrimField("!a!"), "!a!");
  EXPECT_EQ(TrimField("\xb1\xbe"), "\xb1\xbe");
  EXPECT_EQ(TrimField(std::string("\0a\0", 3)), "a");
}
