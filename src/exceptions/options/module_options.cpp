#include "exceptions/options/module_options.h"

#include <map>
#include <mutex>

#include "exceptions/options/password_scramble.h"
#include "framework/streams.h"

NV_DEFINE_CLASS(EQuillonOptionsError, Exception)
NV_DEFINE_CLASS(TQuillonModuleOptions, TObject)
NV_DEFINE_CLASS(TQuillonModuleOptionsEx, TQuillonModuleOptions)

namespace {
struct SharedCopies {
  std::mutex lock;
  std::map<std::string, std::vector<uint8_t>, std::less<>> byModule;
};
SharedCopies& sharedCopies() {
  static SharedCopies* s = new SharedCopies;  // outlives every options object
  return *s;
}

// ---- stored form ------------------------------------------------------------------------

class Writer {
 public:
  void u8(uint8_t v) { out.push_back(v); }
  void u16(uint16_t v) { le(v, 2); }
  void u32(uint32_t v) { le(v, 4); }
  void le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void str(const std::string& s) {
    u32(static_cast<uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
  }
  std::vector<uint8_t> out;
};

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  uint64_t le(int n) {
    need(static_cast<size_t>(n));
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t(p_[pos_ + size_t(i)]) << (8 * i);
    pos_ += static_cast<size_t>(n);
    return v;
  }
  std::string str() {
    size_t len = static_cast<size_t>(le(4));
    need(len);  // checked against what is there before anything is allocated
    std::string s(reinterpret_cast<const char*>(p_ + pos_), len);
    pos_ += len;
    return s;
  }
  size_t left() const { return n_ - pos_; }

 private:
  void need(size_t n) const {
    if (n > n_ - pos_) throw EQuillonOptionsError("The stored reporter options are damaged (truncated).");
  }
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

int byteWidth(TQuillonFieldKind k) {
  switch (k) {
    case TQuillonFieldKind::Bool:
    case TQuillonFieldKind::Byte: return 1;
    case TQuillonFieldKind::Word: return 2;
    case TQuillonFieldKind::Int: return 4;
    case TQuillonFieldKind::Bits40: return 5;
    default: return 0;
  }
}

void writeFields(Writer& w, const TQuillonOptionValues& v, uint16_t format) {
  for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
    if (f.since == 0 || f.since > format) continue;
    switch (f.kind) {
      case TQuillonFieldKind::Str: w.str(f.getString(v)); break;
      case TQuillonFieldKind::Password: w.str(ScramblePassword(f.getString(v), f.name)); break;
      case TQuillonFieldKind::Texts:
        w.u16(kQuillonTextCount);
        for (const std::string& t : v.TextTable) w.str(t);
        break;
      case TQuillonFieldKind::StrList: {
        TStringVector& list = f.list(const_cast<TQuillonOptionValues&>(v));
        w.u16(static_cast<uint16_t>(std::min<size_t>(list.size(), 0xFFFF)));
        for (size_t i = 0; i < list.size() && i < 0xFFFF; ++i) w.str(list[i]);
        break;
      }
      default: w.le(static_cast<uint64_t>(f.getNumber(v)), byteWidth(f.kind));
    }
  }
}

void readFields(Reader& r, TQuillonOptionValues& v, uint16_t format) {
  for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
    if (f.since == 0 || f.since > format) continue;  // absent from this format: default stays
    switch (f.kind) {
      case TQuillonFieldKind::Str: f.setString(v, r.str()); break;
      case TQuillonFieldKind::Password: f.setString(v, UnscramblePassword(r.str(), f.name)); break;
      case TQuillonFieldKind::Texts: {
        size_t count = static_cast<size_t>(r.le(2));
        for (size_t i = 0; i < count; ++i) {
          std::string t = r.str();
          if (i < v.TextTable.size()) v.TextTable[i] = std::move(t);  // a newer table's extra texts are dropped
        }
        break;
      }
      case TQuillonFieldKind::StrList: {
        size_t count = static_cast<size_t>(r.le(2));
        TStringVector& list = f.list(v);
        list.clear();
        for (size_t i = 0; i < count; ++i) list.push_back(r.str());
        break;
      }
      case TQuillonFieldKind::Bool: f.setNumber(v, r.le(1) != 0); break;
      case TQuillonFieldKind::Int: f.setNumber(v, static_cast<int32_t>(r.le(4))); break;
      default: f.setNumber(v, static_cast<int64_t>(r.le(byteWidth(f.kind))));
    }
  }
}
}  // namespace

// Defers Changed() until a change of many fields is complete.
class TQuillonOptionsUpdate {
 public:
  explicit TQuillonOptionsUpdate(TQuillonModuleOptions& o) : o_(o) { ++o_.updating_; }
  ~TQuillonOptionsUpdate() {
    if (--o_.updating_ == 0) o_.Changed();
  }

 private:
  TQuillonModuleOptions& o_;
};

TQuillonModuleOptions::TQuillonModuleOptions(std::string moduleName, bool shared)
    : moduleName_(std::move(moduleName)), shared_(shared) {
  Reset();
}

TQuillonModuleOptions::~TQuillonModuleOptions() {
  if (!shared_) return;
  SharedCopies& s = sharedCopies();
  std::lock_guard<std::mutex> guard(s.lock);
  s.byModule.erase(moduleName_);
}

void TQuillonModuleOptions::Changed() {
  if (!shared_ || updating_ > 0) return;
  std::vector<uint8_t> stored = StoredForm();
  SharedCopies& s = sharedCopies();
  std::lock_guard<std::mutex> guard(s.lock);
  s.byModule[moduleName_] = std::move(stored);
}

void TQuillonModuleOptions::Reset() {
  TQuillonOptionsUpdate update(*this);
  v_ = TQuillonOptionValues();
  v_.OwnerModule = moduleName_;
}

void TQuillonModuleOptions::SetValues(const TQuillonOptionValues& values) {
  TQuillonOptionsUpdate update(*this);
  v_ = values;
  v_.GeneralItemFlags &= kAllGeneralItems;
}

void TQuillonModuleOptions::Assign(const TQuillonModuleOptions* source) {
  if (!source) throw EQuillonOptionsError("Impossible to assign nil as TQuillonModuleOptions.");
  if (source == this) return;
  SetValues(source->v_);
}

const std::string& TQuillonModuleOptions::Text(int index) const {
  if (index < 0 || index >= kQuillonTextCount) throw EListError(Format("Text index out of bounds (%d)", index));
  return v_.TextTable[static_cast<size_t>(index)];
}

void TQuillonModuleOptions::SetText(int index, std::string text) {
  if (index < 0 || index >= kQuillonTextCount) throw EListError(Format("Text index out of bounds (%d)", index));
  std::string& slot = v_.TextTable[static_cast<size_t>(index)];
  if (slot == text) return;
  slot = std::move(text);
  Changed();
}

void TQuillonModuleOptions::AddFilter(std::string className, std::string message) {
  TQuillonOptionsUpdate update(*this);
  // Keep the message list parallel even when it was stored shorter.
  v_.FilterMessages.resize(v_.FilterClasses.size());
  v_.FilterClasses.push_back(std::move(className));
  v_.FilterMessages.push_back(std::move(message));
}

void TQuillonModuleOptions::DeleteFilter(size_t index) {
  if (index >= v_.FilterClasses.size()) throw EListError(Format("List index out of bounds (%u)", static_cast<unsigned>(index)));
  TQuillonOptionsUpdate update(*this);
  v_.FilterClasses.erase(v_.FilterClasses.begin() + static_cast<ptrdiff_t>(index));
  if (index < v_.FilterMessages.size()) v_.FilterMessages.erase(v_.FilterMessages.begin() + static_cast<ptrdiff_t>(index));
}

void TQuillonModuleOptions::ClearFilters() {
  TQuillonOptionsUpdate update(*this);
  v_.FilterClasses.clear();
  v_.FilterMessages.clear();
}

std::optional<size_t> TQuillonModuleOptions::FindFilter(const TObject& exception) const {
  if (!v_.FiltersEnabled) return std::nullopt;
  const TClassInfo& cls = exception.ClassInfo();
  for (size_t i = 0; i < v_.FilterClasses.size(); ++i)
    if (!v_.FilterClasses[i].empty() && cls.InheritsFrom(v_.FilterClasses[i])) return i;
  return std::nullopt;
}

std::optional<size_t> TQuillonModuleOptions::FindFilter(std::string_view className) const {
  if (!v_.FiltersEnabled) return std::nullopt;
  const TClassInfo* cls = FindClass(className);
  for (size_t i = 0; i < v_.FilterClasses.size(); ++i) {
    const std::string& entry = v_.FilterClasses[i];
    if (entry.empty()) continue;
    if (cls ? cls->InheritsFrom(entry) : SameText(entry, className)) return i;
  }
  return std::nullopt;
}

std::string TQuillonModuleOptions::FilterMessage(size_t index) const {
  return index < v_.FilterMessages.size() ? v_.FilterMessages[index] : std::string();
}

std::vector<uint8_t> TQuillonModuleOptions::StoredForm(uint16_t format) const {
  if (format < kQuillonOptionsOldestFormat || format > kQuillonOptionsFormat)
    throw EQuillonOptionsError(Format("Cannot write format %u of the reporter options.", format));
  Writer body;
  writeFields(body, v_, format);
  Writer w;
  w.u16(format);
  w.u32(static_cast<uint32_t>(body.out.size()));
  w.out.insert(w.out.end(), body.out.begin(), body.out.end());
  return std::move(w.out);
}

void TQuillonModuleOptions::SaveToStream(TStream& stream) const {
  std::vector<uint8_t> bytes = StoredForm();
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TQuillonModuleOptions::LoadFromBytes(const uint8_t* data, size_t size) {
  Reader head(data, size);
  uint16_t format = static_cast<uint16_t>(head.le(2));
  if (format < kQuillonOptionsOldestFormat)
    throw EQuillonOptionsError(Format("Unknown format of the stored reporter options (%u).", format));
  size_t length = static_cast<size_t>(head.le(4));
  if (length > head.left()) throw EQuillonOptionsError("The stored reporter options are damaged (truncated).");
  Reader body(data + 6, length);
  TQuillonOptionValues loaded;  // fields the format lacks keep their defaults
  loaded.OwnerModule = v_.OwnerModule;
  readFields(body, loaded, format);
  // A newer format appends fields we do not know: skip them. In a format we know, bytes
  // left over mean the data is not what its version says.
  if (format <= kQuillonOptionsFormat && body.left() != 0)
    throw EQuillonOptionsError("The stored reporter options are damaged (unexpected data).");
  SetValues(loaded);
}

void TQuillonModuleOptions::LoadFromStream(TStream& stream) {
  uint8_t head[6];
  stream.ReadBuffer(head, sizeof head);
  size_t length = uint32_t(head[2]) | uint32_t(head[3]) << 8 | uint32_t(head[4]) << 16 | uint32_t(head[5]) << 24;
  int64_t left = stream.Size() - stream.Position();
  if (left < 0 || static_cast<uint64_t>(length) > static_cast<uint64_t>(left))
    throw EQuillonOptionsError("The stored reporter options are damaged (truncated).");
  std::vector<uint8_t> bytes(head, head + 6);
  bytes.resize(6 + length);
  stream.ReadBuffer(bytes.data() + 6, static_cast<int64_t>(length));
  LoadFromBytes(bytes.data(), bytes.size());
}

std::optional<std::vector<uint8_t>> SharedQuillonOptions(std::string_view moduleName) {
  SharedCopies& s = sharedCopies();
  std::lock_guard<std::mutex> guard(s.lock);
  auto it = s.byModule.find(moduleName);
  if (it == s.byModule.end()) return std::nullopt;
  return it->second;
}

// ---- automatic termination ------------------------------------------------------------------

void TRecentErrors::Add(TimePoint when, int limitCount) {
  entries_.push_back(when);
  size_t keep = limitCount > 0 ? static_cast<size_t>(limitCount) : 0;
  while (entries_.size() > keep) entries_.pop_front();
}

bool TRecentErrors::LimitReached(int limitCount, int limitMinutes) const {
  if (limitCount <= 0 || entries_.size() != static_cast<size_t>(limitCount)) return false;
  auto span = entries_.back() - entries_.front();
  if (span < span.zero()) span = -span;  // the clock was set back between the reports
  return span <= std::chrono::minutes(limitMinutes);
}

void TQuillonModuleOptionsEx::RecordReport(TRecentErrors::TimePoint when) {
  if (HandlingFlags() & hdAutoTerminate) recent_.Add(when, CrashLimitCount());
}

std::optional<TQuillonTerminateAction> TQuillonModuleOptionsEx::AutomaticTermination() const {
  if (!(HandlingFlags() & hdAutoTerminate)) return std::nullopt;
  if (!recent_.LimitReached(CrashLimitCount(), CrashLimitMinutes())) return std::nullopt;
  return CrashLimitAction() == taTerminate ? taTerminate : taRestart;
}
