// The XML export read by Python's own XML parser, and the rich-text and HTML escaping.
#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"
#include "exceptions/report/log_file.h"
#include "exceptions/report/report_render.h"
#include "exceptions/report/report_text.h"
#include "exceptions/report/text_convert.h"
#include "exceptions/report/xml_export.h"
#include "host/exceptions/report_fixtures.h"
#include "host/exceptions/tool_helpers.h"

namespace {
using namespace reptest;

std::vector<std::string> ThreeReports() {
  TReportSnapshot a = SampleSnapshot();
  TReportSnapshot b = SampleSnapshot();
  b.exception.message = "Bad <tag attr=\"x\"> & 'quotes'\r\n\r\nsecond: line 办公室";
  b.activeControls.formText = "A & B <C>";
  b.customData = {"key: value", "", "中文"};
  b.reproduceText = "1. open\r\n\r\n2. click \"设置\" & wait";
  b.settings.stackFlags |= skLineOffsets;
  TReportSnapshot c = SampleSnapshot();
  c.settings.generalItems &= ~(0xFull << 6);
  c.settings.contentFlags = 0;
  std::vector<std::string> reports;
  for (const TReportSnapshot* s : {&a, &b, &c}) reports.push_back(StoredReportBody(BuildReportText(*s)));
  return reports;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  return lines;
}

TEST(XmlExport, PythonsParserReadsEveryReportBack) {
  ScratchDir dir;
  TXmlExportOptions o;
  o.toUtf8 = AnsiToUtf8;
  WriteFile(dir.File("log.xml"), XmlExport(ThreeReports(), o));
  ToolResult r = reptest::Run("PYTHONIOENCODING=gb18030 python3 " + std::string(NV_SOURCE_DIR) +
                              "/tests/host/exceptions/xml_summary.py " + dir.File("log.xml"));
  ASSERT_EQ(r.status, 0) << r.out;
  std::vector<std::string> l = Lines(r.out);
  auto has = [&](const std::string& line) {
    return std::find(l.begin(), l.end(), line) != l.end() ? ::testing::AssertionSuccess()
                                                          : ::testing::AssertionFailure()
                                                                << "missing: " << line << "\n"
                                                                << r.out;
  };
  EXPECT_TRUE(has("root Doc -"));
  EXPECT_TRUE(has("0 version 5.1.11"));
  EXPECT_TRUE(has("0 general Address '00401A2B'"));
  EXPECT_TRUE(has("0 general FormText 'Netvosk2.1--免费版'"));
  EXPECT_TRUE(has("0 thread ExceptionThread 1204 Normal None True"));
  EXPECT_TRUE(has("0  row 00401A2B netvosk.exe main_form.cpp TForm1 Button2Click 212 None"));
  EXPECT_TRUE(has("0  row 7E368734 user32.dll None None CallWindowProcA None None"));
  EXPECT_TRUE(has("0 thread RunningThread 2216 Highest TSendThread False"));
  EXPECT_TRUE(has("0 thread CallingThread 3300 Lower None False"));
  EXPECT_TRUE(
      has("0 module 00400000 netvosk.exe Netvosk IP 切换 1482752 2024-11-30 18:02:09 "
          "C:\\Program Files\\Netvosk\\netvosk.exe"));
  EXPECT_TRUE(has("0 registers 00A3F2C0 00401A2B 16"));
  EXPECT_TRUE(
      has("0 dump 0012FE04 744F2A05 00401A2B 55 8B EC 83 C4 F0 53 56 57 33 C0 89 45 F0 68 65 "
          "'U.....SVW3..E.he'"));
  EXPECT_TRUE(has("0 steps None"));
  EXPECT_TRUE(has("1 general Message 'Bad <tag attr=\"x\"> & \\'quotes\\'\\r\\n\\r\\nsecond: line 办公室.'"));
  EXPECT_TRUE(has("1 general FormText 'A & B <C>'"));
  EXPECT_TRUE(has("1 general CustomInformation 'key: value\\r\\n\\r\\n中文'"));
  EXPECT_TRUE(has("1  row 00401A2B netvosk.exe main_form.cpp TForm1 Button2Click 212 14"));
  EXPECT_TRUE(has("1 steps '1. open\\r\\n\\r\\n2. click \"设置\" & wait'"));
  // Hidden items are left out, switched-off sections too.
  EXPECT_TRUE(has("2 general Address None"));
  EXPECT_TRUE(has("2 general VersionNumber '2.1.0.0'"));
  EXPECT_EQ(r.out.find("2 module"), std::string::npos);
  EXPECT_EQ(r.out.find("2 registers"), std::string::npos);
}

TEST(XmlExport, DocumentFormAndPasswordHook) {
  TXmlExportOptions o;
  EXPECT_EQ(XmlExport({}, o), "<Doc>\r\n</Doc>");
  std::string doc = XmlExport(ThreeReports(), o);
  EXPECT_EQ(doc.rfind("<Doc>\r\n  <Log Version=\"5.1.11\">\r\n    <General StartDate=\"Tue, 3 Dec 2024", 0),
            0u);
  EXPECT_EQ(doc.substr(doc.size() - 16), "  </Log>\r\n</Doc>");
  // Every line inside the document is indented.
  for (const std::string& line : Lines(doc)) {
    if (line != "<Doc>\r" && line.rfind("</Doc>", 0) != 0) {
      EXPECT_EQ(line.compare(0, 2, "  "), 0) << line;
    }
  }
  int asked = 0;
  o.passwordRequest = [&] {
    ++asked;
    return std::string("s3cret");
  };
  doc = XmlExport({}, o);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(doc.rfind("<Doc Password=\"", 0), 0u);
  EXPECT_EQ(doc.find("s3cret"), std::string::npos);
  o.password = "given";
  XmlExport({}, o);
  EXPECT_EQ(asked, 1) << "a password already known is not asked for";
}

TEST(XmlExport, EscapesMarkupBreaksAndControlCharacters) {
  EXPECT_EQ(XmlEscape("a&b<c>d\"e'f\tg\r\nh\x01i\x7fj"),
            "a&#038;b&#060;c&#062;d&#034;e&#039;f&#009;g&#013;&#010;h?i\x7fj");
  TXMLItem root("R");
  root.AddAttribute("A", "x\"y");
  root.AddChild("Empty");
  root.AddChild("T").SetText("<t>");
  EXPECT_EQ(root.Text(), "<R A=\"x&#034;y\">\r\n  <Empty/>\r\n  <T>&#060;t&#062;</T>\r\n</R>\r\n");
}

TEST(RichText, EscapesMarkupAndWritesGbkAsHexPairs) {
  EXPECT_EQ(RtfEscape("a\\b{c}d"), "a\\\\b\\{c\\}d");
  // A GBK character whose second byte is "\" or "}" stays one character.
  EXPECT_EQ(RtfEscape("\xB1\x5C\xC9\x7D"), "\\'b1\\'5c\\'c9\\'7d");
  EXPECT_EQ(RtfEscape("\x80 \xFF"), "\\'80 \\'ff");
  EXPECT_EQ(RtfEscape("\t"), "\\tab ");
}

TEST(RichText, TitlesLabelsAndValuesGetTheirStyles) {
  TRichTextStyle style;
  style.fontName = "宋体";
  std::string rtf = ReportRichText(GeneralSectionText(SampleSnapshot()), style);
  EXPECT_EQ(
      rtf.rfind("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset134 "
                "\\'cb\\'ce\\'cc\\'e5;}}\r\n{\\colortbl ;\\red0\\green100\\blue100;",
                0),
      0u);
  // "  1.2 Name/Description" is the longest label: the tab stop stands two characters behind it.
  EXPECT_NE(rtf.find("\\pard\\tx3456\\cf1\\b Application:\\par\r\n"), std::string::npos);
  EXPECT_NE(rtf.find("\\cf3\\b   1.1 Start Date:\\cf2\\b0\\tab Tue, 3 Dec 2024 09:05:07 +0800\\par\r\n"),
            std::string::npos);
  EXPECT_NE(
      rtf.find("\\cf3\\b   3.2 Form Text:\\cf2\\b0\\tab Netvosk2.1--\\'c3\\'e2\\'b7\\'d1\\'b0\\'e6\\par"),
      std::string::npos);
  EXPECT_EQ(rtf.back(), '}');
  std::string cpu = ReportRichText(CpuSectionText(SampleSnapshot()));
  EXPECT_NE(cpu.find("\\cf3\\b EAX:\\cf2\\b0  00A3F2C0   \\cf3\\b EDI:\\cf2\\b0  0012FE10\\par"),
            std::string::npos);
  EXPECT_NE(cpu.find("world\\{\\}|\\\\"), std::string::npos);
}

TEST(HtmlPage, EscapesUserTextAndFillsTheTemplate) {
  EXPECT_EQ(HtmlEscapeReport("a & b <c> \"d\" 'e'\r\n  f   g\nh"),
            "a &amp; b &lt;c&gt; &quot;d&quot; &#039;e&#039;<br>\r\n&nbsp;&nbsp;f&nbsp;&nbsp; g<br>\r\nh");
  std::string page = HtmlReportPage("x <script>", kQuillonWebPageTemplate, "Error & <b>", "abc--d>");
  EXPECT_EQ(page.rfind("<!-- QuillonLog ID: abc-d_ -->\r\n<html>\r\n  <head>\r\n", 0), 0u);
  EXPECT_NE(page.find("<title>Error &amp; &lt;b&gt;</title>"), std::string::npos);
  EXPECT_NE(page.find("charset=GBK"), std::string::npos);
  EXPECT_NE(page.find("size=\"2\">\r\n            x &lt;script&gt;\r\n          </font>"), std::string::npos);
  EXPECT_EQ(page.find("<%HTML_TAG%>"), std::string::npos);
  EXPECT_EQ(HtmlReportPage("r", "<p>", "t", "1"),
            "<!-- QuillonLog ID: 1 -->\r\n<meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=GBK\">\r\n<title>t</title>\r\n<p>r");
}

}  // namespace
