// The gate for the debug information: every line-table row of a linked (unstripped) Windows
// executable resolves through our block in its stripped twin to the file and line that
// i686-w64-mingw32-addr2line gives, and to its function where nothing is inlined. Run from the
// Windows tree with the two files: dbginfo_gate_test FULL.exe STRIPPED.exe SOURCE_ROOT.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "block_builder.h"
#include "exceptions/stack/debug_info.h"
#include "framework/streams.h"

namespace {
std::string gFull, gStripped, gRoot;

struct Frame {
  std::string function, file;
  uint32_t line = 0;
};

// Runs addr2line once over all addresses: -a prints each address, then one function/place
// pair per inlining level.
std::vector<std::vector<Frame>> addr2line(const std::string& exe, const std::vector<uint64_t>& addresses) {
  // One pair of files per process: the gates of several executables run side by side.
  std::string tag = std::to_string(getpid());
  std::string in = testing::TempDir() + "gate-addresses-" + tag + ".txt";
  std::string out = testing::TempDir() + "gate-out-" + tag + ".txt";
  {
    std::ofstream f(in);
    for (uint64_t a : addresses) f << std::hex << "0x" << a << "\n";
  }
  std::string cmd = "i686-w64-mingw32-addr2line -a -f -i -e '" + exe + "' < '" + in + "' > '" + out + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream f(out);
  std::vector<std::vector<Frame>> result;
  std::string lineText;
  std::string pendingFunction;
  bool haveFunction = false;
  while (std::getline(f, lineText)) {
    if (lineText.rfind("0x", 0) == 0 && !haveFunction) {
      result.emplace_back();
      continue;
    }
    if (!haveFunction) {
      pendingFunction = lineText;
      haveFunction = true;
      continue;
    }
    haveFunction = false;
    Frame fr;
    fr.function = pendingFunction;
    std::string place = lineText.substr(0, lineText.find(" (discriminator"));
    size_t colon = place.rfind(':');
    fr.file = place.substr(0, colon);
    fr.line = static_cast<uint32_t>(std::strtoul(place.c_str() + colon + 1, nullptr, 10));
    if (!result.empty()) result.back().push_back(fr);
  }
  f.close();
  std::remove(in.c_str());
  std::remove(out.c_str());
  return result;
}

bool sameFile(const std::string& theirs, const std::string& ours) {
  return theirs == ours || (theirs.size() > ours.size() &&
                            theirs.compare(theirs.size() - ours.size(), ours.size(), ours) == 0 &&
                            theirs[theirs.size() - ours.size() - 1] == '/');
}
}  // namespace

TEST(DebugInfoGate, StrippedFileKeepsNoDwarfAndCarriesOneBlock) {
  std::vector<uint8_t> stripped = ReadFileBytes(gStripped);
  auto pe = TPeImage::Parse(stripped);
  ASSERT_TRUE(pe) << pe.Error();
  for (const auto& s : pe.Value().Sections()) EXPECT_NE(s.name.rfind(".debug_", 0), 0u) << s.name;
  auto place =
      debuginfo::ParseTrailer(stripped.data() + stripped.size() - debuginfo::kTrailerSize, stripped.size());
  ASSERT_TRUE(place) << place.Error();
  auto header = debuginfo::ParseBlockHeader(stripped.data() + place.Value().offset, place.Value().size);
  ASSERT_TRUE(header) << header.Error();
  EXPECT_EQ(header.Value().size, place.Value().size);
  // The block follows the last section's data (and the section-name strings) directly.
  uint64_t end = 0;
  for (const auto& s : pe.Value().Sections())
    end = std::max<uint64_t>(end, uint64_t{s.rawOffset} + s.rawSize);
  EXPECT_GE(place.Value().offset, end);
  EXPECT_LT(place.Value().offset - end, 4096u);
  // The binary tools still read the stripped file.
  std::string cmd = "i686-w64-mingw32-objdump -h '" + gStripped + "' > /dev/null";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}

TEST(DebugInfoGate, EveryRowResolvesAsAddr2lineDoes) {
  auto full = TPeImage::Parse(ReadFileBytes(gFull));
  ASSERT_TRUE(full) << full.Error();
  const TPeImage& image = full.Value();
  TDwarfSections dwarf;
  dwarf.line = image.Contents(*image.Find(".debug_line"));
  if (auto* s = image.Find(".debug_line_str")) dwarf.lineStr = image.Contents(*s);
  auto tables = ParseLineTables(dwarf);
  ASSERT_TRUE(tables) << tables.Error();
  // Every row address inside a code section, once.
  std::set<uint64_t> unique, initialFile;
  for (const auto& seq : tables.Value().sequences)
    for (const auto& row : seq) {
      if (row.endSequence || row.address < image.ImageBase()) continue;
      const TPeSection* sec = image.SectionOfRva(static_cast<uint32_t>(row.address - image.ImageBase()));
      if (sec && image.IsCode(*sec)) unique.insert(row.address);
      if (row.initialFile) initialFile.insert(row.address);
    }
  // Every name the symbol table gives a function's address (aliases share one).
  auto symbols = image.Symbols();
  ASSERT_TRUE(symbols) << symbols.Error();
  std::vector<TFunctionSymbol> ours = FunctionSymbols(image, symbols.Value());
  std::multimap<uint32_t, std::string> names;
  for (const auto& sym : symbols.Value())
    if (sym.type == 0x20 && sym.section > 0 && static_cast<size_t>(sym.section) <= image.Sections().size())
      names.emplace(image.Sections()[sym.section - 1].virtualAddress + sym.value, sym.name);
  std::vector<uint64_t> addresses(unique.begin(), unique.end());
  ASSERT_GT(addresses.size(), 1000u);
  auto truth = addr2line(gFull, addresses);
  ASSERT_EQ(truth.size(), addresses.size());

  std::vector<uint8_t> stripped = ReadFileBytes(gStripped);
  auto info = LoadDebugInfo(stripped.data(), stripped.size());
  ASSERT_TRUE(info) << info.Error();
  size_t compared = 0, functions = 0, failures = 0, initialFileRows = 0;
  for (size_t i = 0; i < addresses.size() && failures < 20; ++i) {
    const auto& frames = truth[i];
    if (frames.empty() || frames[0].line == 0 || frames[0].file == "??") continue;
    uint32_t rva = static_cast<uint32_t>(addresses[i] - image.ImageBase());
    auto loc = info.Value()->Find(rva);
    ++compared;
    std::ostringstream where;
    where << std::hex << "0x" << addresses[i] << " (" << frames[0].function << " " << frames[0].file << ":"
          << std::dec << frames[0].line << ")";
    if (!loc) {
      ADD_FAILURE() << "not found: " << where.str();
      ++failures;
      continue;
    }
    bool fileAgrees = sameFile(frames[0].file, loc->unitName);
    if (!fileAgrees && frames[0].line == loc->line && initialFile.count(addresses[i])) {
      ++initialFileRows;  // the tools' reading of the initial file register, not ours
      fileAgrees = true;
    }
    if (!fileAgrees || frames[0].line != loc->line) {
      ADD_FAILURE() << where.str() << " read as " << loc->unitName << ":" << loc->line;
      ++failures;
    }
    if (frames.size() != 1) continue;  // inlined: the outer function is the one we name
    // The tools print the linkage name when the DWARF has one (mangled, without the leading
    // underscore of this target), else the bare DW_AT_name.
    const std::string& theirs = frames[0].function;
    std::string scope, name;
    // Names the compiler made up ("~<lambda>") have no spelling in the symbol table.
    if (theirs == "??" || theirs.find("<lambda") != std::string::npos ||
        !SplitSymbolName("_" + theirs, scope, name))
      continue;
    bool mangled = theirs.rfind("_Z", 0) == 0;
    ++functions;
    auto fn = std::upper_bound(ours.begin(), ours.end(), rva,
                               [](uint32_t a, const TFunctionSymbol& f) { return a < f.rva; });
    bool alias = false;
    if (fn != ours.begin()) {
      auto [from, to] = names.equal_range((fn - 1)->rva);
      for (auto it = from; it != to; ++it) alias |= it->second == "_" + frames[0].function;
    }
    bool cut = loc->className.size() + loc->procedureName.size() + 1 >= debuginfo::kMaxNameLength;
    bool scopeAgrees = !mangled || scope == loc->className || (cut && scope.rfind(loc->className, 0) == 0);
    // Template arguments in a DW_AT_name are spelt by the compiler, not the demangler.
    auto base = [](const std::string& n) { return n.substr(0, n.find('<')); };
    bool nameAgrees = mangled ? name == loc->procedureName || (cut && name.rfind(loc->procedureName, 0) == 0)
                              : base(name) == base(loc->procedureName);
    if (!alias && (!scopeAgrees || !nameAgrees)) {
      ADD_FAILURE() << where.str() << " named " << loc->className << "." << loc->procedureName;
      ++failures;
    }
  }
  std::printf(
      "compared %zu rows (%zu function names) of %zu addresses; %zu rows in the initial file register\n",
      compared, functions, addresses.size(), initialFileRows);
  // A guard against a comparison that checks nothing: the program's skin painters inline
  // much of their drawing, so about a fifth of its rows are outside any inlined call.
  EXPECT_GT(functions, compared / 8);
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: dbginfo_gate_test FULL.exe STRIPPED.exe SOURCE_ROOT\n");
    return 2;
  }
  gFull = argv[1], gStripped = argv[2], gRoot = argv[3];
  return RUN_ALL_TESTS();
}
