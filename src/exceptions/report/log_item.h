// TLogItem: builds the numbered general section of a report.
//
//   Application:
//   ----------------------------------------------
//     1.1 Start Date      : Tue, 3 Dec 2024 09:05:07 +0100
//     1.2 Name/Description: netvosk.exe - Netvosk
//
// Every item takes a number, also a hidden one, so "2.5" is the message whatever is shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TLogItem {
 public:
  explicit TLogItem(int firstHeader = 0) : firstHeader_(firstHeader), header_(firstHeader) {}

  // Starts the next numbered block.
  void AddHeader(std::string_view title);
  // Numbers the next item of the current block; only a shown item is written.
  void AddItem(std::string_view label, std::string_view value, bool shown = true);

  int HeaderNumber() const { return header_; }
  int ItemNumber() const { return item_; }

  // The finished section: blocks without a shown item left out, the ": " of each block in
  // one column, the line under each title as long as the block's longest line. No line
  // break at the end.
  std::string Text() const;

 private:
  struct Item {
    std::string prefix;              // "  1.2 Name/Description"
    std::vector<std::string> lines;  // the value's first line, then its continuation lines
  };
  struct Block {
    std::string title;
    std::vector<Item> items;  // shown items only
  };
  int firstHeader_;
  int header_;
  int item_ = 0;
  std::vector<Block> blocks_;
};

// The lines an item value is written as. A one-line value stays as it is; in a value of
// several lines every ": " becomes ":_" and every empty line ".", so that neither the
// alignment nor the log's separators can be disturbed by what the value holds. Line breaks
// at the end of the value are dropped.
std::vector<std::string> ItemValueLines(std::string_view value);
// What reading an item back gives for those lines (the reverse of the above, trimmed).
std::string ItemValueFromLines(const std::vector<std::string>& lines);
// A value as the log reads it back once written: how a new report is compared with stored ones.
std::string ItemValueAsStored(std::string_view value);
// Text split at CR LF, lone CR and lone LF.
std::vector<std::string> SplitReportLines(std::string_view text);
