// From line rows and function symbols to the stream of unit records.
//
// DWARF rows of one file are neither monotonic nor contiguous; a unit record can only move
// forward in both line and address. So every contiguous rising run of one file becomes a unit,
// rows at one address keep the last (as the line-table lookups of the binary tools do), rows of
// line 0 are left out, and each function start begins a new procedure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dwarf_line.h"
#include "symbols.h"

struct TLineRange {
  uint32_t start, end;  // module-relative
  uint32_t file, line;
};

struct TBuildStats {
  size_t ranges = 0, units = 0, procedures = 0;
};

// Rows to sorted, non-overlapping ranges inside code sections, split at function starts.
std::vector<TLineRange> RowsToRanges(const TLineTables& tables, const TPeImage& image,
                                     const std::vector<TFunctionSymbol>& functions);
// The uncompressed stream. Unit names are the files' paths with `root` and its slash removed.
std::vector<uint8_t> BuildStream(const std::vector<TLineRange>& ranges, const std::vector<std::string>& files,
                                 const std::vector<TFunctionSymbol>& functions, const std::string& root,
                                 TBuildStats* stats = nullptr);
// How a function is stored: "Scope.Name" within the name length limit, or ".Name" when the
// scope is that of the previous procedure of the unit.
std::string StoredProcedureName(const TFunctionSymbol& f, const std::string& previousScope, bool hasPrevious);
