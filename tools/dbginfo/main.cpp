// dbginfo: gives a linked executable the program's own debug information.
//
//   dbginfo embed EXE [--root DIR] [--keep COPY]
//       reads EXE's DWARF line tables and COFF function symbols, writes EXE back without its
//       .debug_* sections and symbol table, with the compressed block and its trailer appended;
//       --keep saves the linked file first (for tests that compare with the binary tools);
//       unit names are given relative to DIR.
//   dbginfo dump EXE
//       lists the units of an executable that carries a block.
//   dbginfo lookup EXE RVA...
//       resolves module-relative addresses (hexadecimal) through the block.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "block_builder.h"
#include "exceptions/stack/debug_info.h"
#include "framework/exception.h"
#include "framework/streams.h"

namespace {
int usage() {
  std::fprintf(stderr,
               "usage: dbginfo embed EXE [--root DIR] [--keep COPY]\n"
               "       dbginfo dump EXE\n"
               "       dbginfo lookup EXE RVA...\n");
  return 2;
}

template <class T>
T need(TResult<T> r, const std::string& what) {
  if (!r) throw Exception(what + ": " + r.Error());
  return r.Take();
}

int embed(const std::string& exe, const std::string& root, const std::string& keep) {
  std::vector<uint8_t> bytes = ReadFileBytes(exe);
  TPeImage image = need(TPeImage::Parse(bytes), exe);
  if (!image.Find(".debug_line")) {
    if (LoadDebugInfo(bytes.data(), bytes.size())) {
      std::printf("dbginfo: %s already carries its debug information\n", exe.c_str());
      return 0;
    }
    throw Exception(exe + " has no .debug_line section (was it compiled with -g1?)");
  }
  if (!keep.empty()) WriteFileBytes(keep, bytes);
  TDwarfSections dwarf;
  dwarf.line = image.Contents(*image.Find(".debug_line"));
  if (auto* s = image.Find(".debug_line_str")) dwarf.lineStr = image.Contents(*s);
  if (auto* s = image.Find(".debug_str")) dwarf.str = image.Contents(*s);
  TLineTables tables = need(ParseLineTables(dwarf), exe);
  std::vector<TFunctionSymbol> functions = FunctionSymbols(image, need(image.Symbols(), exe));
  std::vector<TLineRange> ranges = RowsToRanges(tables, image, functions);
  TBuildStats stats;
  std::vector<uint8_t> stream = BuildStream(ranges, tables.files, functions, root, &stats);
  std::vector<uint8_t> block =
      debuginfo::BuildBlock(stream, debuginfo::UnixToDateTime(image.TimeDateStamp()));
  std::vector<uint8_t> out = need(image.Stripped(), exe);
  size_t dwarfBytes = 0;
  for (const auto& s : image.Sections())
    if (s.name.rfind(".debug_", 0) == 0) dwarfBytes += s.rawSize;
  size_t strippedSize = out.size();
  out.insert(out.end(), block.begin(), block.end());
  // Written beside and renamed, so an interrupted build never leaves half a program.
  std::string temp = exe + ".dbginfo-tmp";
  WriteFileBytes(temp, out);
  struct stat st;
  if (stat(exe.c_str(), &st) == 0) chmod(temp.c_str(), st.st_mode & 07777);
  if (std::rename(temp.c_str(), exe.c_str()) != 0) throw Exception("cannot replace " + exe);
  std::printf(
      "dbginfo: %s: %zu units, %zu procedures, %zu ranges; %zu bytes of DWARF (and %zu of symbols) "
      "replaced by a %zu-byte block (stream %zu bytes)\n",
      exe.c_str(), stats.units, stats.procedures, stats.ranges, dwarfBytes,
      bytes.size() - dwarfBytes - strippedSize, block.size(), stream.size());
  return 0;
}

int dump(const std::string& exe) {
  std::vector<uint8_t> bytes = ReadFileBytes(exe);
  auto info = need(LoadDebugInfo(bytes.data(), bytes.size()), exe);
  auto units = need(info->Units(), exe);
  for (const auto& u : units) std::printf("%08X %08X %s\n", u.start, u.size, u.name.c_str());
  return 0;
}

int lookup(const std::string& exe, int count, char** rvas) {
  std::vector<uint8_t> bytes = ReadFileBytes(exe);
  auto info = need(LoadDebugInfo(bytes.data(), bytes.size()), exe);
  for (int i = 0; i < count; ++i) {
    uint32_t rva = static_cast<uint32_t>(std::strtoul(rvas[i], nullptr, 16));
    auto loc = info->Find(rva);
    if (!loc)
      std::printf("%08X ?\n", rva);
    else
      std::printf("%08X %s:%u [%u] %s%s%s\n", rva, loc->unitName.c_str(), loc->line, loc->lineOffset,
                  loc->className.c_str(), loc->className.empty() ? "" : ".", loc->procedureName.c_str());
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 3) return usage();
    std::string cmd = argv[1], exe = argv[2];
    if (cmd == "embed") {
      std::string root, keep;
      for (int i = 3; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--root" && i + 1 < argc)
          root = argv[++i];
        else if (a == "--keep" && i + 1 < argc)
          keep = argv[++i];
        else
          return usage();
      }
      return embed(exe, root, keep);
    }
    if (cmd == "dump" && argc == 3) return dump(exe);
    if (cmd == "lookup") return lookup(exe, argc - 3, argv + 3);
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dbginfo: %s\n", e.what());
    return 1;
  }
}
