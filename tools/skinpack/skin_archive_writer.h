// Writes and reads skin archives for the packer tool: version 20000, a CR LF name list,
// the entry sizes and the entries' bytes, then LZHUF-packed with the unpacked size first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TSkinEntry {
  std::string name;
  std::vector<uint8_t> bytes;
};

// The unpacked archive image.
std::vector<uint8_t> BuildSkinArchive(const std::vector<TSkinEntry>& entries);
// The stored skin (size prefix + LZHUF stream).
std::vector<uint8_t> PackSkin(const std::vector<TSkinEntry>& entries);
// A skin source folder: its .bmp files (sorted by name) and, last, its one .ini text.
// Raises std::runtime_error with the reason when the folder does not hold exactly one .ini.
std::vector<TSkinEntry> ReadSkinFolder(const std::string& folder);
