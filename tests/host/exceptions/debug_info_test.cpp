// The debug information format, the tool's conversion of line rows into unit records and the
// reader's search, checked against the rows they came from.
#include "exceptions/stack/debug_info.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "block_builder.h"
#include "exceptions/stack/debug_format.h"

using namespace debuginfo;

TEST(DebugFormat, EveryDeltaRoundTripsInTheShortestForm) {
  const uint32_t lines[] = {1, 2, 4, 5, 8, 9, 32, 33, 4096, 65535, 65536};
  const uint32_t addresses[] = {0, 1, 8, 9, 32, 33, 128, 129, 4094, 4095, 4096, 65536};
  for (uint32_t ld : lines)
    for (uint32_t ad : addresses)
      for (bool proc : {false, true}) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(EncodeLineRecord(bytes, {ld, ad, proc})) << ld << " " << ad;
        size_t pos = 0;
        TLineRecord r;
        ASSERT_TRUE(DecodeLineRecord(bytes.data(), bytes.size(), pos, kFormatVersion, r));
        EXPECT_EQ(pos, bytes.size());
        EXPECT_EQ(r.lineDelta, ld);
        EXPECT_EQ(r.addressDelta, ad);
        EXPECT_EQ(r.procedureStart, proc);
        size_t expected = ad == 0                                      ? 4
                          : !proc && ld <= 4 && ad <= 32               ? 1
                          : proc && ld <= 8 && ad <= 8                 ? 1
                          : ld <= 32 && ad <= 128                      ? 2
                          : ad <= 4095 && !(ld == 65535 && ad == 4095) ? 4
                                                                       : 8;
        EXPECT_EQ(bytes.size(), expected) << ld << " " << ad << " " << proc;
      }
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(EncodeLineRecord(bytes, {0, 1, false}));
  EXPECT_FALSE(EncodeLineRecord(bytes, {65537, 1, false}));
  EXPECT_FALSE(EncodeLineRecord(bytes, {1, 65537, false}));
  EXPECT_TRUE(bytes.empty());
}

TEST(DebugFormat, NamesAreScrambledAndBlocksCarryTheirSize) {
  std::vector<uint8_t> bytes;
  AppendName(bytes, "TForm1.Button2Click");
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.end()).find("Button"), std::string::npos);
  size_t pos = 0;
  std::string name;
  ASSERT_TRUE(ReadName(bytes.data(), bytes.size(), pos, name));
  EXPECT_EQ(name, "TForm1.Button2Click");

  std::vector<uint8_t> stream(1000, 7);
  std::vector<uint8_t> file = {1, 2, 3};
  std::vector<uint8_t> block = BuildBlock(stream, 45000.5);
  file.insert(file.end(), block.begin(), block.end());
  auto place = ParseTrailer(file.data() + file.size() - kTrailerSize, file.size());
  ASSERT_TRUE(place) << place.Error();
  EXPECT_EQ(place.Value().offset, 3u);
  EXPECT_EQ(place.Value().size + kTrailerSize, block.size());
  auto header = ParseBlockHeader(file.data() + 3, place.Value().size);
  ASSERT_TRUE(header);
  EXPECT_EQ(header.Value().version, kFormatVersion);
  EXPECT_EQ(header.Value().linkDateTime, 45000.5);
  auto inflated = Inflate(file.data() + 3 + kHeaderSize, place.Value().size - kHeaderSize, 1 << 20);
  ASSERT_TRUE(inflated);
  EXPECT_EQ(inflated.Value(), stream);
  EXPECT_FALSE(
      Inflate(file.data() + 3 + kHeaderSize, place.Value().size - kHeaderSize, 999));  // over the limit

  // A newer format is ignored; a size the file cannot hold is refused.
  file[3 + 4] = 0xFF;
  EXPECT_FALSE(ParseBlockHeader(file.data() + 3, place.Value().size));
  file[file.size() - 5] = 0x7F;
  EXPECT_FALSE(ParseTrailer(file.data() + file.size() - kTrailerSize, file.size()));
}

namespace {
struct Built {
  std::vector<TLineRange> ranges;
  std::vector<std::string> files;
  std::vector<TFunctionSymbol> functions;
  std::unique_ptr<TQuillonDebugInfo> info;
  TBuildStats stats;
  void build() {
    info = std::make_unique<TQuillonDebugInfo>(BuildStream(ranges, files, functions, "/src", &stats),
                                               kFormatVersion);
  }
  const TFunctionSymbol* functionAround(uint32_t a) const {
    const TFunctionSymbol* best = nullptr;
    for (const auto& f : functions)
      if (f.rva <= a) best = &f;
    return best;
  }
};
}  // namespace

TEST(DebugInfo, EveryAddressOfRandomTablesResolvesToItsRow) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    Built b;
    b.files = {"/src/app/main_form.cpp", "/src/a.h", "/usr/include/c++/12/bits/vector.h"};
    uint32_t at = 0x1000;
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> truth;  // start -> (file, line)
    for (int i = 0; i < 400; ++i) {
      if (rng() % 10 == 0) at += rng() % 64;  // a gap between sequences
      if (rng() % 8 == 0) b.functions.push_back({at, rng() % 2 ? "TForm1" : "", "F" + std::to_string(i)});
      uint32_t size = 1 + rng() % (rng() % 20 == 0 ? 5000 : 40);
      uint32_t file = rng() % 3;
      uint32_t line = 1 + rng() % (rng() % 30 == 0 ? 100000 : 300);
      b.ranges.push_back({at, at + size, file, line});
      at += size;
    }
    // The builder expects ranges split at function starts, as RowsToRanges leaves them.
    b.build();
    for (const auto& r : b.ranges)
      for (uint32_t a : {r.start, r.end - 1, (r.start + r.end) / 2}) {
        auto loc = b.info->Find(a);
        ASSERT_TRUE(loc) << "seed " << seed << " address " << a;
        EXPECT_EQ("/src/" + loc->unitName, b.files[r.file] == "/usr/include/c++/12/bits/vector.h"
                                               ? "/src/" + b.files[r.file]
                                               : b.files[r.file]);
        EXPECT_EQ(loc->line, r.line) << "seed " << seed << " address " << a;
        const TFunctionSymbol* f = b.functionAround(a);
        EXPECT_EQ(loc->procedureName, f ? f->name : "") << "seed " << seed << " address " << a;
        EXPECT_EQ(loc->className, f ? f->scope : "") << "seed " << seed << " address " << a;
      }
    // Addresses in gaps and outside belong to no unit.
    EXPECT_FALSE(b.info->Find(0xFFF));
    EXPECT_FALSE(b.info->Find(at));
    for (size_t i = 1; i < b.ranges.size(); ++i)
      if (b.ranges[i].start > b.ranges[i - 1].end) {
        EXPECT_FALSE(b.info->Find(b.ranges[i - 1].end));
      }
  }
}

TEST(DebugInfo, LineOffsetsCountFromTheFunctionsFirstLineAcrossUnits) {
  Built b;
  b.files = {"/src/f.cpp", "/src/inl.h"};
  b.functions = {{0x100, "TFoo", "Bar"}, {0x200, "TFoo", "Baz"}};
  b.ranges = {{0x100, 0x110, 0, 10}, {0x110, 0x120, 0, 14}, {0x120, 0x130, 1, 50},  // inlined header code
              {0x130, 0x140, 0, 12},                                                // back up: a new unit
              {0x200, 0x210, 0, 30}, {0x210, 0x220, 0, 29}};
  b.build();
  EXPECT_EQ(b.stats.units, 5u);
  auto at = [&](uint32_t a) { return *b.info->Find(a); };
  EXPECT_EQ(at(0x105).lineOffset, 0u);
  EXPECT_EQ(at(0x115).lineOffset, 4u);
  EXPECT_EQ(at(0x125).unitName, "inl.h");
  EXPECT_EQ(at(0x125).procedureName, "Bar");
  EXPECT_EQ(at(0x135).line, 12u);
  EXPECT_EQ(at(0x135).lineOffset, 2u);  // counted from line 10 although its unit starts at 12
  EXPECT_EQ(at(0x205).procedureName, "Baz");
  EXPECT_EQ(at(0x215).lineOffset, 0u);  // would be negative
}

TEST(DebugInfo, StoredProcedureNamesShareTheClassAndSplitBack) {
  TFunctionSymbol bar{0, "nv::TFoo", "Bar"}, free{0, "", "WinMain"};
  EXPECT_EQ(StoredProcedureName(bar, "", false), "nv::TFoo.Bar");
  EXPECT_EQ(StoredProcedureName(bar, "nv::TFoo", true), ".Bar");
  EXPECT_EQ(StoredProcedureName(free, "nv::TFoo", true), "WinMain");
  TFunctionSymbol huge{0, std::string(400, 'C'), "Method"};
  std::string stored = StoredProcedureName(huge, "", false);
  EXPECT_LE(stored.size(), kMaxNameLength);
  std::string cls, method;
  SplitProcedureName(stored, "", cls, method);
  EXPECT_EQ(method, "Method");
  SplitProcedureName(".Baz", "TPrev", cls, method);
  EXPECT_EQ(cls + "|" + method, "TPrev|Baz");
  SplitProcedureName("std::vector<double(1.5)>.@M_push", "", cls, method);
  EXPECT_EQ(cls + "|" + method, "std::vector<double(1.5)>|_M_push");
}

TEST(DebugInfo, MalformedStreamsFindNothing) {
  Built b;
  b.files = {"/src/f.cpp"};
  b.functions = {{0x100, "", "f"}};
  b.ranges = {{0x100, 0x180, 0, 3}, {0x180, 0x200, 0, 9}};
  std::vector<uint8_t> stream = BuildStream(b.ranges, b.files, b.functions, "");
  for (size_t cut = 0; cut < stream.size(); ++cut) {
    TQuillonDebugInfo info(std::vector<uint8_t>(stream.begin(), stream.begin() + cut), kFormatVersion);
    auto loc = info.Find(0x1F0);
    EXPECT_FALSE(loc && loc->line != 9) << cut;
  }
}
