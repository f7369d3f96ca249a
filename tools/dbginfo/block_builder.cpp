#include "block_builder.h"

#include <algorithm>

#include "exceptions/stack/debug_format.h"

using debuginfo::TLineRecord;

std::vector<TLineRange> RowsToRanges(const TLineTables& tables, const TPeImage& image,
                                     const std::vector<TFunctionSymbol>& functions) {
  std::vector<TLineRange> ranges;
  const uint64_t base = image.ImageBase();
  for (const auto& seq : tables.sequences) {
    for (size_t i = 0; i + 1 < seq.size(); ++i) {
      const TLineRow& row = seq[i];
      const TLineRow& next = seq[i + 1];
      if (row.endSequence || next.address < row.address) continue;
      if (next.address == row.address) continue;  // a later row at this address wins
      if (row.line == 0 || row.address < base || next.address - base > 0xFFFFFFFFu) continue;
      uint32_t start = static_cast<uint32_t>(row.address - base),
               end = static_cast<uint32_t>(next.address - base);
      const TPeSection* sec = image.SectionOfRva(start);
      // Sequences of code the linker threw away start at address 0; they fall outside.
      if (!sec || !image.IsCode(*sec) || end - sec->virtualAddress > std::max(sec->virtualSize, sec->rawSize))
        continue;
      ranges.push_back({start, end, row.file, row.line});
    }
  }
  std::sort(ranges.begin(), ranges.end(),
            [](const TLineRange& a, const TLineRange& b) { return a.start < b.start; });
  std::vector<TLineRange> clean;
  for (TLineRange r : ranges) {
    if (!clean.empty() && r.start < clean.back().end) r.start = clean.back().end;
    if (r.start >= r.end) continue;
    // Split where a function begins inside the range.
    auto f = std::upper_bound(functions.begin(), functions.end(), r.start,
                              [](uint32_t a, const TFunctionSymbol& s) { return a < s.rva; });
    for (; f != functions.end() && f->rva < r.end; ++f) {
      clean.push_back({r.start, f->rva, r.file, r.line});
      r.start = f->rva;
    }
    clean.push_back(r);
  }
  return clean;
}

std::string StoredProcedureName(const TFunctionSymbol& f, const std::string& previousScope,
                                bool hasPrevious) {
  const size_t limit = debuginfo::kMaxNameLength;
  std::string name = f.name.substr(0, limit - 2);
  if (f.scope.empty()) return name;
  if (hasPrevious && f.scope == previousScope) return "." + name;
  // A scope cut to a few characters says nothing; leave it out then.
  size_t room = limit - 1 - name.size();
  if (room < f.scope.size() && room < 32) return name;
  return f.scope.substr(0, room) + "." + name;
}

namespace {
std::string relativeTo(const std::string& path, const std::string& root) {
  if (!root.empty() && path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
      (path[root.size()] == '/' || root.back() == '/'))
    return path.substr(root.size() + (root.back() == '/' ? 0 : 1));
  return path;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct UnitWriter {
  std::vector<uint8_t>& out;
  size_t tableSizeAt = 0, tableStart = 0, sizeAt = 0;
  uint32_t start = 0, line = 0, address = 0;
  std::string scope;
  bool hasProcedure = false;

  void begin(const std::string& name, uint32_t firstLine, uint32_t unitStart) {
    debuginfo::AppendName(out, name);
    put32(out, firstLine);
    put32(out, unitStart);
    sizeAt = out.size();
    put32(out, 0);
    tableSizeAt = out.size();
    put32(out, 0);
    tableStart = out.size();
    start = address = unitStart;
    line = firstLine;
    hasProcedure = false;
    scope.clear();
  }
  void record(uint32_t toLine, uint32_t toAddress, const TFunctionSymbol* procedure) {
    TLineRecord r{toLine - line, toAddress - address, procedure != nullptr};
    debuginfo::EncodeLineRecord(out, r);
    if (procedure) {
      debuginfo::AppendName(out, StoredProcedureName(*procedure, scope, hasProcedure));
      scope = procedure->scope;
      hasProcedure = true;
    }
    line = toLine;
    address = toAddress;
  }
  void end(uint32_t unitEnd) {
    set32(out, sizeAt, unitEnd - start);
    set32(out, tableSizeAt, static_cast<uint32_t>(out.size() - tableStart));
  }
};
}  // namespace

std::vector<uint8_t> BuildStream(const std::vector<TLineRange>& ranges, const std::vector<std::string>& files,
                                 const std::vector<TFunctionSymbol>& functions, const std::string& root,
                                 TBuildStats* stats) {
  std::vector<uint8_t> out;
  put32(out, 0);  // nothing in the skipped part
  size_t countAt = out.size();
  put32(out, 0);
  uint32_t units = 0;
  size_t procedures = 0;
  // Where each function's first range lies, for the line offsets of units that begin inside it.
  auto rangeAt = [&](uint32_t rva) -> const TLineRange* {
    auto it = std::lower_bound(ranges.begin(), ranges.end(), rva,
                               [](const TLineRange& r, uint32_t a) { return r.start < a; });
    return it != ranges.end() && it->start == rva ? &*it : nullptr;
  };
  auto functionAt = [&](uint32_t rva) -> const TFunctionSymbol* {
    auto it = std::lower_bound(functions.begin(), functions.end(), rva,
                               [](const TFunctionSymbol& f, uint32_t a) { return f.rva < a; });
    return it != functions.end() && it->rva == rva ? &*it : nullptr;
  };
  auto functionAround = [&](uint32_t rva) -> const TFunctionSymbol* {
    auto it = std::upper_bound(functions.begin(), functions.end(), rva,
                               [](uint32_t a, const TFunctionSymbol& f) { return a < f.rva; });
    return it == functions.begin() ? nullptr : &*(it - 1);
  };

  UnitWriter w{out};
  size_t i = 0;
  while (i < ranges.size()) {
    const TLineRange& first = ranges[i];
    const TFunctionSymbol* fn = functionAt(first.start);
    const TFunctionSymbol* around = fn ? fn : functionAround(first.start);
    // A unit that begins inside a function starts one row earlier, at that function's first
    // line, so that line offsets still count from the function's start.
    uint32_t procedureLine = first.line;
    if (!fn && around) {
      const TLineRange* entry = rangeAt(around->rva);
      if (entry && entry->file == first.file && entry->line < first.line &&
          first.line - entry->line <= debuginfo::kMaxLineDelta)
        procedureLine = entry->line;
    }
    w.begin(relativeTo(files[first.file], root), procedureLine - 1, first.start);
    w.record(procedureLine, first.start, around);
    if (procedureLine != first.line) w.record(first.line, first.start, nullptr);
    procedures += around != nullptr;
    uint32_t end = first.end;
    size_t j = i + 1;
    for (; j < ranges.size(); ++j) {
      const TLineRange& r = ranges[j];
      const TLineRange& prev = ranges[j - 1];
      bool fits = r.file == first.file && r.start == prev.end && r.line > w.line &&
                  r.line - w.line <= debuginfo::kMaxLineDelta &&
                  r.start - w.address <= debuginfo::kMaxAddressDelta;
      const TFunctionSymbol* starts = functionAt(r.start);
      // The same line again, inside one function, just widens the current row.
      if (r.file == first.file && r.start == prev.end && r.line == w.line && !starts) {
        end = r.end;
        continue;
      }
      if (!fits) break;
      w.record(r.line, r.start, starts);
      procedures += starts != nullptr;
      end = r.end;
    }
    w.end(end);
    ++units;
    i = j;
  }
  set32(out, countAt, units);
  if (stats) {
    stats->ranges = ranges.size();
    stats->units = units;
    stats->procedures = procedures;
  }
  return out;
}
