// The report as rich text (the dialog's General and CPU pages) and as an HTML page.
#pragma once

#include <string>
#include <string_view>

struct TRichTextStyle {
  int charset = 134;  // the font's character set, from the locale (134: GB2312)
  std::string fontName = "Courier New";
  // Width of one character of the fixed-pitch font in twips; the value column's tab stop is
  // set from it (144 is a 12-point font, rich text's size when none is given).
  int charTwips = 144;
};

// RTF in code page 936: titles bold in colour 1, labels bold in colour 3, values in colour 2,
// values of each block on one tab stop. "\", "{", "}" are escaped and every byte from 0x80
// (a GBK character's two bytes together) is written as \'hh, so no text can change the markup.
std::string ReportRichText(std::string_view text, const TRichTextStyle& style = {});
// Text for RTF: the escapes above.
std::string RtfEscape(std::string_view text);

// Report text for an HTML page: & < > " ' escaped, pairs of blanks as "&nbsp;&nbsp;", each
// line break as "<br>" and a line break.
std::string HtmlEscapeReport(std::string_view text);
// The page: the template with the escaped report in place of "<%HTML_TAG%>" (appended when
// the template has none), "<title>" with the title and the character set in its head, and
// the comment "<!-- QuillonLog ID: id -->" first.
std::string HtmlReportPage(std::string_view reportText, std::string_view pageTemplate, std::string_view title,
                           std::string_view id);
