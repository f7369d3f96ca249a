// TTextTable: the call-stack and modules tables of a report.
//
//   -------------------------------
//   |Address |Module     |Line     |
//   -------------------------------
//   |Exception Thread: ID=1234; ...|
//   |00401234|netvosk.exe|42       |
//   -------------------------------
#pragma once

#include <string>
#include <vector>

class TTextTable {
 public:
  // minWidths: the least width of each column (0 when the title and values decide).
  TTextTable(std::vector<std::string> titles, std::vector<size_t> minWidths = {});

  // A row with one value per column (missing ones are empty).
  void AddRow(std::vector<std::string> cells);
  // A row of one cell spanning the table, preceded by a rule unless it comes first.
  void AddCaption(std::string text);

  // Each column as wide as its longest title or value (or its least width); the last column
  // widens when a caption would not fit. Every line ends with CR LF.
  std::string Text() const;
  // The width each column gets.
  std::vector<size_t> Widths() const;

 private:
  struct Row {
    bool caption = false;
    std::vector<std::string> cells;
  };
  std::vector<std::string> titles_;
  std::vector<size_t> minWidths_;
  std::vector<Row> rows_;
};
