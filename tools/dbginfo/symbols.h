// Function names for the debug information: the COFF symbols of a linked executable, demangled
// and written as "Class.Method" (the class being the whole scope, namespaces included) or as the
// bare function name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe_image.h"

struct TFunctionSymbol {
  uint32_t rva;
  std::string scope;  // "nv::TFoo" for nv::TFoo::Bar, empty for a free function
  std::string name;   // "Bar"
};

// A symbol name as the linker keeps it ("__ZN4TFoo3BarEi", "_WinMain@16", "@fast@8") to its
// scope and name; false when the name is no function name we can read.
bool SplitSymbolName(const std::string& coffName, std::string& scope, std::string& name);
// The same for a demangled name ("int nv::TFoo::Bar<int>(int) const [clone .cold]").
void SplitDemangled(const std::string& demangled, std::string& scope, std::string& name);

// Function symbols in code sections, sorted by address, one per address.
std::vector<TFunctionSymbol> FunctionSymbols(const TPeImage& image, const std::vector<TCoffSymbol>& symbols);
