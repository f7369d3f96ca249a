// TTGZWriter: packs report attachments into one tar.gz file ("CompressFiles.tgz").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TTGZWriter {
 public:
  // archiveName is the .tgz file written when the writer finishes.
  explicit TTGZWriter(std::string archiveName);
  // Finishes and writes the archive unless Finish already ran; a failure here is swallowed
  // (destructors must not throw): call Finish to learn about it.
  ~TTGZWriter();
  TTGZWriter(const TTGZWriter&) = delete;
  TTGZWriter& operator=(const TTGZWriter&) = delete;

  // Adds the whole file under nameInArchive (default: its own name without folders), with
  // the file's last-write time. Raises EFOpenError when the file cannot be read.
  void AddFile(const std::string& path, const std::string& nameInArchive = {});
  // Adds bytes under a name, with a modification time in seconds since 1970-01-01.
  void AddData(std::string_view name, const void* data, size_t size, int64_t modifiedUnix);
  // Closes the tar stream, compresses it and writes the archive file. Raises on failure.
  void Finish();

  const std::string& ArchiveName() const { return archiveName_; }
  const std::vector<uint8_t>& TarData() const { return tar_; }

  // The pieces, for callers that keep the archive in memory.
  static void WriteTarHeader(uint8_t header[512], std::string_view name, uint64_t size, int64_t modifiedUnix);
  static std::vector<uint8_t> GzipWrap(const std::vector<uint8_t>& data, std::string_view storedName);
  // The gzip header's name: the archive's file name without folders, extension ".tar".
  static std::string StoredTarName(std::string_view archiveName);

 private:
  std::string archiveName_;
  std::vector<uint8_t> tar_;
  bool finished_ = false;
};

// Last-write time of a file in seconds since 1970-01-01, or 0 when it cannot be read.
int64_t FileModifiedUnixTime(const std::string& path);
// The part of a path after its last "\" or "/".
std::string_view FileNameOf(std::string_view path);
