#include "exceptions/report/log_item.h"

#include <algorithm>

#include "exceptions/report/report_format.h"

namespace {
void replaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

std::string_view withoutTrailingBreaks(std::string_view v) {
  while (!v.empty() && (v.back() == '\r' || v.back() == '\n')) v.remove_suffix(1);
  return v;
}

// Labels come from the customisable texts: keep them on one line and free of ": ", which
// marks where the value starts.
std::string cleanLabel(std::string_view label) {
  std::string s(label);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  replaceAll(s, ": ", ":_");
  return s;
}
}  // namespace

std::vector<std::string> SplitReportLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> ItemValueLines(std::string_view value) {
  std::vector<std::string> lines = SplitReportLines(withoutTrailingBreaks(value));
  if (lines.size() == 1) return lines;
  for (std::string& l : lines) {
    replaceAll(l, ": ", ":_");
    if (l.empty()) l.assign(1, '.');  // assign(): GCC 12 warns falsely on = "."
  }
  return lines;
}

std::string ItemValueFromLines(const std::vector<std::string>& lines) {
  if (lines.size() == 1) return std::string(TrimReportValue(lines[0]));
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string l = lines[i] == "." ? std::string() : lines[i];
    replaceAll(l, ":_", ": ");
    if (i) out += "\r\n";
    out += l;
  }
  return std::string(TrimReportValue(out));
}

std::string ItemValueAsStored(std::string_view value) { return ItemValueFromLines(ItemValueLines(value)); }

void TLogItem::AddHeader(std::string_view title) {
  ++header_;
  item_ = 0;
  blocks_.push_back(Block{cleanLabel(title), {}});
}

void TLogItem::AddItem(std::string_view label, std::string_view value, bool shown) {
  ++item_;
  if (!shown || blocks_.empty()) return;
  Item it;
  it.prefix = "  " + std::to_string(header_) + "." + std::to_string(item_) + " " + cleanLabel(label);
  it.lines = ItemValueLines(value);
  blocks_.back().items.push_back(std::move(it));
}

std::string TLogItem::Text() const {
  std::string out;
  for (const Block& b : blocks_) {
    // A block with nothing shown says nothing: it goes, and the other blocks keep their numbers.
    if (b.items.empty()) continue;
    size_t column = 0;
    for (const Item& it : b.items) column = std::max(column, it.prefix.size());
    std::vector<std::string> lines;
    size_t longest = b.title.size() + 1;
    for (const Item& it : b.items) {
      std::string first = it.prefix;
      first.append(column - it.prefix.size(), ' ');
      first += ": ";
      first += it.lines[0];
      longest = std::max(longest, first.size());
      lines.push_back(std::move(first));
      for (size_t i = 1; i < it.lines.size(); ++i) {
        lines.push_back(" " + it.lines[i]);
        longest = std::max(longest, lines.back().size());
      }
    }
    if (!out.empty()) out += "\r\n\r\n";
    out += b.title;
    out += ":\r\n";
    out.append(longest, '-');
    for (const std::string& l : lines) {
      out += "\r\n";
      out += l;
    }
  }
  return out;
}
