// Resolving addresses through the program's own debug information (cold, with inflating, and
// warm) and walking a 100 KB stack. Reads the block of the Windows build's netvosk.exe
// (NV_DEBUGINFO_EXE overrides the path).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "exceptions/stack/stack_walk.h"
#include "framework/streams.h"

namespace {
std::vector<uint8_t>& programBytes() {
  static std::vector<uint8_t> bytes = [] {
    const char* env = std::getenv("NV_DEBUGINFO_EXE");
    std::string path = env ? env : NV_SOURCE_DIR "/build/win32/src/app/netvosk.exe";
    try {
      return ReadFileBytes(path);
    } catch (...) {
      return std::vector<uint8_t>();
    }
  }();
  return bytes;
}

// 40 addresses spread over the units, as one report's call stack might hold.
std::vector<uint32_t> addresses(const TQuillonDebugInfo& info) {
  auto units = info.Units();
  std::vector<uint32_t> out;
  if (!units || units.Value().empty()) return out;
  const auto& u = units.Value();
  for (size_t i = 0; i < 40; ++i) {
    const auto& unit = u[(i * 7919) % u.size()];
    out.push_back(unit.start + unit.size / 2);
  }
  return out;
}

void BM_Resolve40Cold(benchmark::State& state) {
  if (programBytes().empty()) return state.SkipWithError("no netvosk.exe with debug information");
  auto probe = LoadDebugInfo(programBytes().data(), programBytes().size());
  if (!probe) return state.SkipWithError(probe.Error().c_str());
  std::vector<uint32_t> rvas = addresses(*probe.Value());
  for (auto _ : state) {
    state.PauseTiming();
    auto source = TDebugInfoSource::FromBytes(programBytes());
    state.ResumeTiming();
    const TQuillonDebugInfo* info = source->Get();
    for (uint32_t a : rvas) benchmark::DoNotOptimize(info->Find(a));
  }
}
BENCHMARK(BM_Resolve40Cold)->Unit(benchmark::kMillisecond);

void BM_Resolve40Warm(benchmark::State& state) {
  if (programBytes().empty()) return state.SkipWithError("no netvosk.exe with debug information");
  auto info = LoadDebugInfo(programBytes().data(), programBytes().size());
  if (!info) return state.SkipWithError(info.Error().c_str());
  std::vector<uint32_t> rvas = addresses(*info.Value());
  for (auto _ : state)
    for (uint32_t a : rvas) benchmark::DoNotOptimize(info.Value()->Find(a));
}
BENCHMARK(BM_Resolve40Warm)->Unit(benchmark::kMicrosecond);

void BM_Walk100KB(benchmark::State& state) {
  constexpr uint32_t kBase = 0x400000, kCode = 0x401000, kStack = 0x100000;
  std::vector<uint8_t> code(0x60000, 0x90), stack(kMaxStackScan);
  std::mt19937 rng(7);
  // Every 64th byte a direct call; a fifth of the stack words return after one, the rest are
  // data, some of it pointing into code that is no call.
  for (size_t i = 0; i + 5 < code.size(); i += 64) code[i] = 0xE8;
  for (size_t i = 0; i < stack.size(); i += 4) {
    uint32_t w = rng() % 5 == 0 ? kCode + (rng() % (code.size() / 64)) * 64 + 5
                 : rng() % 3    ? rng()
                                : kCode + rng() % 0x60000;
    std::memcpy(&stack[i], &w, 4);
  }
  TBufferMemoryReader memory;
  memory.AddRegion(kCode, code.data(), static_cast<uint32_t>(code.size()));
  memory.AddRegion(kStack, stack.data(), static_cast<uint32_t>(stack.size()));
  TQuillonModulesList modules;
  auto m = std::make_unique<TQuillonModule>();
  m->handle = kBase;
  m->imageSize = 0x61000;
  if (!programBytes().empty()) m->debugInfo = TDebugInfoSource::FromBytes(programBytes());
  modules.Add(std::move(m));
  TWalkParams p;
  p.stackStart = kStack;
  p.stackEnd = kStack + kMaxStackScan;
  size_t entries = 0;
  for (auto _ : state) entries = BuildCallStack(p, memory, modules).size();
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_Walk100KB)->Unit(benchmark::kMillisecond);
}  // namespace
