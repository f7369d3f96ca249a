#include "exceptions/report/report_reader.h"

#include <cctype>

#include "exceptions/report/log_item.h"
#include "exceptions/report/report_format.h"

namespace {
using Lines = std::vector<std::string>;

bool isRule(const std::string& l) { return !l.empty() && l.find_first_not_of('-') == std::string::npos; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "  N.M " at the start of a line: the numbers, and where the label starts.
bool itemNumbers(const std::string& l, int& n, int& m, size_t& labelStart) {
  if (l.size() < 7 || l[0] != ' ' || l[1] != ' ' || !isDigit(l[2])) return false;
  size_t i = 2;
  long a = 0, b = 0;
  while (i < l.size() && isDigit(l[i]) && a < 100000) a = a * 10 + (l[i++] - '0');
  if (i >= l.size() || l[i] != '.') return false;
  ++i;
  if (i >= l.size() || !isDigit(l[i])) return false;
  while (i < l.size() && isDigit(l[i]) && b < 100000) b = b * 10 + (l[i++] - '0');
  if (i >= l.size() || l[i] != ' ') return false;
  n = static_cast<int>(a);
  m = static_cast<int>(b);
  labelStart = i + 1;
  return true;
}

std::string rtrim(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

std::string titleOf(const std::string& l) {
  std::string t = rtrim(l);
  if (!t.empty() && t.back() == ':') t.pop_back();
  return t;
}

// One general block starting at lines[i] (its first item line); returns the line after it.
size_t readBlock(const Lines& lines, size_t i, std::vector<TParsedItem>& out) {
  int header = 0, last = 0;
  TParsedItem cur;
  std::vector<std::string> valueLines;
  auto flush = [&] {
    if (valueLines.empty()) return;
    cur.value = ItemValueFromLines(valueLines);
    out.push_back(cur);
    valueLines.clear();
  };
  for (; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    int n, m;
    size_t labelStart;
    // An item line is only one that continues this block's numbering: a value line that
    // happens to look like "  2.2 ..." cannot pass itself off as another item.
    if (itemNumbers(l, n, m, labelStart) && (header == 0 || (n == header && m > last))) {
      size_t sep = l.find(": ", labelStart);
      if (sep == std::string::npos) sep = l.size();
      flush();
      header = n;
      last = m;
      cur = TParsedItem{n, m, rtrim(l.substr(labelStart, sep - labelStart)), {}};
      valueLines.push_back(sep + 2 <= l.size() ? l.substr(sep + 2) : std::string());
    } else if (!l.empty() && l[0] == ' ' && header != 0) {
      valueLines.push_back(l.substr(1));
    } else {
      break;
    }
  }
  flush();
  return i;
}

size_t readTable(const Lines& lines, size_t i, TParsedTable& t) {
  // lines[i] is the rule under the title; the title row follows.
  ++i;
  const std::string& head = lines[i];
  std::vector<size_t> bars;
  for (size_t p = 0; p < head.size(); ++p)
    if (head[p] == '|') bars.push_back(p);
  for (size_t b = 1; b < bars.size(); ++b)
    t.titles.push_back(rtrim(head.substr(bars[b - 1] + 1, bars[b] - bars[b - 1] - 1)));
  for (++i; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (isRule(l)) continue;
    if (l.empty() || l[0] != '|') break;
    bool row = l.size() == head.size() && bars.size() >= 2;
    for (size_t p : bars) row = row && l[p] == '|';
    TParsedTable::Row r;
    if (row) {
      for (size_t b = 1; b < bars.size(); ++b)
        r.cells.push_back(rtrim(l.substr(bars[b - 1] + 1, bars[b] - bars[b - 1] - 1)));
    } else {
      r.caption = true;
      std::string inner = l.substr(1);
      if (!inner.empty() && inner.back() == '|') inner.pop_back();
      r.cells.push_back(rtrim(inner));
    }
    t.rows.push_back(std::move(r));
  }
  return i;
}

bool hexField(const std::string& l, size_t at) {
  if (at + 8 > l.size()) return false;
  for (size_t k = at; k < at + 8; ++k)
    if (!std::isxdigit(static_cast<unsigned char>(l[k]))) return false;
  return true;
}

// "0012FF80: 00401234   00401000:  55 8B ... 90 U..."
bool dumpLine(const std::string& l, TParsedDumpLine& d) {
  if (l.size() < 31 || !hexField(l, 0) || l.compare(8, 2, ": ") != 0 || !hexField(l, 10) ||
      l.compare(18, 3, "   ") != 0 || !hexField(l, 21) || l.compare(29, 2, ": ") != 0)
    return false;
  d.stackAddress = l.substr(0, 8);
  d.stackWord = l.substr(10, 8);
  d.codeAddress = l.substr(21, 8);
  std::string rest = l.substr(31);
  // Sixteen " hh", a blank, then the characters.
  size_t hexLength = 0;
  while (hexLength + 3 <= rest.size() && rest[hexLength] == ' ' &&
         std::isxdigit(static_cast<unsigned char>(rest[hexLength + 1])) &&
         std::isxdigit(static_cast<unsigned char>(rest[hexLength + 2])) && hexLength < 48)
    hexLength += 3;
  d.bytes = hexLength ? rest.substr(1, hexLength - 1) : std::string();
  d.chars = hexLength + 1 <= rest.size() ? rest.substr(hexLength + 1) : std::string();
  return true;
}

// Register lines: "EAX: 0012FF80   EDI: 00000000".
void registerPairs(const std::string& l, std::vector<std::pair<std::string, std::string>>& out) {
  size_t p = 0;
  while (p + 5 <= l.size()) {
    size_t colon = l.find(": ", p);
    if (colon == std::string::npos) break;
    size_t end = l.find("   ", colon + 2);
    std::string value = l.substr(colon + 2, end == std::string::npos ? std::string::npos : end - colon - 2);
    out.emplace_back(std::string(TrimReportValue(l.substr(p, colon - p))), rtrim(value));
    if (end == std::string::npos) break;
    p = end + 3;
  }
}

size_t readCpu(const Lines& lines, size_t i, TParsedReport& r) {
  // lines[i] is the rule under the title; register lines follow up to a blank line.
  for (++i; i < lines.size() && !lines[i].empty(); ++i) registerPairs(lines[i], r.registers);
  while (i < lines.size() && lines[i].empty()) ++i;
  if (i + 1 < lines.size() && lines[i + 1].rfind("------------------   -", 0) == 0) {
    r.dumpTitle = rtrim(lines[i]);
    TParsedDumpLine d;
    for (i += 2; i < lines.size() && dumpLine(lines[i], d); ++i) r.dump.push_back(d);
  }
  return i;
}
}  // namespace

bool TReportKey::SameErrorAs(const TReportKey& o) const {
  return address && module && type && message && address == o.address && module == o.module &&
         type == o.type && message == o.message;
}

const TParsedItem* TParsedReport::Item(int header, int item) const {
  for (const TParsedItem& it : items)
    if (it.header == header && it.item == item) return &it;
  return nullptr;
}

const TParsedSection* TParsedReport::Section(std::string_view title) const {
  for (const TParsedSection& s : sections)
    if (s.title == title) return &s;
  return nullptr;
}

TParsedReport ParseReportText(std::string_view text) {
  TParsedReport r;
  Lines lines = SplitReportLines(text);
  size_t i = 0;
  constexpr std::string_view product = "QuillonLog ";
  if (!lines.empty() && lines[0].rfind(product, 0) == 0) {
    r.productVersion = std::string(TrimReportValue(std::string_view(lines[0]).substr(product.size())));
    i = 1;
  }
  while (i < lines.size()) {
    if (lines[i].empty() || i + 1 >= lines.size() || !isRule(lines[i + 1])) {
      ++i;
      continue;
    }
    std::string title = titleOf(lines[i]);
    const std::string* next = i + 2 < lines.size() ? &lines[i + 2] : nullptr;
    int n, m;
    size_t labelStart;
    if (next && !next->empty() && (*next)[0] == '|') {
      TParsedTable t;
      t.title = title;
      i = readTable(lines, i + 1, t);
      if (t.titles.size() == 7 && !r.modules)
        r.modules = std::move(t);
      else if (!r.callStack)
        r.callStack = std::move(t);
    } else if (next && itemNumbers(*next, n, m, labelStart)) {
      r.blockTitles.push_back(title);
      i = readBlock(lines, i + 2, r.items);
    } else if (next && next->rfind("EAX: ", 0) == 0) {
      r.hasCpu = true;
      r.cpuTitle = title;
      i = readCpu(lines, i + 1, r);
    } else {
      TParsedSection s;
      s.title = title;
      for (i += 2; i < lines.size() && !lines[i].empty(); ++i) s.lines.push_back(lines[i]);
      r.sections.push_back(std::move(s));
    }
  }
  return r;
}

std::vector<TParsedItem> ParseGeneralItems(std::string_view text) {
  std::vector<TParsedItem> items;
  Lines lines = SplitReportLines(text);
  for (size_t i = 0; i + 2 < lines.size();) {
    if (!lines[i].empty() && isRule(lines[i + 1])) {
      int n, m;
      size_t labelStart;
      if (!lines[i + 2].empty() && lines[i + 2][0] == '|') break;  // the tables: past the general section
      if (itemNumbers(lines[i + 2], n, m, labelStart)) {
        i = readBlock(lines, i + 2, items);
        continue;
      }
    }
    ++i;
  }
  return items;
}

std::optional<std::string> ReportItemValue(std::string_view text, int header, int item) {
  for (const TParsedItem& it : ParseGeneralItems(text))
    if (it.header == header && it.item == item) return it.value;
  return std::nullopt;
}

TReportKey StoredReportKey(std::string_view text) {
  TReportKey k;
  for (const TParsedItem& it : ParseGeneralItems(text)) {
    if (it.header != 2) continue;
    if (it.item == 2)
      k.address = it.value;
    else if (it.item == 3)
      k.module = it.value;
    else if (it.item == 4)
      k.type = it.value;
    else if (it.item == 5)
      k.message = it.value;
  }
  return k;
}

std::vector<std::string> FreeTextLines(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  std::vector<std::string> lines = SplitReportLines(text);
  for (std::string& l : lines)
    if (l.empty()) l.assign(1, '.');  // assign(): GCC 12 warns falsely on = "."
  return lines;
}

std::string FreeTextFromLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    if (lines[i] != ".") out += lines[i];
  }
  return out;
}
