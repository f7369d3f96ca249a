// Reading a report back from its text (stored in the log, or sent to us).
//
// The reader goes by the text's structure, not by its labels, so reports written with other
// (translated) texts read as well: a section is a title line followed by a line of "-"; a
// general block holds "  N.M label: value" lines; a table starts with a "|" row.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Items 2.2 to 2.5 (address, module, type, message): what makes two reports the same error.
// A missing value is an item that the report does not show.
struct TReportKey {
  std::optional<std::string> address, module, type, message;
  // Same error: every value is known on both sides and equal.
  bool SameErrorAs(const TReportKey& other) const;
};

struct TParsedItem {
  int header = 0, item = 0;
  std::string label;
  std::string value;  // as written back: continuation lines joined, escapes undone, trimmed
};

struct TParsedTable {
  struct Row {
    bool caption = false;
    std::vector<std::string> cells;  // one cell for a caption row; blanks at the right removed
  };
  std::string title;
  std::vector<std::string> titles;
  std::vector<Row> rows;
};

struct TParsedDumpLine {
  std::string stackAddress, stackWord, codeAddress, bytes, chars;
};

struct TParsedSection {  // any other titled section: custom data, steps to reproduce, empty forms
  std::string title;
  std::vector<std::string> lines;
};

struct TParsedReport {
  std::string productVersion;  // the first line after the product word: "5.1.11"
  std::vector<std::string> blockTitles;
  std::vector<TParsedItem> items;
  std::optional<TParsedTable> callStack, modules;  // the six- and the seven-column table
  bool hasCpu = false;
  std::string cpuTitle;
  std::vector<std::pair<std::string, std::string>> registers;  // "EAX", "0012FF80" in report order
  std::string dumpTitle;
  std::vector<TParsedDumpLine> dump;
  std::vector<TParsedSection> sections;

  const TParsedItem* Item(int header, int item) const;
  const TParsedSection* Section(std::string_view title) const;
};

TParsedReport ParseReportText(std::string_view text);
// Only the general items, which is what the log's checks need.
std::vector<TParsedItem> ParseGeneralItems(std::string_view text);
// Item N.M of a report, or nothing when the report does not show it.
std::optional<std::string> ReportItemValue(std::string_view text, int header, int item);
TReportKey StoredReportKey(std::string_view text);
// The report's free-text lines as written: line breaks unified, each empty line ".".
std::vector<std::string> FreeTextLines(std::string_view text);
// And back.
std::string FreeTextFromLines(const std::vector<std::string>& lines);
