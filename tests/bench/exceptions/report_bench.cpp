// The report: building its text, appending it to a log of 31 reports, reading and exporting
// a full log.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_posix.h"
#include "exceptions/report/report_text.h"
#include "exceptions/report/xml_export.h"
#include "host/exceptions/report_fixtures.h"

namespace {
std::vector<std::string> LogOf(int count, const TReportSnapshot& like) {
  std::vector<std::string> reports;
  for (int i = 0; i < count; ++i) {
    TReportSnapshot s = like;
    s.exception.address += static_cast<uint32_t>(i);
    reports.push_back(StoredReportBody(BuildReportText(s)));
  }
  return reports;
}

void BM_BuildReportText40Rows60Modules(benchmark::State& state) {
  TReportSnapshot s = reptest::LargeSnapshot(40, 60);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = BuildReportText(s);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildReportText40Rows60Modules);

// Includes reading the old log, the duplicate and capacity checks, writing a new file,
// flushing it to disk and renaming it over the old one.
void BM_AppendToLogOf31(benchmark::State& state) {
  TReportSnapshot s = reptest::LargeSnapshot(40, 60);
  const std::string old = ComposeLog(LogOf(31, s));
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "nv-report-bench";
  std::filesystem::create_directories(dir);
  std::string file = (dir / "netvosk.qlf").string();
  TPosixLogStorage storage;
  TLogFile log(storage);
  log.SetFileName(file);
  s.exception.address = 0x00600000;
  std::string text = BuildReportText(s);
  TReportKey key = ReportKeyOf(s);
  TLogAppendOptions o;
  o.noDuplicates = true;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(file, std::ios::binary | std::ios::trunc) << old;
    state.ResumeTiming();
    if (log.Append(text, key, o).status != TLogAppendStatus::lsSaved) state.SkipWithError("append failed");
  }
  state.counters["log_bytes"] = static_cast<double>(old.size());
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AppendToLogOf31)->Unit(benchmark::kMillisecond);

void BM_ParseLogOf32(benchmark::State& state) {
  const std::string content = ComposeLog(LogOf(32, reptest::LargeSnapshot(40, 60)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseLog(content).size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * content.size()));
}
BENCHMARK(BM_ParseLogOf32);

void BM_XmlExportOf32(benchmark::State& state) {
  const std::vector<std::string> reports = LogOf(32, reptest::LargeSnapshot(40, 60));
  TXmlExportOptions o;
  for (auto _ : state) benchmark::DoNotOptimize(XmlExport(reports, o).size());
}
BENCHMARK(BM_XmlExportOf32)->Unit(benchmark::kMillisecond);
}  // namespace
