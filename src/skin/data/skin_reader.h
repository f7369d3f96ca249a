// The skin archive: a packed stream (unpacked size, then LZHUF bits) holding a versioned
// list of named entries — one skin definition text and the bitmaps it names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "framework/streams.h"

// Raised for archives whose entry table cannot be trusted (too many entries, negative or
// overlong sizes); the skin is then not loaded.
NV_EXCEPTION(ESkinArchiveError, Exception)

// Shows the refusal of an archive of another version. The application sets it to the
// framework's plain message box; until then nothing is shown (host code has no windows).
using TSkinMessageNotifier = std::function<void(const std::string& text)>;
void SetSkinMessageNotifier(TSkinMessageNotifier notifier);
void ShowSkinMessage(const std::string& text);

class TSkinReader : public TObject {
  NV_CLASS(TSkinReader)
 public:
  static constexpr int32_t kVersion = 20000;
  static constexpr int kMaxEntries = 1001;
  static constexpr const char* kOlderSkinText = "This is Older Skin File\rPlease update to new version !";

  // Unpacks the stored skin (position 0: unpacked size, then the bit stream) and reads the
  // archive. False only when the version is not ours (the notifier has then been told).
  // Raises ElzhException for impossible sizes and ESkinArchiveError for a broken entry table.
  bool Load(TStream& packed);
  // The archive itself, already unpacked.
  bool LoadArchive(TStream& unpacked);

  // Copies the first entry whose name equals name (letter case ignored) into dest,
  // positioned at 0; dest stays empty when there is none.
  void Extract(const std::string& name, TMemoryStream& dest) const;
  // Copies the first entry whose lower-cased name contains text and returns its name; with
  // none, dest stays empty and text comes back unchanged.
  std::string ExtractFirstContaining(const std::string& text, TMemoryStream& dest) const;

  int Count() const { return count_; }
  const std::vector<std::string>& Names() const { return names_; }
  int32_t EntrySize(int i) const { return i >= 0 && i < count_ ? sizes_[i] : 0; }
  const uint8_t* Header() const { return header_; }
  // Bytes of entry i (nullptr and 0 when out of range).
  const uint8_t* EntryData(int i, int64_t* size) const;
  int FindEntry(const std::string& name) const;

 private:
  std::vector<std::string> names_;  // lower-cased, archive order
  int count_ = 0;
  int32_t sizes_[kMaxEntries] = {};
  std::vector<int64_t> offsets_;
  TMemoryStream data_;
  uint8_t header_[16] = {};
};
