// The error dialog's pixel layout, its stored place, the development-environment message and
// the plain text of the rich-text pages.
#include "exceptions/dialog/dialog_layout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "exceptions/dialog/coordinates.h"
#include "exceptions/dialog/rtf_text.h"
#include "exceptions/dialog/source_message.h"

namespace {

// The template as it maps with an 8-point font at 96 dpi (6 x 13 base units).
TDialogMetrics Metrics() {
  TDialogMetrics m;
  m.templateWidth = 710;
  m.margin = 11;
  m.gap = 8;
  m.message = {51, 8, 699, 57};
  m.picture = {11, 8, 43, 40};
  m.buttonWidth = 75, m.buttonHeight = 24, m.buttonGap = 74;
  m.checkHeight = 13;
  m.sendWidth = 170, m.screenshotWidth = 150, m.copyWidth = 110, m.linkWidth = 120;
  m.screenshotIndent = 18;
  m.copyLeft = 228;
  m.tabDefaultHeight = 245;
  m.tabMinHeight = 120;
  return m;
}

TDialogLayoutState State(bool details, int rows) {
  TDialogLayoutState s;
  s.details = details;
  s.boxes.rows = rows;
  s.boxes.copy = rows >= 1;
  s.boxes.send = s.boxes.screenshot = rows == 2;
  return s;
}

bool Overlap(const TLayoutRect& a, const TLayoutRect& b) {
  return !a.Empty() && !b.Empty() && a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

TEST(DialogLayout, CollapsedAndExpandedStackTheirBlocks) {
  TDialogMetrics m = Metrics();
  TDialogLayout small = LayoutErrorDialog(m, State(false, 0));
  EXPECT_TRUE(small.tab.Empty());
  EXPECT_GE(small.ok.top, small.message.bottom + m.gap);
  EXPECT_EQ(small.clientHeight, small.ok.bottom + m.gap);
  EXPECT_EQ(small.clientWidth, 710);

  TDialogLayout big = LayoutErrorDialog(m, State(true, 0));
  EXPECT_EQ(big.tab.Height(), m.tabDefaultHeight);
  EXPECT_GE(big.tab.top, big.message.bottom);
  EXPECT_LE(big.tab.bottom, big.ok.top - m.gap);
  EXPECT_EQ(big.tab.left, m.margin);
  EXPECT_EQ(big.tab.right, 710 - m.margin);
  // Given more height, the tab control takes it all; given too little, the minimum holds.
  TDialogLayoutState tall = State(true, 0);
  tall.clientHeight = big.clientHeight + 100;
  EXPECT_EQ(LayoutErrorDialog(m, tall).tab.Height(), m.tabDefaultHeight + 100);
  tall.clientHeight = 10;
  TDialogLayout least = LayoutErrorDialog(m, tall);
  EXPECT_EQ(least.clientHeight, least.minClientHeight);
  EXPECT_EQ(least.tab.Height(), m.tabMinHeight);
}

TEST(DialogLayout, BottomBandGrowsWithItsRowsAndNothingOverlaps) {
  TDialogMetrics m = Metrics();
  int h0 = LayoutErrorDialog(m, State(false, 0)).clientHeight;
  TDialogLayout one = LayoutErrorDialog(m, State(false, 1));
  TDialogLayout two = LayoutErrorDialog(m, State(false, 2));
  EXPECT_EQ(one.bandHeight, 20);
  EXPECT_EQ(two.bandHeight, 34);
  EXPECT_EQ(two.clientHeight - one.clientHeight, 14);
  EXPECT_GT(one.clientHeight, h0);

  TDialogLayoutState s = State(true, 2);
  s.boxes.supportLink = true;
  TDialogLayout l = LayoutErrorDialog(m, s);
  std::vector<TLayoutRect> all{l.message, l.tab,  l.kill,       l.ok,   l.details,
                               l.line,    l.send, l.screenshot, l.copy, l.link};
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_LE(all[i].bottom, l.clientHeight) << i;
    EXPECT_LE(all[i].right, l.clientWidth) << i;
    for (size_t j = i + 1; j < all.size(); ++j) EXPECT_FALSE(Overlap(all[i], all[j])) << i << " " << j;
  }
  EXPECT_EQ(l.send.top, l.copy.top);
  EXPECT_GT(l.screenshot.top, l.send.bottom - 1);
  EXPECT_EQ(l.link.right, l.clientWidth - m.margin);
  EXPECT_EQ(l.link.top, l.screenshot.top);  // on the last row
  EXPECT_GE(l.line.top, l.ok.bottom);
}

TEST(DialogLayout, ButtonsAreCentredWithOrWithoutKill) {
  TDialogMetrics m = Metrics();
  TDialogLayout three = LayoutErrorDialog(m, State(false, 0));
  EXPECT_EQ(three.kill.right + m.buttonGap, three.ok.left);
  EXPECT_EQ(three.ok.right + m.buttonGap, three.details.left);
  EXPECT_NEAR(three.kill.left, three.clientWidth - three.details.right, 1);

  TDialogLayoutState s = State(false, 0);
  s.kill = false;
  TDialogLayout two = LayoutErrorDialog(m, s);
  EXPECT_TRUE(two.kill.Empty());
  EXPECT_NEAR(two.ok.left, two.clientWidth - two.details.right, 1);

  // Narrower than the buttons need: the minimum width wins.
  s.clientWidth = 50;
  TDialogLayout narrow = LayoutErrorDialog(m, s);
  EXPECT_EQ(narrow.clientWidth, narrow.minClientWidth);
  EXPECT_GE(narrow.ok.left, m.margin);
}

TEST(DialogLayout, LongMessagesGrowTheTopUpToALimit) {
  TDialogMetrics m = Metrics();
  m.messageTextHeight = 100;
  TDialogLayout l = LayoutErrorDialog(m, State(false, 0));
  EXPECT_EQ(l.message.Height(), 100);
  EXPECT_GE(l.ok.top, 108);
  m.messageTextHeight = 5000;
  m.messageMaxHeight = 156;
  EXPECT_EQ(LayoutErrorDialog(m, State(false, 0)).message.Height(), 156);
  m.messageTextHeight = 10;  // shorter than the template's area: the area stays
  EXPECT_EQ(LayoutErrorDialog(m, State(false, 0)).message.Height(), m.message.Height());
}

TEST(RequestLayout, GrowsByWhatThePromptNeeds) {
  TRequestLayout same =
      LayoutRequestDialog({12, 6, 465, 22}, {12, 26, 465, 213}, {200, 218, 275, 242}, 249, 13);
  EXPECT_EQ(same.clientHeight, 249);
  EXPECT_EQ(same.edit.top, 26);
  TRequestLayout grown =
      LayoutRequestDialog({12, 6, 465, 22}, {12, 26, 465, 213}, {200, 218, 275, 242}, 249, 52);
  EXPECT_EQ(grown.clientHeight, 249 + 36);
  EXPECT_EQ(grown.prompt.Height(), 52);
  EXPECT_EQ(grown.edit.top, 26 + 36);
  EXPECT_EQ(grown.edit.Height(), 187);
  EXPECT_EQ(grown.ok.top, 218 + 36);
}

TEST(DialogCoordinates, StoredPlaceIsKeptWhileReachable) {
  TLayoutRect work{0, 0, 1024, 740};
  TDialogCoordinates c;
  c.hasPlace = true;
  c.left = 100, c.top = 50, c.width = 800, c.height = 500;
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300), (TLayoutRect{100, 50, 900, 550}));
  // Smaller than the least it may be: grown.
  c.width = 10;
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300).Width(), 400);
  // Off the screen (a monitor that is gone): centred.
  c.width = 800;
  c.left = 3000;
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300), (TLayoutRect{112, 120, 912, 620}));
  c.left = 100, c.top = -20;  // the caption above the screen cannot be taken hold of
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300).top, 120);
  c.left = 700, c.top = 400;  // sticking out at the right and the bottom: moved in
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300), (TLayoutRect{224, 240, 1024, 740}));
  // Bigger than the screen: shrunk to it.
  c.top = 0, c.width = 3000, c.height = 3000;
  EXPECT_EQ(FitStoredPlace(c, work, 400, 300), (TLayoutRect{0, 0, 1024, 740}));
  // Nothing stored: the wanted size, centred.
  TDialogCoordinates none;
  none.width = 600, none.height = 200;
  EXPECT_EQ(FitStoredPlace(none, work, 400, 100), (TLayoutRect{212, 270, 812, 470}));

  EXPECT_EQ(UsableColumnWidth(150, 89), 150);
  EXPECT_EQ(UsableColumnWidth(0, 89), 0);
  EXPECT_EQ(UsableColumnWidth(-3, 89), 89);
  EXPECT_EQ(UsableColumnWidth(100000, 89), 89);
}

TEST(DialogCoordinates, FileBesideTheProgram) {
  EXPECT_EQ(CoordinatesFileBeside("C:\\Tools\\netvosk.exe"), "C:\\Tools\\QuillonLog.ini");
  EXPECT_EQ(CoordinatesFileBeside("netvosk.exe"), "QuillonLog.ini");
  // A GBK character may end in byte 5C ("\x81\x5C"): only real separators cut.
  EXPECT_EQ(CoordinatesFileBeside("D:\\\x81\x5C\\netvosk.exe"), "D:\\\x81\x5C\\QuillonLog.ini");
  EXPECT_EQ(CoordinatesFileBeside("D:\\a\x81\x5C"
                                  "b.exe"),
            "D:\\QuillonLog.ini");
}

uint32_t Word(const TSourceMessage& m, size_t at) {
  uint32_t v;
  std::memcpy(&v, m.data() + at, 4);
  return v;
}

TEST(SourceMessage, FieldsAtTheirPlaces) {
  TDialogStackEntry e;
  e.unitName = "main_form.cpp";
  e.className = "TForm1";
  e.procedureName = std::string(200, 'p');  // longer than its field
  e.line = 86;
  e.lineOffset = 4;
  e.debugHeader = {0x11223344, 0x55667788};
  TSourceMessage m = SourceMessage(e, "C:\\网络工具\\netvosk.exe");
  EXPECT_EQ(m.size(), 376u);
  EXPECT_STREQ(reinterpret_cast<const char*>(m.data()), "C:\\网络工具\\netvosk.exe");
  EXPECT_STREQ(reinterpret_cast<const char*>(m.data() + kSourceUnit.offset), "main_form.cpp");
  EXPECT_STREQ(reinterpret_cast<const char*>(m.data() + kSourceClass.offset), "TForm1");
  // Cut to the field, still terminated, the next field untouched.
  EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(m.data() + kSourceProcedure.offset)),
            kSourceProcedure.size - 1);
  EXPECT_EQ(Word(m, kSourceLineAt), 86u);
  EXPECT_EQ(Word(m, kSourceOffsetAt), 4u);
  EXPECT_EQ(Word(m, kSourceHeaderAt), 0x11223344u);
  EXPECT_EQ(Word(m, kSourceHeaderAt + 4), 0x55667788u);
  EXPECT_EQ(kSourceProcedure.offset + kSourceProcedure.size, kSourceLineAt);

  auto names = SourceMailslotNames("OFFICE-PC");
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], "\\\\OFFICE-PC\\mailslot\\QuillonLog0");
  EXPECT_EQ(names[3], "\\\\OFFICE-PC\\mailslot\\QuillonLog3");
}

TEST(RtfText, TextOfTheReportsRichText) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset134 Courier "
      "New;}}\r\n"
      "{\\colortbl ;\\red0\\green100\\blue100;\\red0\\green0\\blue0;}\r\n"
      "\\pard\\tx3400\\cf1\\b Application:\\par\r\n"
      "\\cf3\\b   1.1 Start Date\\tab\\cf2\\b0 : Tue\\par\r\n"
      "\\cf3\\b   2.5 Message\\tab\\cf2\\b0 : C:\\\\\\'cd\\'f8\\\\ip.ini \\{x\\}\\par\r\n"
      "{\\*\\generator hidden;}end}";
  EXPECT_EQ(RtfToPlainText(rtf),
            "Application:\r\n  1.1 Start Date\t: Tue\r\n  2.5 Message\t: C:\\\xcd\xf8\\ip.ini {x}\r\nend");
  // Cut off or unbalanced: what was read so far, nothing more.
  EXPECT_EQ(RtfToPlainText("{\\rtf1 abc\\'4"), "abc");
  EXPECT_EQ(RtfToPlainText("}}a{b\\"), "ab");
  EXPECT_EQ(RtfToPlainText(""), "");
}

}  // namespace
