// The readable options file, the program's own choice of options, and optpack.
#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"
#include "exceptions/options/options_text.h"
#include "host/exceptions/tool_helpers.h"

namespace {

TEST(QuillonOptionsText, ParsesValuesTextsAndFiltersInOrder) {
  TQuillonModuleOptions o("m.exe", false);
  ParseQuillonOptionsText(
      "; comment\n[Options]\r\n  WriteLog = no\nLogCapacity = 0x40\nMailSubject = \"Report\\r\\n\\x41\\\"\"\n"
      "LogLocation =  D:\\logs  \nGeneralItemFlags = 0xFFFFFFFFFF\n[Texts]\n16 = \"&Neu\"\n"
      "[Filters]\nEAbort =\nEAccessViolation = \"Bad pointer.\"\n",
      o);
  EXPECT_FALSE(o.WriteLog());
  EXPECT_EQ(o.LogCapacity(), 64);
  EXPECT_EQ(o.MailSubject(), "Report\r\nA\"");
  EXPECT_EQ(o.LogLocation(), "D:\\logs");
  EXPECT_EQ(o.Text(16), "&Neu");
  EXPECT_EQ(o.Text(15), "&Terminate");
  EXPECT_EQ(o.FilterClasses(), (TStringVector{"EAbort", "EAccessViolation"}));
  EXPECT_EQ(o.FilterMessages(), (TStringVector{"", "Bad pointer."}));
  EXPECT_EQ(o.MailServerPort(), 25);  // not named: default

  // What the writer prints reads back to the same options.
  TQuillonModuleOptions again("m.exe", false);
  ParseQuillonOptionsText(QuillonOptionsToText(o), again);
  EXPECT_TRUE(again.Values() == o.Values());
}

TEST(QuillonOptionsText, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"[Options]\nNoSuchOption = 1\n", "f line 2: unknown option \"NoSuchOption\""},
      {"[Options]\n\nInitialTab = 256\n", "f line 3: 256 is out of range"},
      {"[Options]\nWriteLog = maybe\n", "f line 2: \"maybe\" is not a boolean"},
      {"WriteLog = true\n", "f line 1: option outside a section"},
      {"[Options]\nWriteLog=1\nwritelog=0\n", "f line 3: \"writelog\" given twice"},
      {"[Texts]\n96 = x\n", "f line 2: no text number \"96\""},
      {"[Options]\nMailText = \"open\n", "f line 2: missing closing quotation mark"},
      {"[Other]\n", "f line 1: unknown section [Other]"},
      {"[Options]\nOwnerModule = x.exe\n", "f line 2: unknown option \"OwnerModule\""},
  };
  for (const Case& c : cases) {
    TQuillonModuleOptions o("m.exe", false);
    o.SetMailServer("kept");
    try {
      ParseQuillonOptionsText(c.text, o, "f");
      ADD_FAILURE() << c.text;
    } catch (const EQuillonOptionsError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(o.MailServer(), "kept");
  }
}

TEST(QuillonOptionsText, ProgramOptionsFileHoldsItsChoices) {
  std::string text = reptest::ReadFile(std::string(NV_SOURCE_DIR) + "/resources/reporter/netvosk-options.ini");
  ASSERT_FALSE(text.empty());
  TQuillonModuleOptions o("netvosk.exe", false);
  ParseQuillonOptionsText(text, o);
  EXPECT_TRUE(o.ReportContentFlags() & rcNoDuplicates);
  EXPECT_TRUE(o.FiltersEnabled());
  EAbort abort("");
  EXPECT_EQ(o.FindFilter(abort), 0u);
  EXPECT_EQ(o.FilterMessage(0), "");
  EXPECT_EQ(o.MailMethod(), mmNone);
  EXPECT_EQ(o.Text(16), "&Restart");

  // The packed form the build made from it loads to the same options.
  std::string packed = reptest::ReadFile(std::string(NV_BINARY_DIR) + "/src/exceptions/netvosk-options.qlo");
  ASSERT_FALSE(packed.empty());
  TQuillonModuleOptions loaded("netvosk.exe", false);
  loaded.LoadFromBytes(reinterpret_cast<const uint8_t*>(packed.data()), packed.size());
  EXPECT_TRUE(loaded.Values() == o.Values());
}

TEST(QuillonOptionsText, OptpackConvertsTextsToGbkAndScramblesPasswords) {
  reptest::ScratchDir dir;
  std::string ini = dir.File("in.ini"), out = dir.File("out.qlo");
  // UTF-8 source text, with a byte-order mark.
  reptest::WriteFile(ini, "\xEF\xBB\xBF[Options]\nMailPassword = hunter2-secret\n[Texts]\n"
                          "16 = \"\xE9\x87\x8D\xE6\x96\xB0\xE5\x90\xAF\xE5\x8A\xA8\"\n");
  std::string optpack = std::string(NV_BINARY_DIR) + "/tools/optpack/optpack";
  reptest::ToolResult r = reptest::Run(optpack + " " + ini + " " + out);
  ASSERT_EQ(r.status, 0) << r.out;
  std::string packed = reptest::ReadFile(out);
  EXPECT_EQ(packed.find("hunter2"), std::string::npos);
  TQuillonModuleOptions o("m.exe", false);
  o.LoadFromBytes(reinterpret_cast<const uint8_t*>(packed.data()), packed.size());
  EXPECT_EQ(o.Text(16), "\xD6\xD8\xD0\xC2\xC6\xF4\xB6\xAF");  // 重新启动 in GBK
  EXPECT_EQ(o.MailPassword(), "hunter2-secret");

  reptest::WriteFile(ini, "[Options]\nBogus = 1\n");
  r = reptest::Run(optpack + " " + ini + " " + out);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("line 2: unknown option \"Bogus\""), std::string::npos) << r.out;
}

}  // namespace
