// Skin loading costs: LZHUF unpacking of a ~400 KB skin (beside memcpy of the same bytes),
// parsing a ~7.6 KB definition into every skin object, and a SkinStream to a built skin.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "framework/streams.h"
#include "skin/data/lzh.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_loader.h"
#include "skin_archive_writer.h"

namespace {

const std::string kSource = NV_SOURCE_DIR;

const std::vector<uint8_t>& Packed() {
  static auto bytes = ReadFileBytes(kSource + "/tests/data/lzh/reference-sample.lzh");
  return bytes;
}

int32_t UnpackedSize() {
  int32_t n;
  std::memcpy(&n, Packed().data(), 4);
  return n;
}

void BM_LzhUnpack(benchmark::State& state) {
  const int32_t n = UnpackedSize();
  TMemoryStream in(Packed());
  TMemoryStream out;
  out.SetSize(n);
  for (auto _ : state) {
    in.SetPosition(4);
    out.SetPosition(0);
    TLZH lzh;
    lzh.Unpack(in, out, n);
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_LzhUnpack)->Unit(benchmark::kMicrosecond);

void BM_MemcpySameBytes(benchmark::State& state) {
  const size_t n = size_t(UnpackedSize());
  std::vector<uint8_t> src(n, 1), dst(n);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMicrosecond);

// The sample skin's definition grown to the size of a full skin's (~7.6 KB) with further
// colour and caption-button sections and comments.
std::string Definition() {
  auto bytes = ReadFileBytes(kSource + "/tests/data/skins/sample/sample.ini");
  std::string text(bytes.begin(), bytes.end());
  for (int i = 3; text.size() < 7600; ++i)
    text += "\r\n; extra colour " + std::to_string(i) + "\r\n[Colour" + std::to_string(i) +
            "]\r\ncolor=" + std::to_string(i * 3 % 256) + " 40 " + std::to_string(i) + "\r\n";
  return text;
}

void BM_ParseDefinitionAndBuildObjects(benchmark::State& state) {
  auto entries = ReadSkinFolder(kSource + "/tests/data/skins/sample");
  std::string def = Definition();
  entries.back().bytes.assign(def.begin(), def.end());
  TMemoryStream packed(PackSkin(entries));
  TSkinReader reader;
  reader.Load(packed);
  TSkinDataLoader loader;
  for (auto _ : state) {
    TMemoryStream text;
    reader.ExtractFirstContaining(".ini", text);
    TQuickIni ini;
    ini.Load(text);
    auto content = loader.Build(reader, ini);
    benchmark::DoNotOptimize(content.get());
  }
  state.SetLabel(std::to_string(def.size()) + " byte definition");
}
BENCHMARK(BM_ParseDefinitionAndBuildObjects)->Unit(benchmark::kMicrosecond);

void BM_LoadWholeSampleSkin(benchmark::State& state) {
  auto packed = PackSkin(ReadSkinFolder(kSource + "/tests/data/skins/sample"));
  TSkinDataLoader loader;
  for (auto _ : state) {
    auto content = loader.Load(packed.data(), packed.size());
    benchmark::DoNotOptimize(content.get());
  }
}
BENCHMARK(BM_LoadWholeSampleSkin)->Unit(benchmark::kMicrosecond);

// What reading a window's layout costs for its skin: the SkinStream bytes to a built skin
// (unpack, definition, objects and derived pictures). The folder is the program's own skin
// when NV_SKIN_DIR names it, else the sample skin.
void BM_SkinStreamToBuiltSkin(benchmark::State& state) {
  const char* dir = std::getenv("NV_SKIN_DIR");
  auto packed = PackSkin(ReadSkinFolder(dir ? dir : kSource + "/tests/data/skins/sample"));
  std::vector<uint8_t> stream;
  for (int i = 0; i < 4; ++i) stream.push_back(uint8_t(packed.size() >> (8 * i)));
  stream.insert(stream.end(), packed.begin(), packed.end());
  for (auto _ : state) {
    TSkinData data(nullptr);
    data.SetSkinStream(stream);
    if (!data.SkinLoaded()) state.SkipWithError("skin not loaded");
    benchmark::DoNotOptimize(data.Content().Toolbar.get());
  }
  state.SetLabel(std::to_string(stream.size()) + " byte SkinStream");
}
BENCHMARK(BM_SkinStreamToBuiltSkin)->Unit(benchmark::kMicrosecond);

}  // namespace
