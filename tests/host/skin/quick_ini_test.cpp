#include "skin/data/quick_ini.h"

#include <gtest/gtest.h>

#include "framework/exception.h"

namespace {

TQuickIni Ini(std::string_view text) {
  TQuickIni ini;
  ini.LoadFromText(text);
  return ini;
}

TEST(QuickIni, KeysAndSectionsIgnoreCaseAndBlanks) {
  auto ini = Ini("[Personality]\r\n   TopFrame  =   2 \r\n[colours]\nButtonFace=1 2 3\r");
  EXPECT_EQ(ini.ReadString("PERSONALITY", "TOPFRAME", "d"), "2");
  EXPECT_EQ(ini.ReadString("Colours", "buttonface", "d"), "1 2 3");
  EXPECT_EQ(ini.ReadString("Colours", "TopFrame", "d"), "d");  // other section
  EXPECT_EQ(ini.ReadString("Missing", "TopFrame", "d"), "d");
  EXPECT_EQ(ini.FindSection("COLOURS"), 2);
}

TEST(QuickIni, FirstOfDuplicateKeysWinsEvenWhenEmpty) {
  auto ini = Ini("[s]\nA=1\nA=2\nB=\nB=5\nC\n");
  EXPECT_EQ(ini.ReadString("s", "a", "d"), "1");
  EXPECT_EQ(ini.ReadString("s", "b", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("s", "b", 9), 9);
  EXPECT_EQ(ini.ReadString("s", "c", "d"), "d");  // a line without "=" has an empty key
}

TEST(QuickIni, CommentsAndBlankLinesAreInvisible) {
  auto ini = Ini("; head\r\n\r\n[s]\r\n\r\n; Key=comment\r\n   ; Key=indented comment\r\nKey=v\r\n");
  EXPECT_EQ(ini.ReadString("s", "key", "d"), "v");
  EXPECT_EQ(ini.Lines().size(), 2u);
}

TEST(QuickIni, SectionEndsAtTheNextHeader) {
  auto ini = Ini("[a]\nx=1\n[b]\ny=2\n[a]\nz=3\n");
  EXPECT_EQ(ini.ReadString("a", "y", "d"), "d");
  EXPECT_EQ(ini.ReadString("a", "z", "d"), "d");  // only the first [a] is found
  std::vector<std::string> names;
  ini.ReadSections(&names);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "a"}));
}

TEST(QuickIni, NulEndsTheText) {
  std::string text = "[s]\nA=1\n";
  text += '\0';
  text += "B=2\n";
  auto ini = Ini(text);
  EXPECT_EQ(ini.ReadString("s", "a", "d"), "1");
  EXPECT_EQ(ini.ReadString("s", "b", "d"), "d");
}

TEST(QuickIni, ReadSectionsNeedsATarget) {
  auto ini = Ini("[ x ]\n");
  try {
    ini.ReadSections(nullptr);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), "The parameter Strings is unassigned!");
  }
  std::vector<std::string> names{"old"};
  ini.ReadSections(&names);
  EXPECT_EQ(names, std::vector<std::string>{"x"});
}

TEST(QuickIni, IntegerForms) {
  auto ini =
      Ini("[s]\nh=0x10\nH=0XfF\nd=$1A\nn=-12\nw=abc\nx=0x\ny=12a\nbig=4294967296\n"
          "neg=-2147483648\nfull=0xFFFFFFFF\n");
  EXPECT_EQ(ini.ReadInteger("s", "h", -5), 16);
  EXPECT_EQ(ini.ReadInteger("s", "H", -5), 16);  // first "h" wins: keys ignore case
  EXPECT_EQ(ini.ReadInteger("s", "d", -5), 26);
  EXPECT_EQ(ini.ReadInteger("s", "n", -5), -12);
  EXPECT_EQ(ini.ReadInteger("s", "w", -5), -5);
  EXPECT_EQ(ini.ReadInteger("s", "x", -5), -5);
  EXPECT_EQ(ini.ReadInteger("s", "y", -5), -5);
  EXPECT_EQ(ini.ReadInteger("s", "big", -5), -5);
  EXPECT_EQ(ini.ReadInteger("s", "neg", -5), INT32_MIN);
  EXPECT_EQ(ini.ReadInteger("s", "full", -5), -1);
  EXPECT_EQ(ini.ReadInteger("s", "none", 7), 7);
}

TEST(SkinColour, ComponentRules) {
  EXPECT_EQ(ParseSkinColour("255 255 255", 1), 0xFFFFFFu);
  EXPECT_EQ(ParseSkinColour("255,128,0", 1), 0x0080FFu);  // orange
  EXPECT_EQ(ParseSkinColour("12 34", 1), 12u);            // second not followed by a separator
  EXPECT_EQ(ParseSkinColour("12 34 ", 1), 12u);           // trimmed first
  EXPECT_EQ(ParseSkinColour("12 34,", 1), 12u | (34u << 8));
  EXPECT_EQ(ParseSkinColour("200", 1), 0u);                   // a single number gives black
  EXPECT_EQ(ParseSkinColour("256;257;258;9", 1), 0x020100u);  // modulo 256, fourth ignored
  EXPECT_EQ(ParseSkinColour("  ", 0x123456), 0x123456u);
  EXPECT_EQ(ParseSkinColour("", 0x123456), 0x123456u);
  EXPECT_EQ(ParseSkinColour("x", 0x123456), 0u);
}

}  // namespace
