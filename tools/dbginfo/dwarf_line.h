// Rows of the DWARF line tables (.debug_line, versions 2 to 5) of a linked executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/stack/result.h"

struct TLineRow {
  uint64_t address;
  uint32_t file;  // index into TLineTables::files
  uint32_t line;
  bool endSequence;
  // Still the sequence's initial file register (1): the binary tools read that one as the
  // unit's primary file in version 5 tables, against the standard.
  bool initialFile = false;
};

struct TLineTables {
  std::vector<std::string> files;  // full paths, each once
  // One vector per sequence, rows in the order the program produced them.
  std::vector<std::vector<TLineRow>> sequences;
};

struct TDwarfSections {
  std::vector<uint8_t> line, lineStr, str;
};

TResult<TLineTables> ParseLineTables(const TDwarfSections& sections);
