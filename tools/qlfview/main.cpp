// qlfview: what a reporter log file (.qlf) holds.
//
//   qlfview list FILE        one line per report: number, date, exception type, message
//   qlfview show FILE N      report N (from 1) as stored
//   qlfview xml FILE [N]     the XML export of the log, or of report N
//
// The log's text is GBK; it is written as UTF-8 unless --raw is given. Exit status: 0 done,
// 1 the file cannot be read, 2 wrong use.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_posix.h"
#include "exceptions/report/report_reader.h"
#include "exceptions/report/text_convert.h"
#include "exceptions/report/xml_export.h"

namespace {
bool raw = false;

int usage() {
  std::fputs(
      "usage: qlfview [--raw] list FILE\n"
      "       qlfview [--raw] show FILE N\n"
      "       qlfview xml FILE [N]\n"
      "Lists the reports of a log file, prints one report, or writes the XML export.\n"
      "--raw writes the log's own GBK text instead of UTF-8.\n",
      stderr);
  return 2;
}

void out(std::string_view text) {
  std::string s = raw ? std::string(text) : AnsiToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), stdout);
}

std::string firstLine(const std::string& v) {
  size_t end = v.find_first_of("\r\n");
  return end == std::string::npos ? v : v.substr(0, end) + " ...";
}

std::string item(const std::string& report, int header, int number) {
  std::optional<std::string> v = ReportItemValue(report, header, number);
  return v ? firstLine(*v) : std::string("-");
}

bool parseIndex(const char* arg, size_t count, size_t& index) {
  char* end = nullptr;
  long n = std::strtol(arg, &end, 10);
  if (!end || *end || n < 1 || static_cast<size_t>(n) > count) {
    std::fprintf(stderr, "qlfview: there is no report %s (the log holds %zu)\n", arg, count);
    return false;
  }
  index = static_cast<size_t>(n - 1);
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--raw")
      raw = true;
    else
      args.emplace_back(argv[i]);
  }
  if (args.size() < 2) return usage();
  const std::string& command = args[0];
  TPosixLogStorage storage;
  std::string content, error;
  bool exists = false;
  if (!storage.Read(args[1], content, exists, error) || !exists) {
    std::fprintf(stderr, "qlfview: %s\n", exists ? error.c_str() : ("no file \"" + args[1] + "\"").c_str());
    return 1;
  }
  std::vector<std::string> reports = ParseLog(content);

  if (command == "list" && args.size() == 2) {
    if (reports.empty()) std::fputs("(the log holds no reports)\n", stderr);
    for (size_t i = 0; i < reports.size(); ++i) {
      char number[32];
      std::snprintf(number, sizeof number, "%3zu  ", i + 1);
      out(number + item(reports[i], 2, 1) + "  " + item(reports[i], 2, 4) + "  " + item(reports[i], 2, 5) +
          "\n");
    }
    return 0;
  }
  if (command == "show" && args.size() == 3) {
    size_t i;
    if (!parseIndex(args[2].c_str(), reports.size(), i)) return 2;
    out(reports[i] + "\r\n");
    return 0;
  }
  if (command == "xml" && args.size() <= 3) {
    if (args.size() == 3) {
      size_t i;
      if (!parseIndex(args[2].c_str(), reports.size(), i)) return 2;
      reports = {reports[i]};
    }
    TXmlExportOptions o;
    o.toUtf8 = AnsiToUtf8;
    std::string doc = XmlExport(reports, o) + "\r\n";
    std::fwrite(doc.data(), 1, doc.size(), stdout);  // UTF-8 already
    return 0;
  }
  return usage();
}
