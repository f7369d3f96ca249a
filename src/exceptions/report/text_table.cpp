#include "exceptions/report/text_table.h"

#include <algorithm>

namespace {
void appendCell(std::string& out, const std::string& value, size_t width) {
  out += value;
  if (value.size() < width) out.append(width - value.size(), ' ');
  out += '|';
}
}  // namespace

TTextTable::TTextTable(std::vector<std::string> titles, std::vector<size_t> minWidths)
    : titles_(std::move(titles)), minWidths_(std::move(minWidths)) {
  minWidths_.resize(titles_.size(), 0);
}

void TTextTable::AddRow(std::vector<std::string> cells) {
  cells.resize(titles_.size());
  rows_.push_back(Row{false, std::move(cells)});
}

void TTextTable::AddCaption(std::string text) { rows_.push_back(Row{true, {std::move(text)}}); }

std::vector<size_t> TTextTable::Widths() const {
  std::vector<size_t> w(titles_.size());
  for (size_t c = 0; c < titles_.size(); ++c) w[c] = std::max(minWidths_[c], titles_[c].size());
  size_t longestCaption = 0;
  for (const Row& r : rows_) {
    if (r.caption) {
      longestCaption = std::max(longestCaption, r.cells[0].size());
      continue;
    }
    for (size_t c = 0; c < w.size(); ++c) w[c] = std::max(w[c], r.cells[c].size());
  }
  if (!w.empty()) {
    size_t inner = w.size() - 1;  // the inner "|" a spanning cell covers
    for (size_t x : w) inner += x;
    if (longestCaption > inner) w.back() += longestCaption - inner;
  }
  return w;
}

std::string TTextTable::Text() const {
  std::vector<size_t> w = Widths();
  size_t rowLength = 1;
  for (size_t x : w) rowLength += x + 1;
  const std::string rule = std::string(rowLength, '-') + "\r\n";

  std::string out = rule + "|";
  for (size_t c = 0; c < w.size(); ++c) appendCell(out, titles_[c], w[c]);
  out += "\r\n";
  out += rule;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Row& r = rows_[i];
    if (r.caption && i > 0) out += rule;
    out += '|';
    if (r.caption) {
      appendCell(out, r.cells[0], rowLength - 2);
    } else {
      for (size_t c = 0; c < w.size(); ++c) appendCell(out, r.cells[c], w[c]);
    }
    out += "\r\n";
  }
  out += rule;
  return out;
}
