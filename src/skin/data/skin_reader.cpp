#include "skin/data/skin_reader.h"

#include <cstring>

#include "skin/data/lzh.h"
#include "skin/data/skin_text.h"

NV_DEFINE_CLASS(TSkinReader, TObject)
NV_DEFINE_CLASS(ESkinArchiveError, Exception)

namespace {
TSkinMessageNotifier& Notifier() {
  static TSkinMessageNotifier notifier;
  return notifier;
}
int32_t Le32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}
}  // namespace

void SetSkinMessageNotifier(TSkinMessageNotifier notifier) { Notifier() = std::move(notifier); }

void ShowSkinMessage(const std::string& text) {
  if (Notifier()) Notifier()(text);
}

bool TSkinReader::Load(TStream& packed) {
  packed.SetPosition(0);
  uint8_t sizeBytes[4] = {};
  packed.Read(sizeBytes, 4);  // a short stream reads as zeros
  int32_t n = Le32(sizeBytes);
  TMemoryStream unpacked;
  // A count of 0 or less unpacks nothing; the empty archive is then refused by version.
  if (n > 0) {
    TLZH lzh;
    lzh.Unpack(packed, unpacked, n);
  }
  unpacked.SetPosition(0);
  return LoadArchive(unpacked);
}

bool TSkinReader::LoadArchive(TStream& in) {
  names_.clear();
  offsets_.clear();
  count_ = 0;
  std::memset(sizes_, 0, sizeof sizes_);
  data_.Clear();
  std::memset(header_, 0, sizeof header_);

  in.Read(header_, sizeof header_);  // missing bytes stay 0
  if (Le32(header_) != kVersion) {
    ShowSkinMessage(kOlderSkinText);
    return false;
  }
  int64_t rest = in.Size() - in.Position();
  int32_t m = Le32(header_ + 4);
  if (m < 0 || m > rest)
    throw ESkinArchiveError(Format("Skin archive: name list of %d bytes does not fit", m));
  std::string list(size_t(m), '\0');
  in.ReadBuffer(list.data(), m);
  list = skin_text::LowerCase(list);

  // Lines end at CR, LF or CR LF; a final line end adds no empty entry.
  std::vector<std::string> names;
  size_t i = 0;
  while (i < list.size()) {
    size_t e = i;
    while (e < list.size() && list[e] != '\r' && list[e] != '\n') ++e;
    if (names.size() >= size_t(kMaxEntries))
      throw ESkinArchiveError(Format("Skin archive: more than %d entries", kMaxEntries));
    names.emplace_back(list, i, e - i);
    if (e < list.size() && list[e] == '\r' && e + 1 < list.size() && list[e + 1] == '\n') ++e;
    i = e + 1;
  }
  int k = int(names.size());
  uint8_t sizeBytes[4];
  std::vector<int64_t> offsets(size_t(k) + 1, 0);
  int32_t sizes[kMaxEntries];
  for (int j = 0; j < k; ++j) {
    if (in.Read(sizeBytes, 4) != 4)
      throw ESkinArchiveError("Skin archive: the entry size table is truncated");
    sizes[j] = Le32(sizeBytes);
    if (sizes[j] < 0)
      throw ESkinArchiveError(Format("Skin archive: entry \"%s\" has a negative size",
                                     skin_text::Printable(names[size_t(j)]).c_str()));
    offsets[size_t(j) + 1] = offsets[size_t(j)] + sizes[j];
  }
  int64_t dataSize = in.Size() - in.Position();
  if (offsets[size_t(k)] > dataSize)
    throw ESkinArchiveError(Format("Skin archive: entries need %lld bytes, %lld present",
                                   (long long)offsets[size_t(k)], (long long)dataSize));
  if (dataSize > 0) data_.CopyFrom(in, dataSize);  // everything after the sizes (0 = all!)
  data_.SetPosition(0);
  names_ = std::move(names);
  offsets_ = std::move(offsets);
  count_ = k;
  std::memcpy(sizes_, sizes, sizeof(int32_t) * size_t(k));
  return true;
}

const uint8_t* TSkinReader::EntryData(int i, int64_t* size) const {
  if (i < 0 || i >= count_) {
    *size = 0;
    return nullptr;
  }
  *size = sizes_[i];
  return data_.Memory() + offsets_[size_t(i)];
}

int TSkinReader::FindEntry(const std::string& name) const {
  std::string wanted = skin_text::LowerCase(name);
  for (int i = 0; i < count_; ++i)
    if (names_[size_t(i)] == wanted) return i;
  return -1;
}

void TSkinReader::Extract(const std::string& name, TMemoryStream& dest) const {
  dest.Clear();
  int i = FindEntry(name);
  if (i < 0) return;
  int64_t n;
  const uint8_t* p = EntryData(i, &n);
  if (n > 0) dest.WriteBuffer(p, n);
  dest.SetPosition(0);
}

std::string TSkinReader::ExtractFirstContaining(const std::string& text, TMemoryStream& dest) const {
  dest.Clear();
  for (int i = 0; i < count_; ++i) {
    if (names_[size_t(i)].find(text) == std::string::npos) continue;
    int64_t n;
    const uint8_t* p = EntryData(i, &n);
    if (n > 0) dest.WriteBuffer(p, n);
    dest.SetPosition(0);
    return names_[size_t(i)];
  }
  return text;
}
