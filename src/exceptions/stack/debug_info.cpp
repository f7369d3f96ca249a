#include "exceptions/stack/debug_info.h"

#include <algorithm>
#include <cstdio>

using namespace debuginfo;

namespace {
// More than any program of ours inflates to; a corrupt stream cannot make the reporter take
// the whole address space.
constexpr size_t kMaxStream = 64u << 20;

bool hasExtension(const std::string& name) {
  size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// The first "." outside brackets: template arguments may hold points of their own.
size_t classSeparator(const std::string& s) {
  int depth = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '<' || c == '(' || c == '[' || c == '{')
      ++depth;
    else if ((c == '>' || c == ')' || c == ']' || c == '}') && depth > 0)
      --depth;
    else if (c == '.' && depth == 0)
      return i;
  }
  // A class cut short at the name length limit leaves a bracket open: its last point separates.
  return depth > 0 ? s.rfind('.') : std::string::npos;
}
}  // namespace

void SplitProcedureName(const std::string& stored, const std::string& previousClass, std::string& className,
                        std::string& method) {
  size_t dot = classSeparator(stored);
  if (dot == std::string::npos) {
    className.clear();
    method = stored;
  } else {
    className = dot == 0 ? previousClass : stored.substr(0, dot);
    method = stored.substr(dot + 1);
  }
  if (!method.empty() && method[0] == '@') method[0] = '_';
}

TQuillonDebugInfo::TQuillonDebugInfo(std::vector<uint8_t> stream, uint16_t version, bool appendExtension)
    : stream_(std::move(stream)), version_(version), appendExtension_(appendExtension) {
  // One pass over the unit headers, skipping each unit's table by its recorded size; a
  // malformed unit ends the index there.
  TByteCursor c(stream_.data(), stream_.size());
  uint32_t skip = 0, count = 0;
  if (version_ > 404 && version_ < 500 && (!c.U32(skip) || !c.Skip(skip))) return;
  if (!c.U32(count)) return;
  for (uint32_t u = 0; u < count; ++u) {
    size_t header = c.Pos();
    uint8_t nameLength;
    uint32_t firstLine, start, size, tableSize;
    if (!c.U8(nameLength) || !c.Skip(nameLength) || !c.U32(firstLine) || !c.U32(start) || !c.U32(size) ||
        !c.U32(tableSize) || !c.Skip(tableSize))
      break;
    index_.push_back({start, size, header});
  }
  // The first stored unit that holds an address wins; a stable sort keeps that order.
  std::stable_sort(index_.begin(), index_.end(),
                   [](const TUnitPlace& a, const TUnitPlace& b) { return a.start < b.start; });
}

std::optional<TDebugLocation> TQuillonDebugInfo::Find(uint32_t target) const {
  auto it = std::upper_bound(index_.begin(), index_.end(), target,
                             [](uint32_t a, const TUnitPlace& u) { return a < u.start; });
  // Units written by the tool never overlap; for others, look back over those starting earlier.
  for (int tries = 0; it != index_.begin() && tries < 16; ++tries) {
    --it;
    if (target - it->start >= it->size) continue;
    size_t pos = it->header;
    std::string name;
    ReadName(stream_.data(), stream_.size(), pos, name);
    TByteCursor c(stream_.data(), stream_.size());
    c.Seek(pos);
    uint32_t firstLine = 0, start = 0, size = 0, tableSize = 0;
    c.U32(firstLine), c.U32(start), c.U32(size), c.U32(tableSize);
    if (appendExtension_ && !hasExtension(name)) name += ".cpp";
    return searchUnit(c.Pos(), c.Pos() + tableSize, name, firstLine, start, size, target);
  }
  return std::nullopt;
}

std::optional<TDebugLocation> TQuillonDebugInfo::searchUnit(size_t pos, size_t end, const std::string& unit,
                                                            uint32_t firstLine, uint32_t start, uint32_t size,
                                                            uint32_t target) const {
  const uint8_t* d = stream_.data();
  uint32_t line = firstLine, address = start;
  std::string className, procedure;
  uint32_t procedureLine = firstLine;
  auto found = [&]() {
    TDebugLocation loc;
    loc.unitName = unit;
    loc.className = className;
    loc.procedureName = procedure;
    loc.line = line;
    loc.lineOffset = line > procedureLine ? line - procedureLine : 0;
    return loc;
  };
  while (pos < end) {
    TLineRecord r;
    if (!DecodeLineRecord(d, end, pos, version_, r)) return std::nullopt;
    // The current row ends where this record moves to.
    uint64_t next = static_cast<uint64_t>(address) + r.addressDelta;
    if (target >= address && target < next) return found();
    line += r.lineDelta;
    address = static_cast<uint32_t>(next);
    if (r.procedureStart) {
      std::string stored;
      if (!ReadName(d, end, pos, stored)) return std::nullopt;
      std::string previous = className;
      SplitProcedureName(stored, previous, className, procedure);
      procedureLine = line;
    }
  }
  if (target >= address && static_cast<uint64_t>(target) < static_cast<uint64_t>(start) + size)
    return found();
  return std::nullopt;
}

TResult<std::vector<TQuillonDebugInfo::TUnitRange>> TQuillonDebugInfo::Units() const {
  using R = TResult<std::vector<TUnitRange>>;
  TByteCursor c(stream_.data(), stream_.size());
  uint32_t skip = 0, count = 0;
  if (version_ > 404 && version_ < 500 && (!c.U32(skip) || !c.Skip(skip))) return R::Fail("cut short");
  if (!c.U32(count)) return R::Fail("cut short");
  std::vector<TUnitRange> units;
  for (uint32_t u = 0; u < count; ++u) {
    size_t pos = c.Pos();
    TUnitRange range;
    uint32_t firstLine, tableSize;
    if (!ReadName(stream_.data(), stream_.size(), pos, range.name) || !c.Seek(pos) || !c.U32(firstLine) ||
        !c.U32(range.start) || !c.U32(range.size) || !c.U32(tableSize) || !c.Skip(tableSize))
      return R::Fail("unit " + std::to_string(u) + " is cut short");
    units.push_back(std::move(range));
  }
  return R::Ok(std::move(units));
}

TResult<std::unique_ptr<TQuillonDebugInfo>> LoadDebugInfo(const uint8_t* file, size_t size,
                                                          bool appendExtension, TBlockHeader* headerOut) {
  using R = TResult<std::unique_ptr<TQuillonDebugInfo>>;
  if (size < kTrailerSize) return R::Fail("the file is too short to carry debug information");
  auto place = ParseTrailer(file + size - kTrailerSize, size);
  if (!place) return R::Fail(place.Error());
  const uint8_t* block = file + place.Value().offset;
  auto header = ParseBlockHeader(block, place.Value().size);
  if (!header) return R::Fail(header.Error());
  auto stream = Inflate(block + kHeaderSize, place.Value().size - kHeaderSize, kMaxStream);
  if (!stream) return R::Fail(stream.Error());
  if (headerOut) *headerOut = header.Value();
  return R::Ok(std::make_unique<TQuillonDebugInfo>(stream.Take(), header.Value().version, appendExtension));
}

std::unique_ptr<TDebugInfoSource> TDebugInfoSource::FromBytes(std::vector<uint8_t> fileBytes) {
  auto s = std::make_unique<TDebugInfoSource>("");
  s->bytes_ = std::move(fileBytes);
  s->fromBytes_ = true;
  return s;
}

void TDebugInfoSource::load() {
  attempted_ = true;
  if (fromBytes_) {
    auto r = LoadDebugInfo(bytes_.data(), bytes_.size(), appendExtension_, &header_);
    if (r)
      info_ = r.Take();
    else
      error_ = r.Error();
    bytes_.clear();
    return;
  }
  // Only the trailer and the block are read, not the whole module file.
  std::FILE* f = std::fopen(path_.c_str(), "rb");
  if (!f) {
    error_ = "cannot open " + path_;
    return;
  }
  std::vector<uint8_t> block;
  uint8_t trailer[kTrailerSize];
  long fileSize = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) fileSize = std::ftell(f);
  bool ok = fileSize >= static_cast<long>(kTrailerSize) &&
            std::fseek(f, fileSize - kTrailerSize, SEEK_SET) == 0 &&
            std::fread(trailer, 1, kTrailerSize, f) == kTrailerSize;
  if (!ok) error_ = "cannot read the end of " + path_;
  if (ok) {
    auto place = ParseTrailer(trailer, static_cast<uint64_t>(fileSize));
    if (!place) {
      error_ = place.Error();
      ok = false;
    } else {
      block.resize(place.Value().size + kTrailerSize);
      ok = std::fseek(f, static_cast<long>(place.Value().offset), SEEK_SET) == 0 &&
           std::fread(block.data(), 1, block.size(), f) == block.size();
      if (!ok) error_ = "cannot read the debug information of " + path_;
    }
  }
  std::fclose(f);
  if (!ok) return;
  auto r = LoadDebugInfo(block.data(), block.size(), appendExtension_, &header_);
  if (r)
    info_ = r.Take();
  else
    error_ = r.Error();
}

const TQuillonDebugInfo* TDebugInfoSource::Get() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!attempted_) load();
  return info_.get();
}

uint16_t TDebugInfoSource::Version() {
  Get();
  return info_ ? header_.version : kFormatVersion;
}

double TDebugInfoSource::LinkDateTime() {
  Get();
  return info_ ? header_.linkDateTime : 0;
}
