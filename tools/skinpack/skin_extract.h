// Extracting skin archive entries into a folder. Archives packed by other tools may name
// entries with a folder part ("scroll\arrows.bmp"): such an entry goes into that subfolder of
// the destination. Only names that would leave the destination, or cannot name a file at
// all, are refused; every other entry is written all the same.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class TSkinReader;

// The parts of an entry name below the destination ('\' and '/' separate them; "." parts
// are dropped). Empty, with the reason in *why, for a name with a NUL byte, an absolute
// path, a drive letter or stream name (':'), a ".." part, or no part at all.
std::vector<std::string> EntryPathParts(const std::string& name, std::string* why);

struct TExtractReport {
  int written = 0;
  // One line per entry not written: its printable name and the reason.
  std::vector<std::string> problems;
};

// Writes the entries with the given indexes below dest, creating subfolders as needed.
TExtractReport ExtractEntries(const TSkinReader& reader, const std::vector<int>& indexes,
                              const std::filesystem::path& dest);
