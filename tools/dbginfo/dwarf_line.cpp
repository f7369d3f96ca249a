#include "dwarf_line.h"

#include <map>

namespace {
enum : uint8_t {
  DW_LNS_copy = 1,
  DW_LNS_advance_pc,
  DW_LNS_advance_line,
  DW_LNS_set_file,
  DW_LNS_set_column,
  DW_LNS_negate_stmt,
  DW_LNS_set_basic_block,
  DW_LNS_const_add_pc,
  DW_LNS_fixed_advance_pc,
};
enum : uint8_t { DW_LNE_end_sequence = 1, DW_LNE_set_address, DW_LNE_define_file };
enum : uint32_t {
  DW_FORM_block2 = 0x03,
  DW_FORM_block4,
  DW_FORM_data2,
  DW_FORM_data4,
  DW_FORM_data8,
  DW_FORM_string,
  DW_FORM_block,
  DW_FORM_block1,
  DW_FORM_data1,
  DW_FORM_sdata = 0x0d,
  DW_FORM_strp,
  DW_FORM_udata,
  DW_FORM_data16 = 0x1e,
  DW_FORM_line_strp = 0x1f,
  DW_FORM_strx = 0x1a,
  DW_FORM_strx1 = 0x25,
};
enum : uint32_t { DW_LNCT_path = 1, DW_LNCT_directory_index = 2 };

struct Reader {
  const uint8_t* d;
  size_t size, pos;
  bool ok = true;
  uint64_t take(size_t n) {
    if (size - pos < n) return ok = false, pos = size, 0;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(d[pos + i]) << (8 * i);
    pos += n;
    return v;
  }
  uint64_t uleb() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      if (pos >= size) return ok = false, 0;
      uint8_t b = d[pos++];
      if (shift < 64) v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
  }
  int64_t sleb() {
    int64_t v = 0;
    int shift = 0;
    uint8_t b;
    do {
      if (pos >= size) return ok = false, 0;
      b = d[pos++];
      if (shift < 64) v |= static_cast<int64_t>(b & 0x7F) << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) v |= -(static_cast<int64_t>(1) << shift);
    return v;
  }
  std::string cstr() {
    size_t start = pos;
    while (pos < size && d[pos]) ++pos;
    if (pos >= size) return ok = false, std::string();
    std::string s(reinterpret_cast<const char*>(d + start), pos - start);
    ++pos;
    return s;
  }
};

std::string stringAt(const std::vector<uint8_t>& sec, uint64_t off) {
  if (off >= sec.size()) return "";
  size_t end = off;
  while (end < sec.size() && sec[end]) ++end;
  return std::string(reinterpret_cast<const char*>(sec.data() + off), end - off);
}

std::string join(const std::string& dir, const std::string& file) {
  if (file.empty() || file[0] == '/' || dir.empty()) return file;
  return dir.back() == '/' ? dir + file : dir + "/" + file;
}

// One attribute value of a version-5 directory or file entry: a string, or a number.
bool readForm(Reader& r, uint32_t form, bool offset64, const TDwarfSections& s, std::string& text,
              uint64_t& num) {
  switch (form) {
    case DW_FORM_string: text = r.cstr(); break;
    case DW_FORM_line_strp: text = stringAt(s.lineStr, r.take(offset64 ? 8 : 4)); break;
    case DW_FORM_strp: text = stringAt(s.str, r.take(offset64 ? 8 : 4)); break;
    case DW_FORM_udata: num = r.uleb(); break;
    case DW_FORM_sdata: num = static_cast<uint64_t>(r.sleb()); break;
    case DW_FORM_data1: num = r.take(1); break;
    case DW_FORM_data2: num = r.take(2); break;
    case DW_FORM_data4: num = r.take(4); break;
    case DW_FORM_data8: num = r.take(8); break;
    case DW_FORM_data16: r.take(8), r.take(8); break;
    case DW_FORM_block: r.pos += std::min<uint64_t>(r.uleb(), r.size - r.pos); break;
    case DW_FORM_block1: r.pos += std::min<uint64_t>(r.take(1), r.size - r.pos); break;
    case DW_FORM_block2: r.pos += std::min<uint64_t>(r.take(2), r.size - r.pos); break;
    case DW_FORM_block4: r.pos += std::min<uint64_t>(r.take(4), r.size - r.pos); break;
    default: return false;
  }
  return r.ok;
}

struct Entry {
  std::string path;
  uint64_t dir = 0;
};

bool readEntries(Reader& r, int version, bool offset64, const TDwarfSections& s, std::vector<Entry>& out) {
  uint8_t formatCount = static_cast<uint8_t>(r.take(1));
  std::vector<std::pair<uint64_t, uint64_t>> format;
  for (int i = 0; i < formatCount; ++i) {
    uint64_t type = r.uleb();
    format.push_back({type, r.uleb()});
  }
  uint64_t count = r.uleb();
  for (uint64_t i = 0; i < count && r.ok; ++i) {
    Entry e;
    for (auto [type, form] : format) {
      std::string text;
      uint64_t num = 0;
      if (!readForm(r, static_cast<uint32_t>(form), offset64, s, text, num)) return false;
      if (type == DW_LNCT_path) e.path = text;
      if (type == DW_LNCT_directory_index) e.dir = num;
    }
    out.push_back(e);
  }
  (void)version;
  return r.ok;
}
}  // namespace

TResult<TLineTables> ParseLineTables(const TDwarfSections& s) {
  using R = TResult<TLineTables>;
  TLineTables out;
  std::map<std::string, uint32_t> fileIds;
  auto fileId = [&](const std::string& path) {
    auto [it, inserted] = fileIds.emplace(path, static_cast<uint32_t>(out.files.size()));
    if (inserted) out.files.push_back(path);
    return it->second;
  };
  size_t unitStart = 0;
  while (unitStart < s.line.size()) {
    Reader r{s.line.data(), s.line.size(), unitStart};
    uint64_t length = r.take(4);
    bool offset64 = length == 0xFFFFFFFF;
    if (offset64) length = r.take(8);
    if (!r.ok || length > r.size - r.pos)
      return R::Fail("a line table at offset " + std::to_string(unitStart) + " is cut short");
    size_t unitEnd = r.pos + length;
    r.size = unitEnd;
    int version = static_cast<int>(r.take(2));
    if (version < 2 || version > 5)
      return R::Fail("line table version " + std::to_string(version) + " is not supported");
    if (version >= 5) r.take(2);  // address size, segment selector size
    uint64_t headerLength = r.take(offset64 ? 8 : 4);
    size_t programStart = r.pos + headerLength;
    uint8_t minInst = static_cast<uint8_t>(r.take(1));
    if (version >= 4) r.take(1);  // maximum operations per instruction: 1 on x86
    bool defaultStmt = r.take(1) != 0;
    (void)defaultStmt;
    int8_t lineBase = static_cast<int8_t>(r.take(1));
    uint8_t lineRange = static_cast<uint8_t>(r.take(1));
    uint8_t opcodeBase = static_cast<uint8_t>(r.take(1));
    if (!r.ok || lineRange == 0 || opcodeBase == 0) return R::Fail("a line table header is malformed");
    std::vector<uint8_t> argCounts(opcodeBase, 0);
    for (int i = 1; i < opcodeBase; ++i) argCounts[i] = static_cast<uint8_t>(r.take(1));
    std::vector<std::string> dirs, files;
    if (version >= 5) {
      std::vector<Entry> d, f;
      if (!readEntries(r, version, offset64, s, d) || !readEntries(r, version, offset64, s, f))
        return R::Fail("a line table's file list is malformed");
      for (auto& e : d) dirs.push_back(e.path);
      for (auto& e : f) files.push_back(join(e.dir < dirs.size() ? dirs[e.dir] : "", e.path));
    } else {
      dirs.push_back("");
      for (std::string dir = r.cstr(); r.ok && !dir.empty(); dir = r.cstr()) dirs.push_back(dir);
      files.push_back("");  // file numbers start at 1 before version 5
      for (std::string name = r.cstr(); r.ok && !name.empty(); name = r.cstr()) {
        uint64_t dir = r.uleb();
        r.uleb(), r.uleb();
        files.push_back(join(dir < dirs.size() ? dirs[dir] : "", name));
      }
    }
    if (!r.ok || programStart > unitEnd) return R::Fail("a line table header is malformed");
    r.pos = programStart;

    uint64_t address = 0;
    uint64_t file = 1;
    bool fileSet = false;
    int64_t line = 1;
    std::vector<TLineRow> seq;
    auto emit = [&](bool end) {
      std::string path = file < files.size() ? files[file] : "";
      seq.push_back({address, fileId(path), static_cast<uint32_t>(line < 0 ? 0 : line), end, !fileSet});
      if (end) {
        out.sequences.push_back(std::move(seq));
        seq.clear();
        address = 0, file = 1, line = 1;
        fileSet = false;
      }
    };
    while (r.pos < unitEnd && r.ok) {
      uint8_t op = static_cast<uint8_t>(r.take(1));
      if (op >= opcodeBase) {
        uint8_t adj = op - opcodeBase;
        address += static_cast<uint64_t>(adj / lineRange) * minInst;
        line += lineBase + adj % lineRange;
        emit(false);
        continue;
      }
      switch (op) {
        case 0: {
          uint64_t len = r.uleb();
          size_t next = r.pos + static_cast<size_t>(std::min<uint64_t>(len, unitEnd - r.pos));
          uint8_t sub = len ? static_cast<uint8_t>(r.take(1)) : 0;
          if (sub == DW_LNE_end_sequence)
            emit(true);
          else if (sub == DW_LNE_set_address)
            address = r.take(static_cast<size_t>(len - 1 > 8 ? 8 : len - 1));
          r.pos = next;
          break;
        }
        case DW_LNS_copy: emit(false); break;
        case DW_LNS_advance_pc: address += r.uleb() * minInst; break;
        case DW_LNS_advance_line: line += r.sleb(); break;
        case DW_LNS_set_file:
          file = r.uleb();
          fileSet = true;
          break;
        case DW_LNS_const_add_pc:
          address += static_cast<uint64_t>((255 - opcodeBase) / lineRange) * minInst;
          break;
        case DW_LNS_fixed_advance_pc: address += r.take(2); break;
        default:
          for (int i = 0; i < argCounts[op]; ++i) r.uleb();
      }
    }
    if (!r.ok) return R::Fail("a line program at offset " + std::to_string(unitStart) + " is cut short");
    unitStart = unitEnd;
  }
  return R::Ok(std::move(out));
}
