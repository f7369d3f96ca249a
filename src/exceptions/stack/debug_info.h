// Reading a module's debug information: the inflated stream of unit records, searched unit by
// unit (skipping whole units by their recorded sizes), and the lazy loader that fetches the block
// from the end of the module file the first time an address of that module is resolved.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "exceptions/stack/debug_format.h"

struct TDebugLocation {
  std::string unitName;
  std::string className;
  std::string procedureName;
  uint32_t line = 0;
  uint32_t lineOffset = 0;  // lines from the procedure's first line, never negative
};

// Splits a stored procedure name into class and method: "TForm1.Button2Click" gives both, a
// bare name only the method, ".Method" keeps `previousClass`; a method starting with "@" starts
// with "_" instead.
void SplitProcedureName(const std::string& stored, const std::string& previousClass, std::string& className,
                        std::string& method);

class TQuillonDebugInfo {
 public:
  // `stream` is the inflated payload. A unit name without an extension gets ".cpp" when
  // `appendExtension` is set.
  // Reads the unit headers once, so that a search goes straight to its unit.
  TQuillonDebugInfo(std::vector<uint8_t> stream, uint16_t version, bool appendExtension = false);

  // The location of a module-relative address, or nothing when no unit covers it or the stream
  // is malformed there.
  std::optional<TDebugLocation> Find(uint32_t moduleOffset) const;
  // Every unit's name and range, in stored order (for tests and the tool's self-check).
  struct TUnitRange {
    std::string name;
    uint32_t start, size;
  };
  TResult<std::vector<TUnitRange>> Units() const;
  size_t StreamSize() const { return stream_.size(); }

 private:
  std::optional<TDebugLocation> searchUnit(size_t pos, size_t end, const std::string& unit,
                                           uint32_t firstLine, uint32_t start, uint32_t size,
                                           uint32_t target) const;
  struct TUnitPlace {
    uint32_t start, size;
    size_t header;  // where its name begins
  };
  std::vector<TUnitPlace> index_;  // sorted by start
  std::vector<uint8_t> stream_;
  uint16_t version_;
  bool appendExtension_;
};

// Debug information appended to a module file, loaded on first use and kept until the source
// is destroyed. Thread-safe; a file without a block (or with a broken one) stays empty, with
// the reason in LoadError().
class TDebugInfoSource {
 public:
  explicit TDebugInfoSource(std::string path, bool appendExtension = false)
      : path_(std::move(path)), appendExtension_(appendExtension) {}
  // For blocks already in memory (tests, benchmarks): the whole file's tail with the trailer.
  static std::unique_ptr<TDebugInfoSource> FromBytes(std::vector<uint8_t> fileBytes);

  // Loads on the first call; null when the module has none.
  const TQuillonDebugInfo* Get();
  bool Loaded() const { return attempted_; }
  const std::string& LoadError() const { return error_; }
  // Header facts; version is the reader's own and the date 0 when there is no block.
  uint16_t Version();
  double LinkDateTime();

 private:
  void load();
  std::string path_;
  std::vector<uint8_t> bytes_;  // for FromBytes
  bool fromBytes_ = false;
  bool appendExtension_;
  std::mutex mutex_;
  bool attempted_ = false;
  std::string error_;
  debuginfo::TBlockHeader header_;
  std::unique_ptr<TQuillonDebugInfo> info_;
};

// Load a block from the bytes of a whole file (the trailer at the end).
TResult<std::unique_ptr<TQuillonDebugInfo>> LoadDebugInfo(const uint8_t* file, size_t size,
                                                          bool appendExtension = false,
                                                          debuginfo::TBlockHeader* header = nullptr);
