// tools/qlfview on a log written by the log code, and on the same log edited by hand.
#include <gtest/gtest.h>

#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_posix.h"
#include "exceptions/report/report_text.h"
#include "host/exceptions/report_fixtures.h"
#include "host/exceptions/tool_helpers.h"

namespace {
using namespace reptest;

const std::string kTool = std::string(NV_BINARY_DIR) + "/tools/qlfview/qlfview";

struct QlfviewFixture : ::testing::Test {
  ScratchDir dir;
  std::string file = dir.File("netvosk.qlf");
  void SetUp() override {
    TPosixLogStorage storage;
    TLogFile log(storage);
    log.SetFileName(file);
    TReportSnapshot a = SampleSnapshot();
    TReportSnapshot b = SampleSnapshot();
    b.exception.typeName = "EConvertError";
    b.exception.message = "'abc' is not a valid integer\r\nsecond line";
    b.exception.date = TReportDateTime::Make(2024, 12, 4, 8, 0, 1, 480);
    TReportSnapshot c = SampleSnapshot();
    c.settings.generalItems &= ~(uint64_t{1} << 5);  // no date
    c.exception.message = "设置失败";
    for (const TReportSnapshot* s : {&a, &b, &c}) log.Append(BuildReportText(*s), ReportKeyOf(*s), {});
  }
};

TEST_F(QlfviewFixture, ListsShowsAndExportsWhatTheProgramWrote) {
  ToolResult list = reptest::Run(kTool + " list " + file);
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_EQ(
      list.out,
      "  1  Tue, 3 Dec 2024 09:15:42 +0800  EAccessViolation  Access violation at address 00401A2B in module "
      "'netvosk.exe'. Read of address 00000000.\n"
      "  2  Wed, 4 Dec 2024 08:00:01 +0800  EConvertError  'abc' is not a valid integer ...\n"
      "  3  -  EAccessViolation  \xe8\xae\xbe\xe7\xbd\xae\xe5\xa4\xb1\xe8\xb4\xa5.\n");
  ToolResult show = reptest::Run(kTool + " --raw show " + file + " 2");
  EXPECT_EQ(show.out, ParseLog(ReadFile(file))[1] + "\r\n");
  ToolResult xml = reptest::Run(kTool + " xml " + file +
                                " | python3 -c \"import sys, xml.etree.ElementTree as E; "
                                "d = E.fromstring(sys.stdin.buffer.read()); "
                                "print(len(d), d[2].find('General').get('Message'))\"");
  EXPECT_EQ(xml.out, "3 \xe8\xae\xbe\xe7\xbd\xae\xe5\xa4\xb1\xe8\xb4\xa5.\n");
}

TEST_F(QlfviewFixture, ReadsALogWhoseLineBreaksWereChangedByHand) {
  std::string bytes = ReadFile(file), lf;
  for (char c : bytes)
    if (c != '\r') lf += c;
  WriteFile(dir.File("edited.qlf"), lf);
  EXPECT_EQ(reptest::Run(kTool + " list " + dir.File("edited.qlf")).out,
            reptest::Run(kTool + " list " + file).out);
  EXPECT_EQ(reptest::Run(kTool + " --raw show " + dir.File("edited.qlf") + " 3").out,
            reptest::Run(kTool + " --raw show " + file + " 3").out);
}

TEST_F(QlfviewFixture, WrongUseAndMissingFilesSaySo) {
  EXPECT_EQ(reptest::Run(kTool + " show " + file + " 4").status >> 8, 2);
  EXPECT_EQ(reptest::Run(kTool + " list " + dir.File("none.qlf")).status >> 8, 1);
  EXPECT_EQ(reptest::Run(kTool + " frobnicate " + file).status >> 8, 2);
}

}  // namespace
