// Times appending one report (40 call-stack rows, 60 modules) to a log of 31 reports with the
// Windows storage, and measures the heap the append needs at its peak. Run by hand:
//   scripts/wine-run build/win32/tests/win32/exceptions/log_append_timing.exe [runs]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "exceptions/encode/temp_files_win32.h"
#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_win32.h"
#include "exceptions/report/report_text.h"
#include "host/exceptions/report_fixtures.h"

namespace {
// Live and peak heap bytes of everything allocated through operator new.
std::atomic<size_t> liveBytes{0}, peakBytes{0};

void* counted(size_t n) {
  auto* p = static_cast<size_t*>(std::malloc(n + sizeof(std::max_align_t)));
  if (!p) throw std::bad_alloc();
  *p = n;
  size_t now = liveBytes += n;
  for (size_t peak = peakBytes; now > peak && !peakBytes.compare_exchange_weak(peak, now);) {
  }
  return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
}

void uncounted(void* q) {
  if (!q) return;
  auto* p = reinterpret_cast<size_t*>(static_cast<char*>(q) - sizeof(std::max_align_t));
  liveBytes -= *p;
  std::free(p);
}
}  // namespace

void* operator new(size_t n) { return counted(n); }
void* operator new[](size_t n) { return counted(n); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, size_t) noexcept { uncounted(p); }
void operator delete[](void* p, size_t) noexcept { uncounted(p); }

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  TReportTempFolder dir;
  const std::string file = dir.FileName("netvosk.qlf");
  TReportSnapshot s = reptest::LargeSnapshot(40, 60);
  std::vector<std::string> old;
  for (int i = 0; i < 31; ++i) {
    TReportSnapshot r = s;
    r.exception.address += static_cast<uint32_t>(i);
    old.push_back(StoredReportBody(BuildReportText(r)));
  }
  const std::string oldLog = ComposeLog(old);
  s.exception.address = 0x00600000;
  const std::string text = BuildReportText(s);
  const TReportKey key = ReportKeyOf(s);
  TLogAppendOptions options;
  options.noDuplicates = true;

  TWin32LogStorage storage;
  TLogFile log(storage);
  log.SetFileName(file);
  std::vector<double> ms;
  size_t peak = 0;
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  for (int i = 0; i < runs; ++i) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, oldLog.data(), static_cast<DWORD>(oldLog.size()), &written, nullptr);
    CloseHandle(h);
    size_t base = liveBytes;
    peakBytes = base;
    QueryPerformanceCounter(&t0);
    TLogAppendResult r = log.Append(text, key, options);
    QueryPerformanceCounter(&t1);
    if (r.status != TLogAppendStatus::lsSaved) {
      std::printf("append failed: %s\n", r.error.c_str());
      return 1;
    }
    peak = std::max(peak, peakBytes - base);
    ms.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                 static_cast<double>(freq.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("log of 31 reports: %zu bytes; new report: %zu bytes; log after: %u reports\n", oldLog.size(),
              text.size(), static_cast<unsigned>(log.Reports().size()));
  std::printf("append: median %.2f ms, fastest %.2f ms, slowest %.2f ms over %d runs\n", ms[ms.size() / 2],
              ms.front(), ms.back(), runs);
  std::printf("append: peak heap above what was live before: %zu bytes (%.1f x the log)\n", peak,
              static_cast<double>(peak) / static_cast<double>(oldLog.size()));
  if (argc > 2) CopyFileA(file.c_str(), argv[2], FALSE);  // keep the log for a look with qlfview
  return 0;
}
